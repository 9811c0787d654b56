#include "controls/dbgrid.h"
#include "forms/lowbalancewindow.h"
#include "platform/inifile.h"
#include "testsupport.h"
#include "ui/messagebox.h"
#include "windowfixture.h"

#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSpinBox>

using namespace FormDriver;

// The low-balance list: exactly the students a plain statement of the tester's own finds.
class TestLowBalance : public QObject, WindowFixture<LowBalanceWindow>
{
    Q_OBJECT

    // Each student's balance summed row by row, as the point query sums its log.
    static QStringList ownList(int threshold)
    {
        QSqlQuery own(SandboxDb::root());
        if (!own.exec(QStringLiteral("SELECT spkey FROM (SELECT s.spkey, "
                                     "(SELECT COALESCE(SUM(watchpoint), 0) FROM studclass c WHERE c.spkey = s.spkey) + "
                                     "(SELECT COALESCE(SUM(point), 0) FROM watchlog w WHERE w.spkey = s.spkey) b "
                                     "FROM stud s) t WHERE b <= %1 ORDER BY b, spkey")
                          .arg(threshold)))
            qFatal("%s", qPrintable(own.lastError().text()));
        QStringList keys;
        while (own.next())
            keys << own.value(0).toString();
        return keys;
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        startCase();
        QFile::remove(IniFile::userSettingsPath());
        // Demo balances: A001 222, A002 190, A003 1450, B001 0 (nothing booked).
        SandboxDb::exec("INSERT INTO stud (spkey, studname) VALUES ('C001', '甲'), ('C002', '乙'), ('C003', '丙'), "
                        "('C004', '丁')");
        SandboxDb::exec(
            "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
            "('2026-10-01 10:00:00', 'C001', 1, 5, 'staff'), ('2026-10-02 10:00:00', 'C002', 1, 20, 'staff'), "
            "('2026-10-09 10:00:00', 'C002', 1, -3, 'staff'), ('2026-10-03 10:00:00', 'C003', 1, 3, 'staff'), "
            "('2026-10-04 10:00:00', 'C004', 1, 11, 'staff')");
        SandboxDb::exec("INSERT INTO watchlog (cpkey, spkey, point, begintime) VALUES "
                        "(1, 'C001', -5, '2026-10-05 19:00:00'), (1, 'C002', -9, '2026-10-06 19:00:00'), "
                        "(1, 'C002', NULL, '2026-10-07 19:00:00'), (1, 'C003', -10, '2026-10-08 19:00:00'), "
                        "(1, 'C004', -1, '2026-10-08 19:00:00'), (1, 'ZZZ', -100, '2026-10-08 19:00:00')");
    }

    void cleanup()
    {
        endCase();
        QFile::remove(IniFile::userSettingsPath());
    }

    void listsExactlyTheStudentsAtOrBelowTheThreshold()
    {
        open();
        QCOMPARE(m_form->spnThreshold->value(), 10);
        const QStringList expected = ownList(10);
        QCOMPARE(expected, QStringList({"C003", "B001", "C001", "C002", "C004"}));
        QCOMPARE(column(m_form->grdLowBalance, 0), expected);
        // Zero or below first; the balance, the last top-up (a deduction is none) and the last viewing.
        QCOMPARE(column(m_form->grdLowBalance, 2), QStringList({"-7", "0", "0", "8", "10"}));
        QCOMPARE(column(m_form->grdLowBalance, 1).at(3), QStringLiteral("乙"));
        QCOMPARE(column(m_form->grdLowBalance, 3).at(3), QStringLiteral("2026/10/02 10:00:00"));
        QCOMPARE(column(m_form->grdLowBalance, 4).at(3), QStringLiteral("2026/10/07 19:00:00"));
        QCOMPARE(column(m_form->grdLowBalance, 3).at(1), QString());
        QCOMPARE(column(m_form->grdLowBalance, 4).at(1), QString());
    }

    void thresholdIsKeptInTheUsersSettings()
    {
        open();
        m_form->spnThreshold->setValue(200);
        click(m_form->btnRefresh);
        QCOMPARE(column(m_form->grdLowBalance, 0), ownList(200));
        QVERIFY(column(m_form->grdLowBalance, 0).contains(QStringLiteral("A002")));
        delete m_form;
        QCOMPARE(LowBalanceWindow::storedThreshold(), 200);
        open();
        QCOMPARE(m_form->spnThreshold->value(), 200);
        m_form->spnThreshold->setValue(-8);
        click(m_form->btnRefresh);
        QCOMPARE(m_form->grdLowBalance->model()->rowCount(), 0);
    }

    // The threshold travels with the statement that reads the list: after the connection was lost
    // and opened again, the list is that of the threshold, not of a value the new session lacks.
    void thresholdHoldsAcrossAReconnect()
    {
        open();
        const auto session = [this] {
            QSqlQuery id(m_conn->database());
            if (!id.exec(QStringLiteral("SELECT CONNECTION_ID()")) || !id.next())
                qFatal("no connection id: %s", qPrintable(id.lastError().text()));
            return id.value(0).toLongLong();
        };
        // The window opens in the threshold box, which lists again when left with a new value: the
        // focus leaves it first, so that the click below makes the one read.
        m_form->btnRefresh->setFocus();
        QCOMPARE(FormDriver::focused(), m_form->btnRefresh);
        const qlonglong killed = session();
        SandboxDb::exec(QStringLiteral("KILL CONNECTION %1").arg(killed));
        m_form->spnThreshold->setValue(200);
        // The read that finds the connection gone is told; the next one runs on a new session.
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnRefresh);
        QVERIFY(DialogSeam::pending() == 0);
        QCOMPARE(m_form->grdLowBalance->model()->rowCount(), 0);
        click(m_form->btnRefresh);
        QCOMPARE(column(m_form->grdLowBalance, 0), ownList(200));
        QVERIFY(session() != killed);
    }
};

RYN_TEST_MAIN(TestLowBalance)
#include "tst_lowbalance.moc"
