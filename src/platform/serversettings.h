#pragma once
// Where the database and video servers are: section "Server" (Host, DbPort, FtpPort) of the
// settings files, each key from the first file that holds it with a usable value
// (IniFile::findSetting); RYN_SERVER, RYN_DB_PORT and RYN_FTP_PORT override the files.

#include <QString>

struct ServerSettings {
    QString host = QStringLiteral("127.0.0.1");
    int dbPort = 3306;
    int ftpPort = 21;
    /// Where each value came from: a settings file's path, "RYN_..." for an environment variable,
    /// or empty for the built-in default.
    QString hostSource;
    QString dbPortSource;
    QString ftpPortSource;
    /// A value passed over as empty or mistyped, with the file and line (or variable) it stood in,
    /// as a note for the user; empty when none was.
    QString hostIgnored;
    QString dbPortIgnored;
    QString ftpPortIgnored;

    static ServerSettings load();
    /// The database server as the user should read it when it cannot be reached: its address and
    /// port and where each was set, in Traditional Chinese.
    QString describeDatabase() const;
};

/// The program's connection string, with the server's address in it.
QString programConnectionString();
/// The connection string the windows' layouts carry: a fixed address and no password. The program always
/// replaces it with programConnectionString() before it connects.
QString layoutConnectionString();
