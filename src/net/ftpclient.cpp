#include "ftpclient.h"

#include <QBuffer>
#include <QSaveFile>
#include <QUrl>
#include <curl/curl.h>

// A connected client holds one curl easy handle. curl keeps the handle's control connection open
// between requests, so every operation of a sequence runs under the one login, and
// curl_easy_cleanup sends QUIT. Each request names its file by a URL under the directory of the
// last CWD (single-CWD method): curl skips the CWD while the connection is already there and
// repeats it should it ever have to log in again, so a file cannot land in the login directory.
// After any failure the connection is closed, so the next sequence starts from no connection.

namespace {
CURL* handle(void* curl)
{
    return static_cast<CURL*>(curl);
}

void initCurl()
{
    // Once per process, before the first handle.
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK)
        throw FtpError(QStringLiteral("FTP: libcurl cannot start: ") + QString::fromUtf8(curl_easy_strerror(result)));
}

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

/// Frees a curl string list when the request is over.
struct SList {
    curl_slist* list = nullptr;
    ~SList() { curl_slist_free_all(list); }
};
} // namespace

struct FtpCallbacks {
    static size_t reply(char* data, size_t size, size_t count, void* client)
    {
        static_cast<FtpClient*>(client)->noteReply(QByteArray(data, qsizetype(size * count)));
        return size * count;
    }

    static size_t read(char* buffer, size_t size, size_t count, void* client)
    {
        // curl asks for the first bytes once the server has accepted the STOR: the transfer begins.
        auto* self = static_cast<FtpClient*>(client);
        FtpClient::Request& r = self->m_request;
        if (!r.begun && !self->beginTransfer())
            return CURL_READFUNC_ABORT;
        if (self->m_cancel)
            return CURL_READFUNC_ABORT;
        const qint64 got = r.source->read(buffer, qint64(size * count));
        if (got < 0) {
            r.localError = QStringLiteral("cannot read the local file: ") + r.source->errorString();
            return CURL_READFUNC_ABORT;
        }
        return size_t(got);
    }

    static size_t write(char* data, size_t size, size_t count, void* client)
    {
        auto* self = static_cast<FtpClient*>(client);
        FtpClient::Request& r = self->m_request;
        const qint64 length = qint64(size * count);
        if (!r.sink)
            return size * count;
        if (r.sink->write(data, length) != length) {
            r.localError = QStringLiteral("cannot write the local file: ") + r.sink->errorString();
            return 0;
        }
        return size * count;
    }

    static int progress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
    {
        auto* self = static_cast<FtpClient*>(client);
        if (self->m_cancel)
            return 1;
        if (!self->m_request.beginDone)
            return 0;
        return self->reportProgress(uploaded) ? 0 : 1;
    }
};

FtpClient::FtpClient() = default;

FtpClient::~FtpClient()
{
    if (!m_busy)
        closeConnection();
}

void FtpClient::connectToHost()
{
    const QString operation = QStringLiteral("login at %1:%2").arg(m_settings.host).arg(m_settings.port);
    if (m_busy)
        throw FtpError(QStringLiteral("FTP %1: another FTP operation is running").arg(operation));
    closeConnection();
    initCurl();
    CURL* curl = curl_easy_init();
    if (!curl)
        throw FtpError(QStringLiteral("FTP %1: libcurl cannot make a connection").arg(operation));
    m_curl = curl;
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_curlMessage);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERNAME, m_settings.user.toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m_settings.password.toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_IPRESOLVE, long(CURL_IPRESOLVE_V4));
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPRT, 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(curl, CURLOPT_FTPPORT, m_passive ? nullptr : "-");
    if (m_settings.stallSeconds > 0) {
        const long seconds = m_settings.stallSeconds;
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, seconds);
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
    }
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &FtpCallbacks::reply);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &FtpCallbacks::read);
    curl_easy_setopt(curl, CURLOPT_READDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &FtpCallbacks::write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &FtpCallbacks::progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);

    // A request without a file and without a body: the login and nothing else.
    startRequest();
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (!perform(directoryUrl(QString())))
        fail(operation);
}

void FtpClient::setPassive(bool on)
{
    if (m_busy)
        throw FtpError(QStringLiteral("FTP: the data connection mode cannot change during a transfer"));
    m_passive = on;
    if (m_curl)
        curl_easy_setopt(handle(m_curl), CURLOPT_FTPPORT, on ? nullptr : "-");
}

void FtpClient::changeDirectory(const QString& directory)
{
    const QString operation = QStringLiteral("CWD ") + directory;
    requireIdle(operation);
    if (hasControlCharacter(directory))
        fail(operation, QStringLiteral("the directory name holds a control character"));
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
        fail(operation, QStringLiteral("the local file is not open for reading"));

    startRequest();
    Request& r = m_request;
    r.source = &source;
    r.total = source.isSequential() ? source.bytesAvailable() : source.size() - source.pos();
    CURL* curl = handle(m_curl);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(r.total));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    bool ok = perform(url);
    // An empty file is sent without curl ever asking for data.
    if (ok && !r.begun)
        ok = beginTransfer();
    if (ok) {
        // Whole means confirmed by the server and every byte of the file sent, not fewer.
        curl_off_t sent = -1;
        curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &sent);
        if (m_replyCode != 226 && m_replyCode != 250) {
            r.localError = QStringLiteral("the server did not confirm the store (%1)").arg(m_reply);
            ok = false;
        } else if (qint64(sent) != r.total) {
            r.localError = QStringLiteral("%1 of the file's %2 bytes were sent").arg(qint64(sent)).arg(r.total);
            ok = false;
        }
    }
    if (ok && r.reported < r.total)
        ok = reportProgress(r.total);
    source.close();
    if (r.beginDone) {
        try {
            if (m_onEnd)
                m_onEnd(Direction::Upload);
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
        fail(operation, QStringLiteral("the server's size is not a number: ") + m_reply);
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
        fail(operation, QStringLiteral("the specifier holds a control character"));
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
        fail(operation, QStringLiteral("cannot write %1: %2").arg(localPath, target.errorString()));
    startRequest();
    m_request.sink = &target;
    if (!perform(url))
        fail(operation);
    if (!target.commit())
        fail(operation, QStringLiteral("cannot write %1: %2").arg(localPath, target.errorString()));
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

void FtpClient::requireIdle(const QString& operation) const
{
    if (m_busy)
        throw FtpError(QStringLiteral("FTP %1: another FTP operation is running").arg(operation));
    if (!m_curl)
        throw FtpError(QStringLiteral("FTP %1: not connected").arg(operation));
}

void FtpClient::startRequest()
{
    m_request = Request();
    CURL* curl = handle(m_curl);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
}

bool FtpClient::performCommands(const QStringList& commands)
{
    SList quote;
    for (const QString& command : commands)
        quote.list = curl_slist_append(quote.list, command.toUtf8().constData());
    startRequest();
    CURL* curl = handle(m_curl);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    // Sent after the CWD that curl may need, as the last commands of the request: the last reply is
    // the last command's.
    curl_easy_setopt(curl, CURLOPT_PREQUOTE, quote.list);
    const bool ok = perform(directoryUrl(m_directory));
    curl_easy_setopt(curl, CURLOPT_PREQUOTE, nullptr);
    return ok;
}

bool FtpClient::perform(const QByteArray& url)
{
    CURL* curl = handle(m_curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    m_replyCode = 0;
    m_reply.clear();
    m_curlMessage[0] = '\0';
    m_busy = true;
    m_curlCode = curl_easy_perform(curl);
    m_busy = false;
    return m_curlCode == CURLE_OK && !m_cancel;
}

void FtpClient::fail(const QString& operation)
{
    const Request& r = m_request;
    QString text;
    int code = 0;
    if (m_cancel) {
        text = QStringLiteral("the transfer was broken off by disconnecting");
    } else if (!r.localError.isEmpty()) {
        text = r.localError;
    } else if (m_replyCode >= 400 || m_curlCode == CURLE_OK) {
        text = m_reply.isEmpty() ? QStringLiteral("no reply from the server") : m_reply;
        code = m_replyCode;
    } else {
        text = m_curlMessage[0] ? QString::fromUtf8(m_curlMessage)
                                : QString::fromUtf8(curl_easy_strerror(CURLcode(m_curlCode)));
    }
    const std::exception_ptr handlerError = r.handlerError;
    closeConnection();
    if (handlerError)
        std::rethrow_exception(handlerError);
    throw FtpError(QStringLiteral("FTP %1: %2").arg(operation, text), code);
}

void FtpClient::fail(const QString& operation, const QString& text)
{
    closeConnection();
    throw FtpError(QStringLiteral("FTP %1: %2").arg(operation, text));
}

void FtpClient::requireReply(const QString& operation, std::initializer_list<int> accepted)
{
    for (const int code : accepted) {
        if (m_replyCode == code)
            return;
    }
    fail(operation);
}

void FtpClient::checkName(const QString& operation, const QString& name)
{
    // The server directory is fixed: a name never reaches into another one.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')) || hasControlCharacter(name))
        fail(operation, QStringLiteral("\"%1\" is not a plain file name").arg(name));
}

void FtpClient::closeConnection()
{
    if (m_curl)
        curl_easy_cleanup(handle(m_curl));
    m_curl = nullptr;
    m_directory.clear();
    m_cancel = false;
}

QByteArray FtpClient::directoryUrl(const QString& directory) const
{
    QByteArray url = "ftp://" + m_settings.host.toUtf8() + ':' + QByteArray::number(m_settings.port) + '/';
    QString path = directory;
    // %2F keeps the leading slash, so the path is taken from the root, not from the login directory.
    if (path.startsWith(QLatin1Char('/'))) {
        url += "%2F";
        path.remove(0, 1);
    }
    url += QUrl::toPercentEncoding(path, "/");
    if (!url.endsWith('/'))
        url += '/';
    return url;
}

QByteArray FtpClient::fileUrl(const QString& operation, const QString& name)
{
    checkName(operation, name);
    return directoryUrl(m_directory) + QUrl::toPercentEncoding(name);
}

void FtpClient::noteReply(const QByteArray& line)
{
    // Only the last line of a reply ("250 text"); continuation lines ("250-text") and the size lines
    // that curl adds for SIZE do not count.
    const QByteArray text = line.trimmed();
    if (text.size() < 3 || (text.size() > 3 && text[3] != ' '))
        return;
    for (int i = 0; i < 3; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return;
    }
    m_replyCode = text.left(3).toInt();
    m_reply = QString::fromUtf8(text);
}

bool FtpClient::beginTransfer()
{
    Request& r = m_request;
    r.begun = true;
    try {
        if (m_onBegin)
            m_onBegin(Direction::Upload, r.total);
    } catch (...) {
        r.handlerError = std::current_exception();
        return false;
    }
    r.beginDone = true;
    r.sinceProgress.start();
    return true;
}

bool FtpClient::reportProgress(qint64 done)
{
    Request& r = m_request;
    if (done <= r.reported || (done < r.total && r.sinceProgress.elapsed() < kProgressIntervalMs))
        return true;
    r.reported = done;
    try {
        if (m_onProgress)
            m_onProgress(Direction::Upload, done);
    } catch (...) {
        r.handlerError = std::current_exception();
        return false;
    }
    r.sinceProgress.restart();
    return !m_cancel;
}
