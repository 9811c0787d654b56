#pragma once
// The FTP client component of a window that talks to the video server ("ftpUpload"). Every operation
// starts from open() or openFolder(), which assign the fixed server settings, connect and switch
// passive mode on, and ends with close(); no connection stays open between operations.

#include "net/ftpclient.h"

#include <QObject>

class QIODevice;
#include <QString>

class FtpUpload : public QObject
{
    Q_OBJECT
    // The layout carries the server's address, so the translation tables list it; open() assigns the
    // program's settings anyway, whatever the property holds.
    Q_PROPERTY(QString Host READ host WRITE setHost)

public:
    explicit FtpUpload(QObject* parent);

    QString host() const { return m_host; }
    void setHost(const QString& host) { m_host = host; }

    FtpClient& client() { return m_client; }
    /// The window's part of the progress event of a store. After it, and after each progress event
    /// without one, the interface processes its pending events, so the window repaints during a
    /// transfer; the window marks itself busy (BusyScope) for as long as the transfer runs.
    void setProgressHandler(FtpClient::ProgressHandler handler) { m_onProgress = std::move(handler); }
    /// The server folder the windows work in.
    QString directory() const { return m_client.settings().directory; }

    /// Assigns the video server's settings, connects and logs in, switches passive mode on. Throws
    /// FtpError when the server cannot be reached or refuses the login.
    void open();
    /// open(), then, when the client reports the connection, changes to the video folder. False when
    /// it reports no connection (the caller shows its own message). Throws as open() does, and FtpError
    /// when the server refuses the folder.
    bool openFolder();
    /// Sends source (open for reading) into the current folder as finalName without ever leaving a partial
    /// file under that name: it is stored under temporaryName() and renamed over finalName only once
    /// whole (the server confirmed the store, every byte was sent, and the server's SIZE, where it
    /// offers SIZE, matches). Otherwise the temporary file is deleted where the server still lets us,
    /// the file of finalName stays as it was, and an AppError in Traditional Chinese with the technical
    /// detail after it is thrown. The connection may be closed afterwards.
    void storeWhole(QIODevice& source, const QString& finalName);
    /// A name in the same folder that neither a course nor the viewing side takes for a video or the
    /// logo: finalName, ".part-" and random hexadecimal digits.
    static QString temporaryName(const QString& finalName);

    /// True once open() has returned and until close().
    bool connected() const { return m_client.isConnected(); }
    /// Disconnects; does nothing when no connection is open.
    void close() { m_client.disconnectFromHost(); }

    /// Closes the component's connection when it goes: an operation's connection ends with the
    /// operation, whatever its outcome.
    class Closer
    {
    public:
        explicit Closer(FtpUpload* ftp)
            : m_ftp(ftp)
        {}
        ~Closer() { m_ftp->close(); }
        Closer(const Closer&) = delete;
        Closer& operator=(const Closer&) = delete;

    private:
        FtpUpload* m_ftp;
    };

private:
    void removeLeftover(const QString& temporary);

    FtpClient m_client;
    FtpClient::ProgressHandler m_onProgress;
    QString m_host;
};
