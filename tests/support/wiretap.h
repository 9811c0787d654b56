#pragma once
// A loopback relay between the program and the database server that keeps a copy of everything
// the program sends, so that a test can check the exact bytes of a statement, or cut a connection.

#include <QByteArray>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class WireTap
{
public:
    /// Listens on a free loopback port and relays each connection to 127.0.0.1:serverPort.
    explicit WireTap(int serverPort);
    ~WireTap();

    int port() const { return m_port; }
    /// Everything clients have sent so far.
    QByteArray sent() const;
    /// True when some query packet (command byte 3) carried exactly statement (UTF-8).
    bool sawQuery(const QString& statement) const;
    /// True when some packet that prepares a statement (command byte 0x16) carried exactly statement.
    bool sawPrepare(const QString& statement) const;
    /// Once: the execution of the next prepared statement containing part reaches the server, which
    /// runs it; then the connection closes, the answer dropped: the program cannot know the outcome.
    void cutAfterExecuting(const QByteArray& part);
    bool cutDone() const { return m_cutDone; }
    /// Once: the next statement containing part (prepared and executed, or sent as a query) goes to
    /// the server, and at once the program's side of its connection is closed. The server's side
    /// stays open until the tap ends, so the server carries the statement out and never learns
    /// that the program has gone.
    void dropProgramAfterSending(const QByteArray& part);

private:
    void run();
    bool sawCommand(uchar command, const QString& statement) const;

    int m_serverPort;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QByteArray m_sent;
    QByteArray m_cutPart;
    bool m_dropAtOnce = false;
    std::vector<int> m_lingering; ///< server sides kept open after the program's side was closed
    std::atomic<bool> m_cutDone{false};
};
