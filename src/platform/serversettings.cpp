#include "serversettings.h"

#include "platform/inifile.h"

namespace {
int portFrom(const QString& text, int fallback)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : fallback;
}

QString fromEnv(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}
} // namespace

ServerSettings ServerSettings::load()
{
    ServerSettings s;
    const QString ini = IniFile::settingsPath();
    const QString section = QStringLiteral("Server");
    s.host = fromEnv("RYN_SERVER", IniFile::readString(ini, section, QStringLiteral("Host"), s.host));
    s.dbPort =
        portFrom(fromEnv("RYN_DB_PORT", IniFile::readString(ini, section, QStringLiteral("DbPort"), {})), s.dbPort);
    s.ftpPort =
        portFrom(fromEnv("RYN_FTP_PORT", IniFile::readString(ini, section, QStringLiteral("FtpPort"), {})), s.ftpPort);
    return s;
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
