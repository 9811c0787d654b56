#include "ftpsettings.h"

#include "platform/serversettings.h"

FtpSettings FtpSettings::videoServer()
{
    const ServerSettings server = ServerSettings::load();
    FtpSettings s;
    s.host = server.host;
    s.port = server.ftpPort;
    s.user = QStringLiteral("web");
    s.password = QStringLiteral("58203146");
    s.directory = QStringLiteral("/var/www/html/movies/");
    return s;
}
