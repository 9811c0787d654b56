#include "ftpclient.h"
#include "ftpcurl.h"
#include "platform/messages.h"

#include <QBuffer>
#include <QSaveFile>
#include <curl/curl.h>

// A connected client holds one curl easy handle. curl keeps the handle's control connection open
// between requests, so every operation of a sequence runs under the one login, and
// curl_easy_cleanup sends QUIT. Each request names its file by a URL under the directory of the
// last CWD (single-CWD method): curl skips the CWD while the connection is already there and
// repeats it should it ever have to log in again, so a file cannot land in the login directory.
// After any failure the connection is closed, so the next sequence starts from no connection.

using FtpCurl::handle;
using FtpCurl::hasControlCharacter;

FtpClient::FtpClient() = default;

FtpClient::~FtpClient()
{
    if (!m_busy)
        closeConnection();
}

void FtpClient::setPassive(bool on)
{
    if (m_busy)
        throw FtpError(Msg::ftpModeDuringTransfer());
    m_passive = on;
    if (m_curl)
        curl_easy_setopt(handle(m_curl), CURLOPT_FTPPORT, on ? nullptr : "-");
}

void FtpClient::changeDirectory(const QString& directory)
{
    const QString operation = QStringLiteral("CWD ") + directory;
    requireIdle(operation);
    if (hasControlCharacter(directory))
        fail(operation, Msg::ftpControlCharacter());
    startRequest();
    curl_easy_setopt(handle(m_curl), CURLOPT_NOBODY, 1L);
    if (!perform(directoryUrl(directory)))
        fail(operation);
    // No reply at all: curl knew the connection was already in that directory and sent no CWD.
    if (m_replyCode != 0)
        requireReply(operation, {200, 250});
    m_directory = directory;
}

void FtpClient::store(QIODevice& source, const QString& remoteName)
{
    struct Closer {
        QIODevice& device;
        ~Closer() { device.close(); }
    } closer{source};
    const QString operation = QStringLiteral("STOR ") + remoteName;
    requireIdle(operation);
    const QByteArray url = fileUrl(operation, remoteName);
    if (!source.isReadable())
        fail(operation, Msg::ftpSourceNotReadable());

    startRequest();
    Request& r = m_request;
    r.source = &source;
    r.total = source.isSequential() ? source.bytesAvailable() : source.size() - source.pos();
    CURL* curl = handle(m_curl);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(r.total));
    bool ok = perform(url);
    // An empty file is sent without curl ever asking for data.
    if (ok && !r.begun)
        ok = beginTransfer();
    if (ok) {
        // Whole means confirmed by the server and every byte of the file sent, not fewer.
        curl_off_t sent = -1;
        curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &sent);
        if (m_replyCode != 226 && m_replyCode != 250) {
            r.localError = Msg::ftpStoreNotConfirmed(m_reply);
            ok = false;
        } else if (qint64(sent) != r.total) {
            r.localError = Msg::ftpBytesSent(qint64(sent), r.total);
            ok = false;
        }
    }
    if (ok && r.reported < r.total)
        ok = reportProgress(r.total);
    source.close();
    if (r.beginDone) {
        try {
            if (m_onEnd)
                m_onEnd();
        } catch (...) {
            // After a broken transfer the transfer's own error is the one to report.
            if (ok)
                r.handlerError = std::current_exception();
            ok = false;
        }
    }
    if (!ok)
        fail(operation);
}

void FtpClient::remove(const QString& remoteName)
{
    const QString operation = QStringLiteral("DELE ") + remoteName;
    requireIdle(operation);
    checkName(operation, remoteName);
    if (!performCommands({operation}))
        fail(operation);
    requireReply(operation, {250});
}

qint64 FtpClient::size(const QString& remoteName)
{
    const QString operation = QStringLiteral("SIZE ") + remoteName;
    requireIdle(operation);
    checkName(operation, remoteName);
    // "*" lets curl go on when the server does not know the command; its reply is read below. TYPE I
    // first, since servers refuse SIZE in ASCII mode; curl only ever needs type I again for a store,
    // so its own record of the type stays right.
    if (!performCommands({QStringLiteral("TYPE I"), QLatin1Char('*') + operation}))
        fail(operation);
    // 500 and 502: command unknown or not implemented; 504: not for this parameter.
    if (m_replyCode == 500 || m_replyCode == 502 || m_replyCode == 504)
        return -1;
    requireReply(operation, {213});
    bool number = false;
    const qint64 length = m_reply.mid(4).trimmed().toLongLong(&number);
    if (!number || length < 0)
        fail(operation, Msg::ftpSizeNotNumber(m_reply));
    return length;
}

void FtpClient::rename(const QString& from, const QString& to)
{
    const QString operation = QStringLiteral("RNFR %1, RNTO %2").arg(from, to);
    requireIdle(operation);
    checkName(operation, from);
    checkName(operation, to);
    if (!performCommands({QStringLiteral("RNFR ") + from, QStringLiteral("RNTO ") + to}))
        fail(operation);
    requireReply(operation, {250});
}

QStringList FtpClient::list(const QString& specifier, bool detailed)
{
    QString operation = detailed ? QStringLiteral("LIST") : QStringLiteral("NLST");
    if (!specifier.isEmpty())
        operation += QLatin1Char(' ') + specifier;
    requireIdle(operation);
    if (hasControlCharacter(specifier))
        fail(operation, Msg::ftpControlCharacter());
    QByteArray listing;
    QBuffer buffer(&listing);
    buffer.open(QIODevice::WriteOnly);
    startRequest();
    m_request.sink = &buffer;
    curl_easy_setopt(handle(m_curl), CURLOPT_CUSTOMREQUEST, operation.toUtf8().constData());
    if (!perform(directoryUrl(m_directory)))
        fail(operation);
    QStringList lines;
    for (QString line : QString::fromUtf8(listing).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

void FtpClient::retrieve(const QString& remoteName, const QString& localPath)
{
    const QString operation = QStringLiteral("RETR ") + remoteName;
    requireIdle(operation);
    const QByteArray url = fileUrl(operation, remoteName);
    // The old local copy stays until the new one is complete.
    QSaveFile target(localPath);
    if (!target.open(QIODevice::WriteOnly))
        fail(operation, Msg::cannotWrite(localPath, target.errorString()));
    startRequest();
    m_request.sink = &target;
    if (!perform(url))
        fail(operation);
    if (!target.commit())
        fail(operation, Msg::cannotWrite(localPath, target.errorString()));
}

void FtpClient::disconnectFromHost()
{
    // curl's own callback is running: break the transfer off, store() closes the connection.
    if (m_busy)
        m_cancel = true;
    else
        closeConnection();
}

int FtpClient::percent(qint64 done, qint64 total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return 100;
    // Two steps of long division by total, one decimal digit each. Every sum stays below 2 × total,
    // which fits an unsigned 64-bit number.
    const quint64 divisor = quint64(total);
    quint64 remainder = quint64(done);
    int result = 0;
    for (int step = 0; step < 2; ++step) {
        quint64 tenfold = 0;
        int digit = 0;
        for (int i = 0; i < 10; ++i) {
            tenfold += remainder;
            if (tenfold >= divisor) {
                tenfold -= divisor;
                ++digit;
            }
        }
        result = result * 10 + digit;
        remainder = tenfold;
    }
    return result;
}
