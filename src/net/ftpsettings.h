#pragma once
// Where and as whom the program reaches the video server. Course videos and the company logo both
// live in one folder there.

#include <QString>

struct FtpSettings {
    QString host = QStringLiteral("127.0.0.1");
    int port = 21;
    QString user;
    QString password;
    /// The folder the windows change to after connecting.
    QString directory;
    /// A connection that moves no byte for this long (or a server that stops answering) ends with an error,
    /// so a hung server cannot freeze the program.
    int stallSeconds = 60;

    /// The program's settings: the database server's address and FTP port (ServerSettings), account "web",
    /// folder "/var/www/html/movies/".
    static FtpSettings videoServer();
};
