#include "serversettings.h"
#include "platform/messages.h"

#include "platform/inifile.h"

namespace {
int portFrom(const QString& text, int fallback)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : fallback;
}

// The environment variable when it is set, else the settings files' key; source names which.
QString lookUp(const char* variable, const QString& key, QString* source)
{
    const QString fromEnv = qEnvironmentVariable(variable);
    if (!fromEnv.isEmpty()) {
        *source = QString::fromLatin1(variable);
        return fromEnv;
    }
    const IniFile::Setting setting = IniFile::findSetting(QStringLiteral("Server"), key);
    *source = setting.file;
    return setting.value;
}

QString sourceText(const QString& source)
{
    if (source.isEmpty())
        return Msg::settingDefault();
    if (source.startsWith(QLatin1String("RYN_")))
        return Msg::settingVariable(source);
    if (source.startsWith(QLatin1Char('/')))
        return Msg::settingFile(source);
    return source;
}
} // namespace

ServerSettings ServerSettings::load()
{
    ServerSettings s;
    const QString host = lookUp("RYN_SERVER", QStringLiteral("Host"), &s.hostSource);
    if (!host.isEmpty())
        s.host = host;
    else
        s.hostSource.clear();
    const int dbPort = portFrom(lookUp("RYN_DB_PORT", QStringLiteral("DbPort"), &s.dbPortSource), 0);
    if (dbPort)
        s.dbPort = dbPort;
    else
        s.dbPortSource.clear();
    const int ftpPort = portFrom(lookUp("RYN_FTP_PORT", QStringLiteral("FtpPort"), &s.ftpPortSource), 0);
    if (ftpPort)
        s.ftpPort = ftpPort;
    else
        s.ftpPortSource.clear();
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
