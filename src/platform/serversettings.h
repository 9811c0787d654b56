#pragma once
// Where the database and video servers are. The address comes from ryn.ini in the current working
// directory (section "Server": Host, DbPort, FtpPort); RYN_SERVER, RYN_DB_PORT and RYN_FTP_PORT
// override the file.

#include <QString>

struct ServerSettings {
    QString host = QStringLiteral("127.0.0.1");
    int dbPort = 3306;
    int ftpPort = 21;

    static ServerSettings load();
};

/// The program's connection string, with the server's address in it.
QString programConnectionString();
/// The connection string the windows' layouts carry: a fixed address and no password. The program always
/// replaces it with programConnectionString() before it connects.
QString layoutConnectionString();
