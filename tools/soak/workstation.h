#pragma once
// One workstation of the soak: its own connection (through the relay) and the program's own
// snapshot tables and row writer, booking top-ups, editing students and adding classes until the
// time is up, and telling what became of every save.

#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

/// What the workstations counted, all together.
struct SoakCounts {
    std::atomic<long long> bookingsTried{0};
    std::atomic<long long> bookingsAcknowledged{0}; ///< stored at the first attempt
    std::atomic<long long> bookingsUncertain{0};    ///< an attempt lost its connection
    std::atomic<long long> bookingsFoundStored{0};  ///< a later attempt found the earlier one stored
    std::atomic<long long> bookingsStoredLater{0};  ///< a later attempt stored it
    std::atomic<long long> bookingsUnresolved{0};   ///< still uncertain when the time ran out
    std::atomic<long long> attemptsRefused{0};      ///< attempts the server refused (sent again)
    std::atomic<long long> editsTried{0};
    std::atomic<long long> editsSaved{0};
    std::atomic<long long> editsConflicts{0}; ///< refused: another workstation changed the row first
    std::atomic<long long> editsLost{0};      ///< the connection broke; the row is read again
    std::atomic<long long> classesTried{0};
    std::atomic<long long> classesStored{0};
    std::atomic<long long> classesUnresolved{0};
};

/// One line of the ledger: a booking or a class that was saved (or may have been).
struct LedgerEntry {
    char kind;       ///< 'B' booking, 'C' class
    QString key;     ///< booking: spkey/watchpoint; class: its name
    QString outcome; ///< ack, found, now, unresolved
};

class Ledger
{
public:
    void add(LedgerEntry entry);
    std::vector<LedgerEntry> entries() const;

private:
    mutable std::mutex m_mutex;
    std::vector<LedgerEntry> m_entries;
};

using SoakClock = std::chrono::steady_clock;

/// Runs workstation number id until `until`; a save still unresolved then is tried until `settle`.
void runWorkstation(int id, SoakClock::time_point until, SoakClock::time_point settle, SoakCounts& counts,
                    Ledger& ledger);
