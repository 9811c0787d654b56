#include "flakyrelay.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool startsWithWord(const char* text, size_t size, const char* word)
{
    const size_t n = std::strlen(word);
    if (size < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if ((text[i] & ~0x20) != word[i])
            return false;
    }
    return true;
}

// A packet's command byte follows its four header bytes; the statement text follows the command.
bool isWrite(const char* statement, size_t size)
{
    return startsWithWord(statement, size, "INSERT") || startsWithWord(statement, size, "UPDATE")
           || startsWithWord(statement, size, "DELETE");
}
} // namespace

struct FlakyRelay::Pair {
    int client;
    int server;
    bool preparedWrite = false; ///< the last statement prepared here writes
};

FlakyRelay::FlakyRelay(std::vector<int> nodePorts, double dropRate)
    : m_nodePorts(std::move(nodePorts))
    , m_dropRate(dropRate)
    , m_random(std::random_device{}())
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(m_listener, 64);
    socklen_t len = sizeof a;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { run(); });
}

FlakyRelay::~FlakyRelay()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

int FlakyRelay::connectToNode()
{
    // A node that is down refuses at once on loopback; one that is joining accepts and then refuses
    // statements, which the workstation answers by connecting again.
    const size_t first = std::uniform_int_distribution<size_t>(0, m_nodePorts.size() - 1)(m_random);
    for (size_t i = 0; i < m_nodePorts.size(); ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(m_nodePorts[(first + i) % m_nodePorts.size()]);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
            return fd;
        ::close(fd);
    }
    return -1;
}

void FlakyRelay::run()
{
    std::vector<Pair> pairs;
    std::bernoulli_distribution drop(m_dropRate);
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 50) <= 0)
            continue;
        std::vector<bool> closed(pairs.size(), false);
        for (size_t i = 0; i < pairs.size(); ++i) {
            for (int side = 0; side < 2 && !closed[i]; ++side) {
                const pollfd& f = fds[1 + 2 * i + size_t(side)];
                if (!(f.revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                char buffer[65536];
                const ssize_t n = ::read(f.fd, buffer, sizeof buffer);
                if (n <= 0) {
                    closed[i] = true;
                    break;
                }
                bool dropAfter = false;
                // One read may hold several packets (a statement's close goes out with the next command).
                for (ssize_t at = 0; side == 0 && at + 4 < n;) {
                    const auto* header = reinterpret_cast<const unsigned char*>(buffer + at);
                    const ssize_t length =
                        std::min<ssize_t>(header[0] | (header[1] << 8) | (header[2] << 16), n - at - 4);
                    const unsigned char command = header[4];
                    const char* text = buffer + at + 5;
                    const size_t size = length > 0 ? size_t(length - 1) : 0;
                    if (command == 0x16) // prepare
                        pairs[i].preparedWrite = isWrite(text, size);
                    else if (command == 0x17) // execute
                        dropAfter = dropAfter || (pairs[i].preparedWrite && drop(m_random));
                    else if (command == 0x03) // query
                        dropAfter =
                            dropAfter
                            || ((isWrite(text, size) || startsWithWord(text, size, "COMMIT")) && drop(m_random));
                    at += length + 4;
                }
                const int to = side == 0 ? pairs[i].server : pairs[i].client;
                for (ssize_t off = 0; off < n;) {
                    const ssize_t w = ::write(to, buffer + off, size_t(n - off));
                    if (w <= 0) {
                        closed[i] = true;
                        break;
                    }
                    off += w;
                }
                if (dropAfter) {
                    ++m_drops;
                    closed[i] = true;
                }
            }
        }
        for (size_t i = pairs.size(); i-- > 0;) {
            if (!closed[i])
                continue;
            ::close(pairs[i].client);
            ::close(pairs[i].server);
            pairs.erase(pairs.begin() + long(i));
        }
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            const int server = client >= 0 ? connectToNode() : -1;
            if (server >= 0)
                pairs.push_back({client, server});
            else if (client >= 0)
                ::close(client);
        }
    }
    for (const Pair& p : pairs) {
        ::close(p.client);
        ::close(p.server);
    }
}
