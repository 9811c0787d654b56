#include "workstation.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/snapshottable.h"
#include "platform/messages.h"
#include "platform/serversettings.h"

#include <QDateTime>
#include <random>
#include <thread>

namespace {
constexpr int kDeadlock = 1213; // a certification conflict between nodes: simply sent again

std::unique_ptr<SnapshotTable> table(Connection* connection, const char* name,
                                     std::initializer_list<std::pair<const char*, FieldType>> fields, const char* key)
{
    auto t = std::make_unique<SnapshotTable>();
    t->setConnection(connection);
    t->setTableName(QString::fromLatin1(name));
    for (const auto& f : fields)
        t->addField(QString::fromLatin1(f.first), f.second, f.second == FieldType::Text ? 30 : 0);
    t->setKeyField(QString::fromLatin1(key));
    return t;
}

class Workstation
{
public:
    Workstation(int id, SoakCounts& counts, Ledger& ledger)
        : m_id(id)
        , m_counts(counts)
        , m_ledger(ledger)
        , m_random(std::random_device{}())
    {
        m_connection.setConnectionString(programConnectionString());
        m_bookings = table(&m_connection, "studclass",
                           {{"scpkey", FieldType::Int64},
                            {"buydate", FieldType::DateTime},
                            {"spkey", FieldType::Text},
                            {"crpkey", FieldType::Int32},
                            {"watchpoint", FieldType::Int32},
                            {"uid", FieldType::Text}},
                           "scpkey");
        m_bookings->setInsertToken(QStringLiteral("booking_token"), QStringLiteral("scpkey"));
        m_classes =
            table(&m_connection, "classroom",
                  {{"crpkey", FieldType::AutoInc}, {"classname", FieldType::Text}, {"classpoint", FieldType::Int32}},
                  "crpkey");
        m_classes->setInsertToken(QStringLiteral("insert_token"), QStringLiteral("rowkey"));
        m_students = table(&m_connection, "stud", {{"spkey", FieldType::Text}, {"studname", FieldType::Text}}, "spkey");
    }

    void run(SoakClock::time_point until, SoakClock::time_point settle)
    {
        std::uniform_int_distribution<int> what(0, 99);
        while (SoakClock::now() < until) {
            const int w = what(m_random);
            if (w < 80)
                book(until, settle);
            else if (w < 90)
                editStudent();
            else
                addClass(until, settle);
        }
    }

private:
    // Makes sure the table is open; false (after a pause) when the cluster cannot be reached now.
    bool ready(SnapshotTable& t)
    {
        try {
            m_connection.open();
            if (!t.active())
                t.open();
            return true;
        } catch (const DbError& e) {
            recover(e);
            return false;
        }
    }

    // After a refused or broken statement: a node that refuses (not joined yet, a lock waited for
    // too long) is left for another one, which the relay picks for the next connection; then a
    // short pause.
    void recover(const DbError& e)
    {
        if (!e.connectionLost() && e.code() != kDeadlock)
            m_connection.close();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(20, 200)(m_random)));
    }

    // Saves the row being inserted in t, trying again (the same row, so the same token) after each
    // failure until it is stored or settle is reached. Returns the outcome for the ledger.
    QString save(SnapshotTable& t, SoakClock::time_point settle, bool& lost)
    {
        for (;;) {
            try {
                m_connection.open();
                switch (t.post().recheck) {
                case InsertRecheck::FoundStored:
                    return QStringLiteral("found");
                case InsertRecheck::NowStored:
                    return QStringLiteral("now");
                case InsertRecheck::None:
                    return lost ? QStringLiteral("now") : QStringLiteral("ack");
                }
            } catch (const DbError& e) {
                if (e.connectionLost())
                    lost = true;
                else
                    ++m_counts.attemptsRefused;
                if (SoakClock::now() >= settle) {
                    t.cancel();
                    return QStringLiteral("unresolved");
                }
                recover(e);
            }
        }
    }

    void book(SoakClock::time_point until, SoakClock::time_point settle)
    {
        if (!ready(*m_bookings))
            return;
        ++m_counts.bookingsTried;
        const int points = ++m_sequence;
        m_bookings->append();
        const QDateTime now = QDateTime::currentDateTime();
        m_bookings->field(QStringLiteral("buydate"))->setValue(now.addMSecs(-now.time().msec()));
        m_bookings->field(QStringLiteral("spkey"))
            ->setAsString(QStringLiteral("S%1").arg(m_id, 2, 10, QLatin1Char('0')));
        m_bookings->field(QStringLiteral("crpkey"))->setValue(std::uniform_int_distribution<int>(1, 3)(m_random));
        m_bookings->field(QStringLiteral("watchpoint"))->setValue(points);
        m_bookings->field(QStringLiteral("uid"))->setAsString(QStringLiteral("soak"));
        bool lost = false;
        const QString outcome = save(*m_bookings, settle, lost);
        if (lost)
            ++m_counts.bookingsUncertain;
        if (outcome == QLatin1String("ack"))
            ++m_counts.bookingsAcknowledged;
        else if (outcome == QLatin1String("found"))
            ++m_counts.bookingsFoundStored;
        else if (outcome == QLatin1String("now"))
            ++m_counts.bookingsStoredLater;
        else
            ++m_counts.bookingsUnresolved;
        m_ledger.add({'B', QStringLiteral("S%1/%2").arg(m_id, 2, 10, QLatin1Char('0')).arg(points), outcome});
        Q_UNUSED(until);
    }

    void addClass(SoakClock::time_point until, SoakClock::time_point settle)
    {
        if (!ready(*m_classes))
            return;
        ++m_counts.classesTried;
        const QString name = QStringLiteral("K%1-%2").arg(m_id).arg(++m_sequence);
        m_classes->append();
        m_classes->field(QStringLiteral("classname"))->setAsString(name);
        m_classes->field(QStringLiteral("classpoint"))->setValue(m_sequence);
        bool lost = false;
        const QString outcome = save(*m_classes, settle, lost);
        if (outcome == QLatin1String("unresolved"))
            ++m_counts.classesUnresolved;
        else
            ++m_counts.classesStored;
        m_ledger.add({'C', name, outcome});
        Q_UNUSED(until);
    }

    void editStudent()
    {
        if (!ready(*m_students) || m_students->recordCount() == 0)
            return;
        ++m_counts.editsTried;
        try {
            m_students->setRecNo(std::uniform_int_distribution<int>(0, m_students->recordCount() - 1)(m_random));
            m_students->edit();
            m_students->field(QStringLiteral("studname"))
                ->setAsString(QStringLiteral("W%1-%2").arg(m_id).arg(++m_sequence));
            m_students->post();
            ++m_counts.editsSaved;
        } catch (const DbError& e) {
            m_students->cancel();
            if (e.message() == Msg::changedMeanwhileNotSaved())
                ++m_counts.editsConflicts;
            else if (e.connectionLost())
                ++m_counts.editsLost;
            else
                ++m_counts.attemptsRefused;
            // Read again: the row holds another workstation's values, or those of the lost save.
            m_students->close();
            if (e.message() != Msg::changedMeanwhileNotSaved())
                recover(e);
        }
    }

    int m_id;
    SoakCounts& m_counts;
    Ledger& m_ledger;
    std::mt19937 m_random;
    int m_sequence = 0;
    Connection m_connection;
    std::unique_ptr<SnapshotTable> m_bookings;
    std::unique_ptr<SnapshotTable> m_classes;
    std::unique_ptr<SnapshotTable> m_students;
};
} // namespace

void Ledger::add(LedgerEntry entry)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(std::move(entry));
}

std::vector<LedgerEntry> Ledger::entries() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

void runWorkstation(int id, SoakClock::time_point until, SoakClock::time_point settle, SoakCounts& counts,
                    Ledger& ledger)
{
    Workstation(id, counts, ledger).run(until, settle);
}
