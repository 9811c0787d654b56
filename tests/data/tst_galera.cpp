// Workstations on different nodes of a three-node MariaDB Galera cluster: a save that another
// workstation overtook is refused on whichever node it lands, a stopped node fails only its own
// workstation, and no saved row is lost.

#include "coresupport.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "tables.h"

#include <QProcess>
#include <algorithm>
#include <QSqlError>
#include <QSqlQuery>

class GaleraTest : public QObject
{
    Q_OBJECT

    QList<int> m_ports;
    int m_savesTried = 0;
    int m_conflictsRefused = 0;
    int m_rowsCompared[3] = {0, 0, 0}; ///< by node: rows read back and compared
    int m_rowsDiffering = 0;           ///< rows missing, extra or different on a node

    /// A workstation whose program connects to node (1-based), as the program connects.
    std::unique_ptr<Connection> workstation(int node)
    {
        qputenv("RYN_DB_PORT", QByteArray::number(m_ports.at(node - 1)));
        auto connection = std::make_unique<Connection>();
        connection->setConnectionString(programConnectionString());
        connection->open();
        return connection;
    }

    static std::unique_ptr<SnapshotTable> students(Connection* connection) { return openStudents(connection); }

    QSqlDatabase root(int node)
    {
        return SandboxDb::rootSession(QStringLiteral("galera-root-%1").arg(node), m_ports.at(node - 1));
    }

    QStringList column(int node, const QString& statement)
    {
        // Waits for the node to have applied every write it has received before it reads.
        QSqlQuery query(root(node));
        query.exec(QStringLiteral("SET SESSION wsrep_sync_wait = 1"));
        if (!query.exec(statement))
            qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }

    /// Reads the statement's column on every node and counts the rows compared with expected and
    /// those that differ; returns what differs, empty when every node holds expected.
    QString differences(const QString& statement, const QStringList& expected)
    {
        QString report;
        for (int node = 1; node <= 3; ++node) {
            const QStringList found = column(node, statement);
            int differing = int(qAbs(found.size() - expected.size()));
            for (int i = 0; i < std::min(found.size(), expected.size()); ++i)
                differing += found[i] != expected[i] ? 1 : 0;
            m_rowsCompared[node - 1] += int(std::max(found.size(), expected.size()));
            m_rowsDiffering += differing;
            if (differing > 0)
                report += QStringLiteral("node %1 holds [%2], expected [%3]\n")
                              .arg(node)
                              .arg(found.join(QLatin1Char(',')), expected.join(QLatin1Char(',')));
        }
        return report;
    }

    void sandbox(const QString& command, int node)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/scripts/sandbox"),
                {command, QString::number(node), qEnvironmentVariable("RYN_SANDBOX")});
        QVERIFY(p.waitForFinished(180000));
        QCOMPARE(p.exitCode(), 0);
    }

    static void set(SnapshotTable& t, const char* field, const QString& text)
    {
        t.field(QString::fromLatin1(field))->setAsString(text);
    }

    static QString text(SnapshotTable& t, const char* field) { return t.field(QString::fromLatin1(field))->asString(); }

    /// Appends and saves a new student; counts the save.
    void addStudent(SnapshotTable& t, const QString& spkey)
    {
        ++m_savesTried;
        t.append();
        set(t, "spkey", spkey);
        set(t, "studname", QStringLiteral("新生"));
        t.post();
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        for (const QString& port : qEnvironmentVariable("RYN_DB_PORTS").split(QLatin1Char(' '), Qt::SkipEmptyParts))
            m_ports << port.toInt();
        QVERIFY2(m_ports.size() == 3, "RYN_DB_PORTS names no three-node cluster (scripts/sandbox start --nodes 3)");
    }

    void cleanupTestCase()
    {
        qInfo("Galera: %d saves tried, %d conflicting saves refused; rows compared on node 1, 2, 3: %d, %d, %d; "
              "%d rows differing",
              m_savesTried, m_conflictsRefused, m_rowsCompared[0], m_rowsCompared[1], m_rowsCompared[2],
              m_rowsDiffering);
    }

    void secondSaveOfOneStudentIsRefused()
    {
        auto first = workstation(1);
        auto second = workstation(2);
        const int rounds = 10;
        for (int i = 0; i < rounds; ++i) {
            auto a = students(first.get());
            auto b = students(second.get());
            QVERIFY(a->locate(QStringLiteral("spkey"), QStringLiteral("A001")));
            QVERIFY(b->locate(QStringLiteral("spkey"), QStringLiteral("A001")));
            a->edit();
            b->edit();
            const QString mine = QStringLiteral("甲%1").arg(i);
            const QString theirs = QStringLiteral("乙%1").arg(i);
            set(*a, "studname", mine);
            set(*b, "studname", theirs);
            m_savesTried += 2;
            a->post();
            try {
                b->post();
                QFAIL("the second workstation overwrote the first one's save");
            } catch (const DbError& e) {
                ++m_conflictsRefused;
                QVERIFY2(!e.message().isEmpty(), "an empty error");
            }
            QCOMPARE(b->state(), DataSetState::Edit);
            QCOMPARE(text(*b, "studname"), theirs);
            const QString differ =
                differences(QStringLiteral("SELECT studname FROM stud WHERE spkey = 'A001'"), QStringList{mine});
            QVERIFY2(differ.isEmpty(), qPrintable(differ));
        }
    }

    void stoppedNodeFailsOnlyItsWorkstation()
    {
        auto first = workstation(1);
        auto second = workstation(2);
        auto third = workstation(3);
        auto a = students(first.get());
        auto b = students(second.get());
        auto c = students(third.get());
        QStringList saved;
        for (int i = 0; i < 5; ++i) {
            addStudent(*a, QStringLiteral("GA%1").arg(i));
            addStudent(*b, QStringLiteral("GB%1").arg(i));
            saved << QStringLiteral("GA%1").arg(i) << QStringLiteral("GB%1").arg(i);
        }

        sandbox(QStringLiteral("node-stop"), 3);
        ++m_savesTried;
        c->append();
        set(*c, "spkey", QStringLiteral("GC0"));
        QVERIFY_THROWS_EXCEPTION(DbError, c->post());
        QCOMPARE(c->state(), DataSetState::Insert);
        QCOMPARE(text(*c, "spkey"), QStringLiteral("GC0"));

        for (int i = 5; i < 10; ++i) {
            addStudent(*a, QStringLiteral("GA%1").arg(i));
            addStudent(*b, QStringLiteral("GB%1").arg(i));
            saved << QStringLiteral("GA%1").arg(i) << QStringLiteral("GB%1").arg(i);
        }
        saved.sort();
        const QString ours = QStringLiteral("SELECT spkey FROM stud WHERE spkey LIKE 'G%' ORDER BY spkey");
        QCOMPARE(column(1, ours), saved);
        QCOMPARE(column(2, ours), saved);

        sandbox(QStringLiteral("node-start"), 3);
        // The session opened on node 3 before it stopped is gone.
        QSqlDatabase::database(QStringLiteral("galera-root-3"), false).close();
        const QString differ = differences(ours, saved);
        QVERIFY2(differ.isEmpty(), qPrintable(differ));
    }

    // Whatever the cases did, every node ends with the same students as node 1.
    void everyNodeHoldsTheSameRows()
    {
        const QString all = QStringLiteral("SELECT CONCAT_WS('|', spkey, studname, studpwd) FROM stud ORDER BY spkey");
        const QString differ = differences(all, column(1, all));
        QVERIFY2(differ.isEmpty(), qPrintable(differ));
    }
};

RYN_CORE_TEST_MAIN(GaleraTest)
#include "tst_galera.moc"
