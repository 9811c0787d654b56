#include "serversettings.h"
#include "platform/messages.h"

#include "platform/inifile.h"

#include <QDir>
#include <algorithm>

namespace {
bool isPort(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok && port > 0 && port < 65536;
}

bool isHost(const QString& text)
{
    const QString host = text.trimmed();
    return !host.isEmpty()
           && std::none_of(host.begin(), host.end(), [](QChar c) { return c.isSpace() || c.unicode() < 32; });
}

// The environment variable when it holds an acceptable value, else the settings files' key. An
// empty or mistyped value is passed over, and where it stood is said in ignored.
QString lookUp(const char* variable, const QString& key, bool (*acceptable)(const QString&), QString* source,
               QString* ignored)
{
    const QString fromEnv = qEnvironmentVariable(variable);
    if (!fromEnv.isEmpty() && acceptable(fromEnv)) {
        *source = QString::fromLatin1(variable);
        return fromEnv.trimmed();
    }
    const IniFile::Setting setting = IniFile::findSetting(QStringLiteral("Server"), key, acceptable);
    if (!fromEnv.isEmpty())
        *ignored = Msg::settingVariableIgnored(QString::fromLatin1(variable), fromEnv);
    else if (!setting.ignoredFile.isEmpty())
        *ignored = Msg::settingIgnored(setting.ignoredFile, setting.ignoredLine, setting.ignoredEntry);
    *source = setting.file;
    return setting.value.trimmed();
}

QString sourceText(const QString& source)
{
    if (source.isEmpty())
        return Msg::settingDefault();
    if (source.startsWith(QLatin1String("RYN_")))
        return Msg::settingVariable(source);
    if (QDir::isAbsolutePath(source)) // "/etc/ryn/ryn.ini", or "C:/ProgramData/ryn/ryn.ini" on Windows
        return Msg::settingFile(QDir::toNativeSeparators(source));
    return source;
}
} // namespace

ServerSettings ServerSettings::load()
{
    ServerSettings s;
    const QString host = lookUp("RYN_SERVER", QStringLiteral("Host"), isHost, &s.hostSource, &s.hostIgnored);
    if (!host.isEmpty())
        s.host = host;
    const QString dbPort = lookUp("RYN_DB_PORT", QStringLiteral("DbPort"), isPort, &s.dbPortSource, &s.dbPortIgnored);
    if (!dbPort.isEmpty())
        s.dbPort = dbPort.toInt();
    const QString ftpPort =
        lookUp("RYN_FTP_PORT", QStringLiteral("FtpPort"), isPort, &s.ftpPortSource, &s.ftpPortIgnored);
    if (!ftpPort.isEmpty())
        s.ftpPort = ftpPort.toInt();
    return s;
}

QString ServerSettings::describeDatabase() const
{
    QString text = Msg::databaseServer(host, dbPort);
    if (hostSource == dbPortSource)
        text += Msg::settingsBothFrom(sourceText(hostSource));
    else
        text += Msg::settingsEachFrom(sourceText(hostSource), sourceText(dbPortSource));
    if (hostSource.isEmpty())
        text += Msg::settingsWhere(IniFile::userSettingsPath());
    // A value passed over is named with its file and line: it is most likely the one meant.
    text += hostIgnored + dbPortIgnored;
    return text;
}

namespace {
const char* const driverPart = "DRIVER={MySQL ODBC 5.3 Unicode Driver}; SERVER=";
}

QString programConnectionString()
{
    return QLatin1String(driverPart) + ServerSettings::load().host
           + QStringLiteral("; DATABASE=ryn; UID=ryn; PASSWORD=Pz3]wQ?k8Ln~Rt5vY2;OPTION=3;");
}

QString layoutConnectionString()
{
    return QLatin1String(driverPart) + QStringLiteral("127.0.0.1; DATABASE=ryn; UID=ryn;OPTION=3;");
}
