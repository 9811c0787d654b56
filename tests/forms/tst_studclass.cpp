#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/dblookupcombobox.h"
#include "data/snapshottable.h"
#include "forms/studclasswindow.h"
#include "testsupport.h"
#include "ui/messagebox.h"
#include "windowfixture.h"
#include "wiretap.h"

#include <QPushButton>
#include <QSqlQuery>
#include <atomic>
#include <thread>

using namespace FormDriver;

// The point top-up window: bookings added with looked-up names, the class filling in the points.
class TestStudClass : public QObject, WindowFixture<StudClassWindow>
{
    Q_OBJECT

    void chooseClass(const QString& name)
    {
        m_form->cboClass->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_form->cboClass, Qt::Key_Home);
        while (m_form->cboClass->currentText() != name
               && m_form->cboClass->currentIndex() + 1 < m_form->cboClass->count())
            QTest::keyClick(m_form->cboClass, Qt::Key_Down);
        QCOMPARE(m_form->cboClass->currentText(), name);
    }

    static QVariant lastBooking(const char* column)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT %1 FROM studclass ORDER BY scpkey DESC LIMIT 1").arg(column));
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        startCase();
        m_session.account = QStringLiteral("staff");
    }

    void cleanup() { endCase(); }

    void opensWithLookedUpNames()
    {
        open();
        QCOMPARE(column(m_form->grdStudClass, 0).first(), QStringLiteral("2026/09/01 10:00:00"));
        QCOMPARE(column(m_form->grdStudClass, 2).first(), QStringLiteral("系統管理員"));
        QCOMPARE(column(m_form->grdStudClass, 3), QStringList({"陳大文", "林美玲", "陳大文", "陳大文", "張志明"}));
        QCOMPARE(column(m_form->grdStudClass, 4).first(), QStringLiteral("Excel 入門"));
        QStringList classes;
        for (int i = 0; i < m_form->cboClass->count(); ++i)
            classes << m_form->cboClass->itemText(i);
        QCOMPARE(classes, QStringList({"Excel 入門", "Photoshop 影像處理", "網頁設計"}));
    }

    void bookDeductionAfterChoosingClass()
    {
        open();
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        click(m_form->btnAdd);
        QCOMPARE(focused(), m_form->txtSpkey);
        QCOMPARE(m_form->txtUid->text(), QStringLiteral("王小明"));
        typeText(m_form->txtSpkey, "A002");
        pressEnter();
        QCOMPARE(m_form->txtStudName->text(), QStringLiteral("林美玲"));
        typeInto(m_form->txtWatchPoint, "77");
        chooseClass(QStringLiteral("網頁設計"));
        QCOMPARE(m_form->txtWatchPoint->text(), QStringLiteral("150")); // the class's total replaces 77
        typeInto(m_form->txtWatchPoint, "-5");
        click(m_form->btnPost);
        QCOMPARE(lastBooking("spkey").toString(), QStringLiteral("A002"));
        QCOMPARE(lastBooking("crpkey").toInt(), 3);
        QCOMPARE(lastBooking("watchpoint").toInt(), -5);
        QCOMPARE(lastBooking("uid").toString(), QStringLiteral("staff"));
        const QDateTime stored = lastBooking("buydate").toDateTime();
        QVERIFY2(stored >= before && stored <= QDateTime::currentDateTime(), qPrintable(stored.toString()));
        QCOMPARE(column(m_form->grdStudClass, 3).last(), QStringLiteral("林美玲"));
        QCOMPARE(column(m_form->grdStudClass, 2).last(), QStringLiteral("王小明"));
    }

    // The window's connection goes through tap, so that a test can break it; the tests' own
    // statements go straight to the server.
    void openThrough(WireTap& tap)
    {
        const QByteArray serverPort = qgetenv("RYN_DB_PORT");
        qputenv("RYN_DB_PORT", QByteArray::number(tap.port()));
        m_conn.reset(SandboxDb::programConnection(nullptr));
        qputenv("RYN_DB_PORT", serverPort);
        open();
    }

    static int sessionsInserting(QSqlQuery& q)
    {
        return q.exec(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST "
                                     "WHERE INFO LIKE 'INSERT INTO `studclass`%'"))
                       && q.next()
                   ? q.value(0).toInt()
                   : -1;
    }

    // The COMMIT reaches the server but its answer is lost: the next Save finds the booking by its
    // token, stores nothing and shows the row that was stored.
    void uncertainBookingIsNotStoredTwice()
    {
        WireTap tap(qgetenv("RYN_DB_PORT").toInt());
        openThrough(tap);
        click(m_form->btnAdd);
        typeText(m_form->txtSpkey, "A002");
        typeInto(m_form->txtWatchPoint, "-5");
        tap.dropProgramAfterSending("COMMIT");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QVERIFY(DialogSeam::last().text.contains(QStringLiteral("無法確定")));
        QVERIFY(tap.cutDone() && m_form->tblStudClass->state() == DataSetState::Insert);
        typeInto(m_form->txtWatchPoint, "-6"); // a change after the break does not make a second booking
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("儲值先前已存入"));
        QVERIFY(DialogSeam::last().text.startsWith(QStringLiteral("連線中斷前送出的這筆儲值已經存入資料庫")));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM studclass WHERE watchpoint IN (-5, -6)").toInt(), 1);
        QCOMPARE(column(m_form->grdStudClass, 1).last(), QStringLiteral("-5"));
        QCOMPARE(column(m_form->grdStudClass, 3).last(), QStringLiteral("林美玲"));
        QCOMPARE(SandboxDb::scalar("SELECT scpkey FROM booking_token").toLongLong(),
                 lastBooking("scpkey").toLongLong());
    }

    // A table lock (a backup's) holds the booking's INSERT; the relay closes the program's side at
    // once while the server's side stays. The next Save is sent while the first INSERT still waits:
    // when the lock lifts, only one of them may be stored.
    void bookingHeldByTableLockIsStoredOnce()
    {
        WireTap tap(qgetenv("RYN_DB_PORT").toInt());
        openThrough(tap);
        std::atomic<bool> locked{false};
        std::atomic<bool> bothWaited{false};
        std::thread holder([&] {
            {
                QSqlQuery q(SandboxDb::rootSession(QStringLiteral("locker")));
                q.exec(QStringLiteral("LOCK TABLES studclass READ"));
                locked = true;
                // Held until both INSERTs wait for it, 12 s at most.
                QSqlQuery poll(SandboxDb::rootSession(QStringLiteral("locker")));
                bothWaited = QTest::qWaitFor([&] { return sessionsInserting(poll) >= 2; }, 12000);
                q.exec(QStringLiteral("UNLOCK TABLES"));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        });
        QVERIFY(QTest::qWaitFor([&] { return locked.load(); }, 10000));
        click(m_form->btnAdd);
        typeInto(m_form->txtWatchPoint, "-7");
        tap.dropProgramAfterSending("INSERT INTO `studclass`");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QVERIFY(tap.cutDone() && m_form->tblStudClass->state() == DataSetState::Insert);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        holder.join();
        QVERIFY(bothWaited); // the second Save was sent while the first INSERT still waited
        QCOMPARE(m_form->tblStudClass->state(), DataSetState::Browse);
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("儲值已儲存"));
        // The first INSERT has run too by the time no session is inserting.
        QSqlQuery poll(SandboxDb::root());
        QVERIFY(QTest::qWaitFor([&] { return sessionsInserting(poll) == 0; }, 10000));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM studclass WHERE watchpoint = -7").toInt(), 1);
    }

    void classWithoutTotalLeavesPointsEmpty()
    {
        SandboxDb::exec(QStringLiteral("UPDATE classroom SET classpoint = NULL WHERE crpkey = 2"));
        open();
        click(m_form->btnAdd);
        typeText(m_form->txtSpkey, "NOBODY");
        typeInto(m_form->txtWatchPoint, "30");
        chooseClass(QStringLiteral("Photoshop 影像處理"));
        QCOMPARE(m_form->txtWatchPoint->text(), QString());
        click(m_form->btnPost);
        QCOMPARE(m_form->txtStudName->text(), QString()); // an unknown student is accepted without a name
        QCOMPARE(lastBooking("spkey").toString(), QStringLiteral("NOBODY"));
        QVERIFY(lastBooking("watchpoint").isNull());
        QCOMPARE(lastBooking("crpkey").toInt(), 2);
    }

    void pointsBoxTakesWholeNumbersOnly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("saved");
        // clang-format off
        QTest::newRow("letters refused") << "1a2b" << "12" << true;
        QTest::newRow("lowest")          << "-2147483648" << "-2147483648" << true;
        QTest::newRow("lone sign")       << "-" << "-" << false;
        QTest::newRow("too large")       << "2147483648" << "2147483648" << false;
        // clang-format on
    }

    void pointsBoxTakesWholeNumbersOnly()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, saved);
        open();
        const int before = SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM studclass")).toInt();
        click(m_form->btnAdd);
        typeInto(m_form->txtWatchPoint, typed);
        QCOMPARE(m_form->txtWatchPoint->text(), shown);
        if (!saved)
            DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM studclass")).toInt(), before + (saved ? 1 : 0));
        if (saved) {
            QCOMPARE(lastBooking("watchpoint").toString(), shown);
            return;
        }
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(DialogSeam::last().text.contains("watchpoint"));
        QCOMPARE(m_form->tblStudClass->state(), DataSetState::Insert);
        QCOMPARE(focused(), m_form->txtWatchPoint);
        QTest::keyClick(m_form->txtWatchPoint, Qt::Key_Escape); // drops the refused text
        click(m_form->btnCancel);
        QCOMPARE(m_form->grdStudClass->model()->rowCount(), before);
    }
};

RYN_TEST_MAIN(TestStudClass)
#include "tst_studclass.moc"
