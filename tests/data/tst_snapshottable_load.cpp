// Reading rows off the wire: every value lands in its column, a value that does not fit is refused,
// and an interrupted read ends in an error with the connection still usable.

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "sandboxdb.h"
#include "tables.h"
#include "coresupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <future>
#include <thread>

class SnapshotLoadTest : public QObject
{
    Q_OBJECT

private:
    Connection* m_connection = nullptr;

    std::unique_ptr<SnapshotTable> bookings(Connection* connection)
    {
        return declareTable(connection, "studclass",
                            {{"scpkey", FieldType::Int64},
                             {"buydate", FieldType::DateTime},
                             {"spkey", FieldType::Text, 10},
                             {"crpkey", FieldType::Int32},
                             {"watchpoint", FieldType::Int32},
                             {"uid", FieldType::Text, 20}},
                            "scpkey");
    }

    static void fillBookings(int rows)
    {
        SandboxDb::exec(QStringLiteral("DELETE FROM studclass"));
        SandboxDb::exec(
            QStringLiteral("INSERT INTO studclass (scpkey, buydate, spkey, crpkey, watchpoint, uid) "
                           "SELECT seq, IF(seq % 11 = 0, NULL, '2020-01-01 00:00:00' + INTERVAL seq * 7 MINUTE), "
                           "IF(seq % 13 = 0, NULL, CONCAT('S', seq % 5000)), seq % 97, IF(seq % 17 = 0, NULL, CAST(seq "
                           "% 1000 AS SIGNED) - 500), "
                           "ELT(1 + seq % 4, 'admin', 'staff', '王小明', '') FROM seq_1_to_%1")
                .arg(rows));
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
    }

    void init() { SandboxDb::reseed(); }

    // The snapshot's own totals against the server's, over enough rows to cross many chunk borders.
    void everyValueInItsColumn()
    {
        fillBookings(70000);
        auto t = bookings(m_connection);
        t->open();
        QCOMPARE(t->recordCount(), 70000);
        qlonglong keySum = 0, pointSum = 0, minutes = 0;
        int nullDates = 0, nullKeys = 0, nullPoints = 0, emptyUid = 0, wang = 0;
        QSet<QString> students;
        for (int row = 0; row < t->recordCount(); ++row) {
            keySum += t->cellValue(row, 0).toLongLong();
            const QVariant date = t->cellValue(row, 1);
            if (date.isValid())
                minutes += QDateTime(QDate(2020, 1, 1), QTime(0, 0)).secsTo(date.toDateTime()) / 60;
            else
                ++nullDates;
            const QVariant spkey = t->cellValue(row, 2);
            if (spkey.isValid())
                students.insert(spkey.toString());
            else
                ++nullKeys;
            const QVariant point = t->cellValue(row, 4);
            if (point.isValid())
                pointSum += point.toInt() * (t->cellValue(row, 3).toInt() + 1);
            else
                ++nullPoints;
            const QVariant uid = t->cellValue(row, 5);
            if (uid.isValid() && uid.toString().isEmpty())
                ++emptyUid;
            if (t->cellText(row, 5) == QStringLiteral("王小明"))
                ++wang;
        }
        const auto server = [](const char* expression) {
            return SandboxDb::scalar(QStringLiteral("SELECT %1 FROM studclass").arg(QString::fromUtf8(expression)));
        };
        QCOMPARE(keySum, server("SUM(scpkey)").toLongLong());
        QCOMPARE(minutes, server("SUM(TIMESTAMPDIFF(MINUTE, '2020-01-01', buydate))").toLongLong());
        QCOMPARE(nullDates, server("SUM(buydate IS NULL)").toInt());
        QCOMPARE(nullKeys, server("SUM(spkey IS NULL)").toInt());
        QCOMPARE(students.size(), server("COUNT(DISTINCT spkey)").toInt());
        QCOMPARE(pointSum, server("SUM(CAST(watchpoint AS SIGNED) * (crpkey + 1))").toLongLong());
        QCOMPARE(nullPoints, server("SUM(watchpoint IS NULL)").toInt());
        QCOMPARE(emptyUid, server("SUM(uid = '')").toInt());
        QCOMPARE(wang, server("SUM(uid = '王小明')").toInt());
        QCOMPARE(t->cellText(0, 1), QStringLiteral("2020/01/01 00:07:00"));
    }

    void valueThatDoesNotFitIsRefused()
    {
        SandboxDb::exec(QStringLiteral("UPDATE studclass SET scpkey = 3000000000 WHERE scpkey = 4"));
        SnapshotTable t;
        t.setConnection(m_connection);
        t.setTableName(QStringLiteral("studclass"));
        t.addField(QStringLiteral("scpkey"), FieldType::Int32);
        try {
            t.open();
            QFAIL("a bigint value was read into a 32-bit column");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QLatin1String("3000000000")), qPrintable(e.message()));
        }
        QVERIFY(!t.active());
        auto again = bookings(m_connection);
        again->open();
        QCOMPARE(again->recordCount(), 5);
    }

    void zeroDateHasNoValue()
    {
        SandboxDb::exec(QStringLiteral("SET SESSION sql_mode = ''"));
        SandboxDb::exec(QStringLiteral("UPDATE studclass SET buydate = '0000-00-00 00:00:00' WHERE scpkey = 2"));
        auto t = bookings(m_connection);
        t->open();
        QVERIFY(!t->cellValue(1, 1).isValid());
        QCOMPARE(t->cellText(1, 1), QString());
        SandboxDb::exec(QStringLiteral("SET SESSION sql_mode = DEFAULT"));
    }

    void interruptedReadIsAnError()
    {
        fillBookings(600000);
        QSqlQuery idQuery(m_connection->database());
        QVERIFY(idQuery.exec(QStringLiteral("SELECT CONNECTION_ID()")) && idQuery.next());
        const qlonglong id = idQuery.value(0).toLongLong();
        idQuery.finish();

        // Another session, connected before the read starts, stops the statement once it runs.
        std::promise<void> connected;
        std::thread killer([id, &connected] {
            {
                QSqlQuery q(SandboxDb::rootSession(QStringLiteral("killer")));
                connected.set_value();
                const bool running = QTest::qWaitFor(
                    [&] {
                        return q.exec(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = "
                                                     "%1 AND INFO LIKE 'SELECT%'")
                                          .arg(id))
                               && q.next() && q.value(0).toInt() > 0;
                    },
                    30000);
                if (running)
                    q.exec(QStringLiteral("KILL QUERY %1").arg(id));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("killer"));
        });
        connected.get_future().wait();
        auto t = bookings(m_connection);
        bool failed = false;
        try {
            t->open();
        } catch (const DbError& e) {
            failed = true;
            QVERIFY2(e.message().contains(QLatin1String("interrupted")), qPrintable(e.message()));
        }
        killer.join();
        QVERIFY2(failed, "the read finished before the statement was stopped");
        QVERIFY(!t->active());
        QCOMPARE(t->recordCount(), 0);
        // The rest of the result was drained: the same connection reads again.
        SnapshotTable stud;
        stud.setConnection(m_connection);
        stud.setTableName(QStringLiteral("stud"));
        stud.addField(QStringLiteral("spkey"), FieldType::Text, 20);
        stud.open();
        QCOMPARE(stud.recordCount(), 4);
        QSqlQuery count(m_connection->database());
        QVERIFY2(count.exec(QStringLiteral("SELECT COUNT(*) FROM studclass")), qPrintable(count.lastError().text()));
    }
};

RYN_CORE_TEST_MAIN(SnapshotLoadTest)
#include "tst_snapshottable_load.moc"
