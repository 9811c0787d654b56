#include "uilanguage.h"

#include "app/lang/langtables.h"
#include "app/lang/languagecontroller.h"
#include "app/lang/languagemanager.h"
#include "controls/gridtooltexts.h"
#include "platform/inifile.h"

#include <QDir>
#include <QWidget>

QString settingsFilePath()
{
    return IniFile::settingsPath();
}

int scanForLanguageFiles(const QString& dir)
{
    return LangManager().ScanForLangFiles(dir, QStringLiteral("*.lng"), false);
}

bool applyStartupLanguage()
{
    const QString value =
        IniFile::readString(settingsFilePath(), QStringLiteral("Language"), QStringLiteral("default"), QString());
    const bool builtIn = value == QLatin1String("tw");
    TLanguageManager& manager = LangManager();
    // Without a registered language file there is no index 1: the built-in texts stay.
    manager.setLanguageID(manager.LanguageIDs(builtIn ? 0 : 1));
    return manager.LanguageID() == TLanguageManager::DefaultLanguageID;
}

TLanguageController* attachLanguageController(QWidget* window)
{
    // The grids' tools keep their texts in a window of their own, translated with the first window.
    QWidget* gridTools = GridToolTexts::instance();
    if (window != gridTools && !gridTools->findChild<TLanguageController*>(QString(), Qt::FindDirectChildrenOnly))
        attachLanguageController(gridTools);
    auto* controller = new TLanguageController(window, LangTables::forWindow(window->objectName()));
    controller->loaded();
    return controller;
}
