#pragma once
// A loopback relay between the workstations and the nodes of a cluster that loses answers: each
// connection goes to a node that accepts it (tried from a random one), and now and then, after a
// write (an INSERT, UPDATE or DELETE executed, or COMMIT) has been passed on, the relay closes both
// sides before the node's answer comes back, so the workstation cannot know the outcome.

#include <atomic>
#include <random>
#include <thread>
#include <vector>

class FlakyRelay
{
public:
    /// Listens on a free loopback port; drops the answer to a write with probability dropRate.
    FlakyRelay(std::vector<int> nodePorts, double dropRate);
    ~FlakyRelay();

    int port() const { return m_port; }
    long long drops() const { return m_drops; }

private:
    struct Pair;
    void run();
    int connectToNode();

    std::vector<int> m_nodePorts;
    double m_dropRate;
    int m_listener = -1;
    int m_port = 0;
    std::mt19937 m_random;
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_drops{0};
    std::thread m_thread;
};
