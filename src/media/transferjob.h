#pragma once
// One transfer with the video server, run on a thread of its own so that the program stays in use
// meanwhile. The window that starts it owns the job; the job's signals reach the window's thread
// queued: the transfer's begin and progress, then exactly one end. Stopping goes through the FTP
// client's abort flag, which curl's progress callback reads: a stopped transfer breaks off within
// about a second, and the work's own clean-up (removing a partial file) still runs.

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class FtpClient;
class QThread;

class TransferJob : public QObject
{
    Q_OBJECT

public:
    enum class End {
        Done,    ///< the work returned
        Failed,  ///< the work threw; message() holds the error's text
        Stopped, ///< stop() was asked and the work broke off
    };
    Q_ENUM(End)

    /// The work runs on the job's thread with a client of that thread's own, whose abort flag the
    /// job holds. It throws on a failure.
    using Work = std::function<void(FtpClient& ftp)>;

    explicit TransferJob(QObject* parent = nullptr);
    /// Stops a work still running and waits for its thread (briefly: the abort flag is read about
    /// once a second).
    ~TransferJob() override;

    /// Runs work; a job runs one work at a time (false, nothing started, while one runs).
    bool run(Work work);
    /// True from run() until the end signal has been delivered.
    bool running() const { return m_running; }
    /// Asks the running work to break off; its end is then Stopped.
    void stop();
    bool stopRequested() const { return m_stop.load(); }
    /// The error's text of the last end Failed.
    QString message() const { return m_message; }

signals:
    /// The store's first byte is about to be sent: total bytes to send.
    void begun(qint64 total);
    /// Bytes sent so far (at most every 25 ms, and once with every byte sent).
    void progressed(qint64 done);
    /// The work is over; running() is false already.
    void ended(TransferJob::End end);

private:
    /// Delivered queued from the job's thread.
    Q_INVOKABLE void finish(int end, const QString& message);

    QThread* m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
    QString m_message;
};
