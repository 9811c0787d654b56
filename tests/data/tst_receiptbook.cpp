#include "coresupport.h"
#include "data/connection.h"
#include "data/receiptbook.h"
#include "platform/errors.h"

#include <memory>

// A booking's receipt as read from the server, and the record that tells a reprint from the first.
class TestReceiptBook : public QObject
{
    Q_OBJECT

    std::unique_ptr<Connection> m_conn;

    static qint64 bookingOf(const char* spkey, const char* buydate)
    {
        return SandboxDb::scalar(
                   QStringLiteral("SELECT MAX(scpkey) FROM studclass WHERE spkey = '%1' AND buydate = '%2'")
                       .arg(spkey, buydate))
            .toLongLong();
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        SandboxDb::reseed();
        m_conn.reset(SandboxDb::programConnection(nullptr));
    }

    void cleanup() { m_conn.reset(); }

    void numberIsTheKeyPaddedToTenDigits()
    {
        QCOMPARE(ReceiptBook::number(7), QStringLiteral("0000000007"));
        QCOMPARE(ReceiptBook::number(1234567890), QStringLiteral("1234567890"));
    }

    void readsTheBookingWithTheBalanceRightAfterIt()
    {
        // A003: 1500 on 11-01, viewings of -20 and -30 on 11-02 and 11-04; two more bookings, one in
        // the same second as a viewing and one later in the same second as another booking.
        SandboxDb::exec("INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
                        "('2026-11-04 20:00:00', 'A003', 1, 100, 'admin'), "
                        "('2026-11-04 20:00:00', 'A003', 2, -7, 'staff')");
        const qint64 first = bookingOf("A003", "2026-11-01 10:00:00");
        ReceiptData data = ReceiptBook::read(m_conn.get(), first);
        QCOMPARE(data.key, first);
        QCOMPARE(data.bought, QDateTime(QDate(2026, 11, 1), QTime(10, 0)));
        QCOMPARE(data.spkey, QStringLiteral("A003"));
        QCOMPARE(data.studname, QStringLiteral("張志明"));
        QCOMPARE(data.classname, QStringLiteral("網頁設計"));
        QCOMPARE(data.points.toInt(), 1500);
        QCOMPARE(data.uid, QStringLiteral("staff"));
        QCOMPARE(data.uname, QStringLiteral("王小明"));
        QCOMPARE(data.corpName, QStringLiteral("Korvel電腦補習班"));
        QCOMPARE(data.balance, 1500); // the later viewings do not count

        const qint64 sameSecondFirst = first + 1;
        QCOMPARE(ReceiptBook::read(m_conn.get(), sameSecondFirst).balance, 1500 - 20 - 30 + 100);
        QCOMPARE(ReceiptBook::read(m_conn.get(), sameSecondFirst + 1).balance, 1500 - 20 - 30 + 100 - 7);
    }

    void missingBookingIsRefusedAndNotRecorded()
    {
        QVERIFY_THROWS_EXCEPTION(AppError, ReceiptBook::read(m_conn.get(), 999));
        QVERIFY_THROWS_EXCEPTION(AppError, ReceiptBook::record(m_conn.get(), 999, "staff"));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM receiptprint").toInt(), 0);
    }

    void copiesAreCountedPerBookingAndWithdrawn()
    {
        const ReceiptBook::Copy a1 = ReceiptBook::record(m_conn.get(), 1, "staff");
        const ReceiptBook::Copy b1 = ReceiptBook::record(m_conn.get(), 2, "admin");
        const ReceiptBook::Copy a2 = ReceiptBook::record(m_conn.get(), 1, "admin");
        QCOMPARE(a1.number, 1);
        QCOMPARE(b1.number, 1);
        QCOMPARE(a2.number, 2);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT uid FROM receiptprint WHERE rppkey = %1").arg(a2.recordKey))
                     .toString(),
                 QStringLiteral("admin"));
        QVERIFY(SandboxDb::scalar(QStringLiteral("SELECT TIMESTAMPDIFF(SECOND, printed, NOW()) < 60 FROM receiptprint "
                                                 "WHERE rppkey = %1")
                                      .arg(a1.recordKey))
                    .toBool());
        // A receipt that could not be made is taken back: the next one has its number.
        ReceiptBook::withdraw(m_conn.get(), a2.recordKey);
        QCOMPARE(ReceiptBook::record(m_conn.get(), 1, "staff").number, 2);
    }

    void findsTheBookingOfALogRow()
    {
        // Two bookings that show alike in the log: the first and the second row take them in key order.
        SandboxDb::exec(
            "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
            "('2026-12-01 09:00:00', 'B001', 1, 50, 'staff'), ('2026-12-01 09:00:00', 'B001', 1, 50, 'admin'), "
            "('2026-12-01 09:00:00', 'B001', 99, 50, 'admin')");
        const qint64 first = bookingOf("B001", "2026-12-01 09:00:00") - 2;
        const QDateTime at(QDate(2026, 12, 1), QTime(9, 0));
        const QString text = QStringLiteral("購買 Excel 入門 點數");
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "B001", at, 50, text, 0), first);
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "B001", at, 50, text, 1), first + 1);
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "B001", at, 50, text, 2), 0);
        // A booking of a class that no longer exists shows an empty text.
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "B001", at, 50, QString(), 0), first + 2);
        // A viewing's row matches no booking; nor does another student's or other points.
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "A001", QDateTime(QDate(2026, 9, 3), QTime(19, 0)), -5,
                                          QStringLiteral("第一課 儲存格"), 0),
                 0);
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "A001", at, 50, text, 0), 0);
        QCOMPARE(ReceiptBook::findBooking(m_conn.get(), "B001", at, 51, text, 0), 0);
    }
};

RYN_CORE_TEST_MAIN(TestReceiptBook)
#include "tst_receiptbook.moc"
