#include "uilanguage.h"

#include "lang/langtables.h"
#include "ui/languagecontroller.h"
#include "lang/languagemanager.h"
#include "platform/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

namespace {
const QString kSection = QStringLiteral("Language");
const QString kKey = QStringLiteral("default");
} // namespace

int registerLanguageFiles()
{
    const QString mask = QStringLiteral("*.lng");
    LanguageManager& manager = languageManager();
    // An installed program is started from the home folder, its language files beside it; the
    // working directory may still hold a file of its own, and that one is meant.
    int count = manager.scanForLanguageFiles(QCoreApplication::applicationDirPath(), mask, false);
    if (QDir(QDir::currentPath()) != QDir(QCoreApplication::applicationDirPath()))
        count += manager.scanForLanguageFiles(QDir::currentPath(), mask, false);
    return count;
}

bool applyStartupLanguage()
{
    const QString value = IniFile::findSetting(kSection, kKey).value;
    const bool builtIn = value == QLatin1String("tw");
    LanguageManager& manager = languageManager();
    // Without a registered language file there is no index 1: the built-in texts stay.
    manager.setLanguageId(manager.languageIdAt(builtIn ? 0 : 1));
    return manager.languageId() == LanguageManager::DefaultLanguageID;
}

void storeLanguageChoice(const QString& choice)
{
    IniFile::writeSetting(kSection, kKey, choice);
}

LanguageController* attachLanguageController(QWidget* window)
{
    auto* controller = new LanguageController(window, LangTables::forWindow(window->objectName()));
    controller->loaded();
    return controller;
}
