#pragma once
// The FTP component of a window that talks to the video server ("ftpUpload"): the window's transfer
// job (see TransferJob), which runs one transfer at a time on a thread of its own. Every transfer
// assigns the video server's fixed settings to a client of its own before it connects; no
// connection stays open between transfers.

#include "media/transferjob.h"

#include <QString>

class FtpUpload : public TransferJob
{
    Q_OBJECT
    // The layout carries the server's address, so the translation tables list it; every transfer
    // assigns the program's settings anyway, whatever the property holds.
    Q_PROPERTY(QString Host READ host WRITE setHost)

public:
    explicit FtpUpload(QObject* parent);

    QString host() const { return m_host; }
    void setHost(const QString& host) { m_host = host; }

private:
    QString m_host;
};
