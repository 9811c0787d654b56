#pragma once
// The FTP client component of a window that talks to the video server ("ftpUpload"). Every operation
// starts from open(), which assigns the fixed server settings, connects and switches passive mode on,
// and ends with close(); no connection stays open between operations.

#include "net/ftpclient.h"

#include <QObject>
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
    /// The server folder the windows work in.
    QString directory() const { return m_client.settings().directory; }

    /// Assigns the video server's settings, connects and logs in, switches passive mode on. Throws
    /// FtpError when the server cannot be reached or refuses the login.
    void open();
    /// True once open() has returned and until close().
    bool connected() const { return m_client.isConnected(); }
    /// Disconnects; does nothing when no connection is open.
    void close() { m_client.disconnectFromHost(); }

private:
    FtpClient m_client;
    QString m_host;
};
