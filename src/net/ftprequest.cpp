#include "ftpclient.h"
#include "ftpcurl.h"
#include "platform/messages.h"

#include <QIODevice>
#include <QUrl>
#include <curl/curl.h>

// The curl side of the FTP client: the handle and its callbacks, one request at a time, and
// how a failed request becomes an error. The operations are in ftpclient.cpp.

using FtpCurl::handle;
using FtpCurl::hasControlCharacter;

namespace {
void initCurl()
{
    // Once per process, before the first handle.
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK)
        throw FtpError(Msg::ftpCannotStart(QString::fromUtf8(curl_easy_strerror(result))));
}

/// Frees a curl string list when the request is over.
struct SList {
    curl_slist* list = nullptr;
    ~SList() { curl_slist_free_all(list); }
};
} // namespace

bool FtpCurl::hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

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
        if (self->m_cancel || self->abortRequested())
            return CURL_READFUNC_ABORT;
        const qint64 got = r.source->read(buffer, qint64(size * count));
        if (got < 0) {
            r.localError = Msg::ftpCannotReadLocal(r.source->errorString());
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
            r.localError = Msg::ftpCannotWriteLocal(r.sink->errorString());
            return 0;
        }
        return size * count;
    }

    static int progress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
    {
        auto* self = static_cast<FtpClient*>(client);
        if (self->m_cancel || self->abortRequested())
            return 1;
        if (!self->m_request.beginDone)
            return 0;
        return self->reportProgress(uploaded) ? 0 : 1;
    }
};

void FtpClient::connectToHost()
{
    const QString operation = Msg::ftpLogin(m_settings.host, m_settings.port);
    if (m_busy)
        throw FtpError(Msg::ftpFailed(operation, Msg::ftpBusy()));
    closeConnection();
    initCurl();
    CURL* curl = curl_easy_init();
    if (!curl)
        throw FtpError(Msg::ftpFailed(operation, Msg::ftpNoHandle()));
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

void FtpClient::requireIdle(const QString& operation) const
{
    if (m_busy)
        throw FtpError(Msg::ftpFailed(operation, Msg::ftpBusy()));
    if (!m_curl)
        throw FtpError(Msg::ftpFailed(operation, Msg::ftpNotConnected()));
}

void FtpClient::startRequest()
{
    m_request = Request();
    CURL* curl = handle(m_curl);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
    // The progress callback runs for every request, so that an abort is seen also while connecting
    // or waiting for a reply; it reports progress only during a store.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
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
    return m_curlCode == CURLE_OK && !m_cancel && !abortRequested();
}

void FtpClient::fail(const QString& operation)
{
    const Request& r = m_request;
    QString text;
    int code = 0;
    if (m_cancel || abortRequested()) {
        text = Msg::ftpBrokenOff();
    } else if (!r.localError.isEmpty()) {
        text = r.localError;
    } else if (m_replyCode >= 400 || m_curlCode == CURLE_OK) {
        text = m_reply.isEmpty() ? Msg::ftpNoReply() : m_reply;
        code = m_replyCode;
    } else {
        text = m_curlMessage[0] ? QString::fromUtf8(m_curlMessage)
                                : QString::fromUtf8(curl_easy_strerror(CURLcode(m_curlCode)));
    }
    const std::exception_ptr handlerError = r.handlerError;
    closeConnection();
    if (handlerError)
        std::rethrow_exception(handlerError);
    throw FtpError(Msg::ftpFailed(operation, text), code);
}

void FtpClient::fail(const QString& operation, const QString& text)
{
    closeConnection();
    throw FtpError(Msg::ftpFailed(operation, text));
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
        fail(operation, Msg::ftpNotPlainName(name));
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
            m_onBegin(r.total);
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
            m_onProgress(done);
    } catch (...) {
        r.handlerError = std::current_exception();
        return false;
    }
    r.sinceProgress.restart();
    return !m_cancel;
}
