#include "uilanguage.h"

#include "platform/inifile.h"

#include <QDir>

QString settingsFilePath()
{
    return QDir::currentPath() + QStringLiteral("/ryn.ini");
}

int scanForLanguageFiles(const QString&)
{
    return 0;
}

bool applyStartupLanguage()
{
    const QString value =
        IniFile::readString(settingsFilePath(), QStringLiteral("Language"), QStringLiteral("default"), QString());
    return value == QLatin1String("tw");
}

TLanguageController* attachLanguageController(QWidget*)
{
    return nullptr;
}
