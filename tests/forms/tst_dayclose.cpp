#include "controls/dbgrid.h"
#include "data/snapshottable.h"
#include "forms/dayclosewindow.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

using namespace FormDriver;

// The day's close: the sums per staff account and the totals of one day, as the database holds them.
class TestDayClose : public QObject, WindowFixture<DayCloseWindow>
{
    Q_OBJECT

    static QStringList rowsOf(DBGrid* grid)
    {
        QStringList rows;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                cells << grid->model()->index(r, c).data().toString();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        startCase();
        // Bookings by two accounts on 2026-12-05, and some just outside the day.
        SandboxDb::exec("INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
                        "('2026-12-04 23:59:59', 'A001', 1, 1000, 'staff'), "
                        "('2026-12-05 00:00:00', 'A001', 1, 100, 'staff'), "
                        "('2026-12-05 09:30:00', 'A002', 2, 200, 'admin'), "
                        "('2026-12-05 10:15:00', 'A003', 3, -30, 'staff'), "
                        "('2026-12-05 12:00:00', 'B001', 1, 0, 'admin'), "
                        "('2026-12-05 18:45:00', 'B001', 3, 150, 'staff'), "
                        "('2026-12-05 23:59:59', 'A002', 2, -12, 'admin'), "
                        "('2026-12-06 00:00:00', 'A003', 1, 500, 'admin')");
    }

    void cleanup() { endCase(); }

    void sumsPerAccountAreThoseOfTheDatabase()
    {
        open();
        QCOMPARE(m_form->chosenDay(), QDate::currentDate());
        m_form->chooseDay(QDate(2026, 12, 5));
        // The tester's own statement: the day taken by DATE(), names joined by account.
        QSqlQuery own(SandboxDb::root());
        QVERIFY(own.exec("SELECT a.uid, MIN(u.uname), COUNT(*), SUM(IF(a.watchpoint > 0, a.watchpoint, 0)), "
                         "SUM(IF(a.watchpoint < 0, -a.watchpoint, 0)) FROM studclass a "
                         "LEFT JOIN users u ON u.uid = a.uid WHERE DATE(a.buydate) = '2026-12-05' "
                         "GROUP BY a.uid ORDER BY a.uid"));
        QStringList expected;
        qint64 bookings = 0;
        qint64 added = 0;
        qint64 deducted = 0;
        while (own.next()) {
            expected << QStringList{own.value(0).toString(), own.value(1).toString(), own.value(2).toString(),
                                    own.value(3).toString(), own.value(4).toString()}
                            .join(QLatin1Char('|'));
            bookings += own.value(2).toLongLong();
            added += own.value(3).toLongLong();
            deducted += own.value(4).toLongLong();
        }
        QCOMPARE(expected.size(), 2);
        QCOMPARE(rowsOf(m_form->grdAccounts), expected);
        QCOMPARE(rowsOf(m_form->grdAccounts), QStringList({"admin|系統管理員|3|200|12", "staff|王小明|3|250|30"}));
        QCOMPARE(m_form->txtBookings->text(), QString::number(bookings));
        QCOMPARE(m_form->txtAdded->text(), QString::number(added));
        QCOMPARE(m_form->txtDeducted->text(), QString::number(deducted));

        // The day's bookings in time order, with their receipt numbers and names.
        const QStringList receipts = column(m_form->grdBookings, 0);
        QCOMPARE(receipts.size(), 6);
        const qint64 firstKey =
            SandboxDb::scalar("SELECT scpkey FROM studclass WHERE buydate = '2026-12-05 00:00:00'").toLongLong();
        QCOMPARE(receipts.first(), QStringLiteral("%1").arg(firstKey, 10, 10, QLatin1Char('0')));
        QCOMPARE(column(m_form->grdBookings, 3).at(1), QStringLiteral("林美玲"));
        QCOMPARE(column(m_form->grdBookings, 4).at(2), QStringLiteral("網頁設計"));
    }

    void dayWithoutBookingsShowsZeros()
    {
        open();
        m_form->chooseDay(QDate(2026, 1, 1));
        QCOMPARE(m_form->grdAccounts->model()->rowCount(), 0);
        QCOMPARE(m_form->grdBookings->model()->rowCount(), 0);
        QCOMPARE(m_form->txtBookings->text(), QStringLiteral("0"));
        QCOMPARE(m_form->txtAdded->text(), QStringLiteral("0"));
        QCOMPARE(m_form->txtDeducted->text(), QStringLiteral("0"));
    }

    void pdfHoldsTheAccountsAndTheTotals()
    {
        open();
        m_form->chooseDay(QDate(2026, 12, 5));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("day.pdf"));
        DialogSeam::queueFileName(pdf);
        QCOMPARE(m_form->btnPdfClick(), 1);
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(120000) && p.exitCode() == 0);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const QString& expected : {"Korvel電腦補習班", "王小明", "系統管理員", "合計：6 筆，加 450 點，扣 42 點",
                                        "第 1 頁，共 1 頁", "林美玲"})
            QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("日結\\s+2026/12/05"))));
        QVERIFY(!text.contains(QStringLiteral("2026/12/06")));
    }
};

RYN_TEST_MAIN(TestDayClose)
#include "tst_dayclose.moc"
