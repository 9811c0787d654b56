#pragma once
// The program's FTP client, on libcurl. A window uses it for one sequence at a time: assign the
// settings, connect, switch passive mode on, ask whether connected, change directory, then store,
// delete, size, rename, or list and retrieve, then disconnect. The sequence runs on one control connection,
// which disconnect closes; nothing stays open between sequences. A client must outlive a store it runs.

#include "net/ftpsettings.h"
#include "platform/errors.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <exception>
#include <functional>
#include <initializer_list>

class QIODevice;

/// A failed FTP operation: names the operation and carries the server's reply or curl's message.
class FtpError : public AppError
{
public:
    explicit FtpError(const QString& message, int replyCode = 0)
        : AppError(message)
        , m_replyCode(replyCode)
    {}
    /// The server's reply code when the server refused, 0 when the failure was not a reply.
    int replyCode() const { return m_replyCode; }

private:
    int m_replyCode;
};

class FtpClient
{
public:
    /// The transfer events of store(), the only call that raises them.
    using BeginHandler = std::function<void(qint64 total)>;
    using ProgressHandler = std::function<void(qint64 done)>;
    using EndHandler = std::function<void()>;

    /// Progress events of a store come at most this often (the last one, with all bytes sent, always comes).
    static constexpr int kProgressIntervalMs = 25;

    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    void setSettings(const FtpSettings& settings) { m_settings = settings; }
    const FtpSettings& settings() const { return m_settings; }

    /// Opens the control connection and logs in (USER, PASS); a connection still open is closed first.
    /// Throws FtpError with the server's or curl's text when the server cannot be reached or refuses the login.
    void connectToHost();
    /// Passive data connections (PASV, never EPSV) when on, active (PORT) when off. On by default.
    void setPassive(bool on);
    /// True from a successful connectToHost() until disconnectFromHost() or a failed operation.
    bool isConnected() const { return m_curl != nullptr; }
    /// CWD; replies other than 200 and 250 are errors. Later operations work in this directory. A relative
    /// directory is taken from the login directory.
    void changeDirectory(const QString& directory);
    /// STOR of the rest of source (open for reading) as remoteName, in type I, replacing a file of that
    /// name. Returns when the server has confirmed the store and curl has sent every byte of the source;
    /// anything less is an error. Raises the transfer events; the end
    /// event comes also when the transfer breaks off after its begin event, before the error is thrown.
    /// source is closed when store returns, whatever the outcome.
    void store(QIODevice& source, const QString& remoteName);
    /// DELE; replies other than 250 are errors.
    void remove(const QString& remoteName);
    /// The size in bytes of a file on the server (SIZE, in type I), or -1 when the server does not offer
    /// SIZE (an extension of FTP that a server may lack). Other refusals are errors.
    qint64 size(const QString& remoteName);
    /// RNFR and RNTO in the current directory: from takes the name to, replacing a file of that name in
    /// one step on servers that rename over an existing file.
    void rename(const QString& from, const QString& to);
    /// LIST (detailed) or NLST of the specifier, one entry per line of the listing.
    QStringList list(const QString& specifier, bool detailed = true);
    /// RETR into the local file, which is replaced only once the whole file has arrived (no resume).
    void retrieve(const QString& remoteName, const QString& localPath);
    /// QUIT and close. Does nothing when not connected. Called from a transfer event during a store,
    /// it breaks the transfer off: store then throws and the connection closes.
    void disconnectFromHost();

    /// A flag that another thread may set to stop whatever the client is doing (connecting, a command,
    /// a transfer): the running request breaks off within about a second, and the operation throws as
    /// for a broken connection. The flag must outlive the client's use of it; null for none.
    void setAbortFlag(const std::atomic<bool>* flag) { m_abortFlag = flag; }
    /// True when the abort flag is set.
    bool abortRequested() const { return m_abortFlag && m_abortFlag->load(); }

    /// Transfer events, raised synchronously from inside store(). A handler may throw: the transfer
    /// breaks off and store() rethrows the handler's error. The client itself never lets other events
    /// run meanwhile; a window that is to repaint during a transfer does so in its progress handler.
    void setBeginHandler(BeginHandler handler) { m_onBegin = std::move(handler); }
    void setProgressHandler(ProgressHandler handler) { m_onProgress = std::move(handler); }
    void setEndHandler(EndHandler handler) { m_onEnd = std::move(handler); }

    /// done × 100 ÷ total truncated toward zero, exact for every 64-bit count; 0 when total is not positive.
    static int percent(qint64 done, qint64 total);

private:
    /// What the callbacks of one request work on.
    struct Request {
        QIODevice* source = nullptr;
        QIODevice* sink = nullptr;
        qint64 total = 0;
        qint64 reported = -1;
        bool begun = false;
        bool beginDone = false;
        QString localError;
        std::exception_ptr handlerError;
        QElapsedTimer sinceProgress;
    };

    void requireIdle(const QString& operation) const;
    void startRequest();
    bool perform(const QByteArray& url);
    /// Runs the commands in the current directory as one request without data; false when curl failed.
    bool performCommands(const QStringList& commands);
    /// Closes the connection and throws: a transfer handler's error, else the local, server's or curl's text.
    [[noreturn]] void fail(const QString& operation);
    [[noreturn]] void fail(const QString& operation, const QString& text);
    void requireReply(const QString& operation, std::initializer_list<int> accepted);
    void checkName(const QString& operation, const QString& name);
    void closeConnection();
    QByteArray directoryUrl(const QString& directory) const;
    QByteArray fileUrl(const QString& operation, const QString& name);

    friend struct FtpCallbacks;
    void noteReply(const QByteArray& line);
    bool beginTransfer();
    bool reportProgress(qint64 done);

    FtpSettings m_settings;
    void* m_curl = nullptr;
    bool m_passive = true;
    bool m_busy = false;
    bool m_cancel = false;
    const std::atomic<bool>* m_abortFlag = nullptr;
    QString m_directory;
    int m_replyCode = 0;
    QString m_reply;
    int m_curlCode = 0;
    char m_curlMessage[256] = {};
    Request m_request;
    BeginHandler m_onBegin;
    ProgressHandler m_onProgress;
    EndHandler m_onEnd;
};
