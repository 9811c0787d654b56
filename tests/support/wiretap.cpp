#include "wiretap.h"

#include <QString>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <vector>

namespace {
sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}
} // namespace

WireTap::WireTap(int serverPort)
    : m_serverPort(serverPort)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(m_listener, 8);
    socklen_t len = sizeof a;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { run(); });
}

WireTap::~WireTap()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

QByteArray WireTap::sent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
}

bool WireTap::sawQuery(const QString& statement) const
{
    return sawCommand(3, statement);
}

bool WireTap::sawPrepare(const QString& statement) const
{
    return sawCommand(0x16, statement);
}

bool WireTap::sawCommand(uchar command, const QString& statement) const
{
    const QByteArray body = statement.toUtf8();
    const QByteArray all = sent();
    // A packet: three bytes of length, one of sequence, then the command byte and the statement.
    for (qsizetype at = all.indexOf(body); at >= 5; at = all.indexOf(body, at + 1)) {
        const auto* p = reinterpret_cast<const uchar*>(all.constData() + at - 5);
        const int length = p[0] | (p[1] << 8) | (p[2] << 16);
        if (p[4] == command && length == body.size() + 1)
            return true;
    }
    return false;
}

void WireTap::cutAfterExecuting(const QByteArray& part)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cutPart = part;
    m_dropAtOnce = false;
}

void WireTap::dropProgramAfterSending(const QByteArray& part)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cutPart = part;
    m_dropAtOnce = true;
}

void WireTap::run()
{
    // A packet's command byte follows its four header bytes: 0x16 prepares a statement, 0x17 executes it.
    auto command = [](const char* data, ssize_t n) { return n > 4 ? uchar(data[4]) : 0; };
    struct Pair {
        int client;
        int server;
        bool prepared = false;   ///< the statement to cut was prepared here
        bool cutting = false;    ///< its execution went to the server: the answer ends the pair
        bool dropAtOnce = false; ///< the program's side closes as soon as the execution went
    };
    std::vector<Pair> pairs;
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 50) <= 0)
            continue;
        for (size_t i = 0; i < pairs.size();) {
            bool closed = false;
            for (int side = 0; side < 2 && !closed; ++side) {
                const pollfd& f = fds[1 + 2 * i + side];
                if (!(f.revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                char buffer[65536];
                const ssize_t n = ::read(f.fd, buffer, sizeof buffer);
                if (n <= 0 || (side == 1 && pairs[i].cutting)) {
                    closed = true;
                    break;
                }
                bool dropNow = false;
                // One read may hold several packets: a statement's close (which has no answer)
                // goes out together with the next command.
                for (ssize_t at = 0; side == 0 && at + 4 < n;) {
                    const auto* p = reinterpret_cast<const uchar*>(buffer + at);
                    const ssize_t length = std::min<ssize_t>(p[0] | (p[1] << 8) | (p[2] << 16), n - at - 4);
                    const QByteArray packet = QByteArray::fromRawData(buffer + at, length + 4);
                    std::lock_guard<std::mutex> lock(m_mutex);
                    const bool names = !m_cutPart.isEmpty() && packet.contains(m_cutPart);
                    if (names && command(packet.constData(), packet.size()) == 0x16) {
                        pairs[i].prepared = true;
                        pairs[i].dropAtOnce = m_dropAtOnce;
                        m_cutPart.clear();
                    } else if (names && m_dropAtOnce && command(packet.constData(), packet.size()) == 0x03) {
                        dropNow = true;
                        pairs[i].cutting = true;
                        m_cutPart.clear();
                    } else if (pairs[i].prepared && command(packet.constData(), packet.size()) == 0x17) {
                        pairs[i].cutting = true;
                        dropNow = pairs[i].dropAtOnce;
                    }
                    at += length + 4;
                }
                const int to = side == 0 ? pairs[i].server : pairs[i].client;
                for (ssize_t off = 0; off < n;) {
                    const ssize_t w = ::write(to, buffer + off, size_t(n - off));
                    if (w <= 0) {
                        closed = true;
                        break;
                    }
                    off += w;
                }
                if (side == 0) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_sent.append(buffer, n);
                }
                if (dropNow) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_lingering.push_back(pairs[i].server);
                    pairs[i].server = -1;
                    pairs[i].cutting = true;
                    closed = true;
                }
            }
            if (closed) {
                m_cutDone = m_cutDone || pairs[i].cutting;
                ::close(pairs[i].client);
                if (pairs[i].server >= 0)
                    ::close(pairs[i].server);
                pairs.erase(pairs.begin() + long(i));
                fds.clear();
                break;
            }
            ++i;
        }
        // New connections last: fds describes the pairs as they were before this round (emptied when
        // a pair closed; the listener is polled again in the next round).
        if (!fds.empty() && (fds[0].revents & POLLIN)) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a = loopback(m_serverPort);
            if (client >= 0 && ::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                pairs.push_back({client, server});
            } else {
                ::close(client);
                ::close(server);
            }
        }
    }
    for (const Pair& p : pairs) {
        ::close(p.client);
        ::close(p.server);
    }
    for (const int fd : m_lingering)
        ::close(fd);
}
