// New rows saved with a token in a side table, in the row's own transaction: a repeated save of a
// row whose first save may have been stored stores nothing twice, and a new row is a new booking.

#include "data/connection.h"
#include "data/dberror.h"
#include "data/snapshottable.h"
#include "coresupport.h"
#include "sandboxdb.h"
#include "tables.h"
#include "wiretap.h"

#include <QDateTime>

class SnapshotTokenTest : public QObject
{
    Q_OBJECT

    Connection* m_connection = nullptr;

    static std::unique_ptr<SnapshotTable> bookings(Connection* connection)
    {
        auto t = declareTable(connection, "studclass",
                              {{"scpkey", FieldType::Int64},
                               {"spkey", FieldType::Text, 10},
                               {"crpkey", FieldType::Int32},
                               {"watchpoint", FieldType::Int32}},
                              "scpkey");
        t->setInsertToken(QStringLiteral("booking_token"), QStringLiteral("scpkey"));
        t->open();
        return t;
    }

    static void book(SnapshotTable& t, int points)
    {
        t.append();
        t.field(QStringLiteral("spkey"))->setAsString(QStringLiteral("A001"));
        t.field(QStringLiteral("watchpoint"))->setValue(points);
    }

    // A connection whose first session goes through tap.
    static Connection* through(const WireTap& tap)
    {
        const QByteArray serverPort = qgetenv("RYN_DB_PORT");
        qputenv("RYN_DB_PORT", QByteArray::number(tap.port()));
        Connection* c = SandboxDb::programConnection(nullptr);
        qputenv("RYN_DB_PORT", serverPort);
        return c;
    }

    static int count(const QString& statement) { return SandboxDb::scalar(statement).toInt(); }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
    }

    void init() { SandboxDb::reseed(); }

    // Alike values are two bookings: each new row has a token of its own, naming the row's key.
    void eachNewRowHasItsToken()
    {
        auto t = bookings(m_connection);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
        for (int i = 0; i < 2; ++i) {
            book(*t, 40);
            t->post();
            QCOMPARE(t->lastInsertRecheck(), InsertRecheck::None);
        }
        QCOMPARE(count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 40"), 2);
        QCOMPARE(count("SELECT COUNT(DISTINCT token) FROM booking_token"), 2);
        QCOMPARE(count("SELECT COUNT(*) FROM booking_token b JOIN studclass s USING (scpkey) "
                       "WHERE s.watchpoint = 40 AND LENGTH(b.token) = 16"),
                 2);
        QCOMPARE(SandboxDb::scalar("SELECT MAX(scpkey) FROM booking_token").toLongLong(),
                 t->field(QStringLiteral("scpkey"))->value().toLongLong());
        QVERIFY(SandboxDb::scalar("SELECT MIN(created) FROM booking_token").toDateTime() >= before);
    }

    // The token cannot be written: the booking is not stored either, and stays being inserted.
    void rowAndTokenCommitTogether()
    {
        auto t = bookings(m_connection);
        SandboxDb::exec(QStringLiteral("CREATE TRIGGER refuse_token BEFORE INSERT ON booking_token FOR EACH ROW "
                                       "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no tokens today'"));
        book(*t, 41);
        try {
            t->post();
            QFAIL("the booking was saved without its token");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QLatin1String("no tokens today")), qPrintable(e.message()));
        }
        QCOMPARE(t->state(), DataSetState::Insert);
        QCOMPARE(count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 41"), 0);
        SandboxDb::exec(QStringLiteral("DROP TRIGGER refuse_token"));
        t->post();
        QCOMPARE(count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 41"), 1);
    }

    void tokensOlderThanThirtyDaysGo()
    {
        SandboxDb::exec(QStringLiteral("INSERT INTO booking_token VALUES "
                                       "(UNHEX(REPEAT('11', 16)), 1, NOW() - INTERVAL 31 DAY), "
                                       "(UNHEX(REPEAT('22', 16)), 2, NOW() - INTERVAL 29 DAY)"));
        auto t = bookings(m_connection);
        book(*t, 42);
        t->post();
        QCOMPARE(count("SELECT COUNT(*) FROM booking_token WHERE token = UNHEX(REPEAT('11', 16))"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM booking_token WHERE token = UNHEX(REPEAT('22', 16))"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM booking_token"), 2);
    }

    // The answer to COMMIT is lost. Saving the same row again stores nothing and takes in the row
    // stored then; a row given up and typed anew is a new booking.
    void repeatedSaveFindsTheCommittedRow()
    {
        WireTap tap(qgetenv("RYN_DB_PORT").toInt());
        std::unique_ptr<Connection> relayed(through(tap));
        auto t = bookings(relayed.get());
        const int rowsBefore = t->recordCount();
        book(*t, 43);
        tap.dropProgramAfterSending("COMMIT");
        QVERIFY_THROWS_EXCEPTION(DbError, t->post());
        QVERIFY(tap.cutDone());
        // The server carries the COMMIT out on its own time.
        QVERIFY(
            QTest::qWaitFor([] { return count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 43") == 1; }, 10000));
        t->post();
        QCOMPARE(t->lastInsertRecheck(), InsertRecheck::FoundStored);
        QCOMPARE(count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 43"), 1);
        QCOMPARE(t->recordCount(), rowsBefore + 1);
        QCOMPARE(t->field(QStringLiteral("scpkey"))->value().toLongLong(),
                 SandboxDb::scalar("SELECT scpkey FROM studclass WHERE watchpoint = 43").toLongLong());

        // A broken connection is opened again straight to the server: this one goes through the relay.
        relayed.reset(through(tap));
        t = bookings(relayed.get());
        book(*t, 44);
        tap.dropProgramAfterSending("COMMIT");
        QVERIFY_THROWS_EXCEPTION(DbError, t->post());
        QVERIFY(
            QTest::qWaitFor([] { return count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 44") == 1; }, 10000));
        t->cancel();
        book(*t, 44);
        t->post();
        QCOMPARE(t->lastInsertRecheck(), InsertRecheck::None);
        QCOMPARE(count("SELECT COUNT(*) FROM studclass WHERE watchpoint = 44"), 2);
    }

    // The company's row has no key: its token is recorded under 0, and a save repeated after a lost
    // answer to COMMIT stores the row once.
    void keylessRowStoredOnce()
    {
        SandboxDb::exec(QStringLiteral("DELETE FROM corp"));
        WireTap tap(qgetenv("RYN_DB_PORT").toInt());
        std::unique_ptr<Connection> relayed(through(tap));
        auto t = declareTable(
            relayed.get(), "corp",
            {{"invoiceno", FieldType::Text, 8}, {"corpname", FieldType::Text, 30}, {"watermark", FieldType::Int16}});
        t->setInsertToken(QStringLiteral("insert_token"), QStringLiteral("rowkey"));
        t->open();
        t->append();
        t->field(QStringLiteral("invoiceno"))->setAsString(QStringLiteral("24681357"));
        t->field(QStringLiteral("corpname"))->setAsString(QStringLiteral("美妝學院"));
        tap.dropProgramAfterSending("COMMIT");
        QVERIFY_THROWS_EXCEPTION(DbError, t->post());
        QVERIFY(tap.cutDone());
        QVERIFY(QTest::qWaitFor([] { return count("SELECT COUNT(*) FROM corp") == 1; }, 10000));
        t->post();
        QCOMPARE(t->lastInsertRecheck(), InsertRecheck::FoundStored);
        QCOMPARE(count("SELECT COUNT(*) FROM corp WHERE invoiceno = '24681357'"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM insert_token WHERE rowkey = 0"), 1);
        QCOMPARE(t->recordCount(), 1);
    }
};

RYN_CORE_TEST_MAIN(SnapshotTokenTest)
#include "tst_snapshottable_token.moc"
