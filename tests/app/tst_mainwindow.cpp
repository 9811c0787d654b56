#include "app/mainwindow.h"
#include "lang/languagemanager.h"
#include "data/connection.h"
#include "forms/corpwindow.h"
#include "forms/coursewindow.h"
#include "forms/ftpupload.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "forms/classroomwindow.h"
#include "forms/recordwindow.h"
#include "forms/studentwindow.h"
#include "formdriver.h"
#include "forms/dayclosewindow.h"
#include "forms/lowbalancewindow.h"
#include "forms/statisticswindow.h"
#include "forms/studclasswindow.h"
#include "forms/watchlogwindow.h"
#include "platform/inifile.h"
#include "sandboxdb.h"
#include "testsupport.h"
#include "mainwindowfixture.h"
#include "mainwindowstandins.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>

class TestMainWindow : public QObject, MainWindowFixture
{
    Q_OBJECT

    static StudentWindow* students(MainWindow* w)
    {
        w->mitStudent->trigger();
        auto* form = qobject_cast<StudentWindow*>(w->mdiArea->activeSubWindow()->widget());
        if (!form)
            qFatal("No students window");
        return form;
    }

private slots:
    void initTestCase() { startRun(); }
    void cleanupTestCase() { endRun(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void menusInOrder()
    {
        MainWindow* w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Korvel線上補課後台管理"));
        QCOMPARE(
            captions(w->mitBasic),
            QStringList({"學生管理 (&S)", "班級管理 (&R)", "課程管理 (&C)", "-", "加、扣點數 (&B)", "點數查詢 (&Q)",
                         "營運統計 (&T)", "日結 (&D)", "點數不足 (&L)", "-", "公司基本資料及預設值 (&O)", "語言",
                         "使用者管理 (&U)", "異動記錄 (&G)", "變更密碼 (&P)", "-", "結束 (&X)"}));
        QCOMPARE(captions(w->mitLang), QStringList({"正體中文", "简体中文"}));
        QCOMPARE(captions(w->mitWindow),
                 QStringList({"-", "重疊顯示", "水平並排", "垂直並排", "排列圖示", "關閉所有視窗"}));
        QCOMPARE(captions(w->mitHelp), QStringList({"產品資訊 (&A)"}));
        QCOMPARE(captions(w->menuBar()), QStringList({"基本資料管理 (&S)", "視窗管理 (&W)", "輔助說明 (&H)"}));
        QCOMPARE(w->mitExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
        QVERIFY(w->mitTW->isCheckable() && w->mitCN->isCheckable());
        QVERIFY(w->conn->connected());
    }

    // The user the main window is given reaches what acts for the user: the account on the
    // server's session (the change history's), the administrator's items, and the course window,
    // whose delete-all button only the account named exactly "admin" has.
    void sessionReachesTheWindows_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<bool>("isAdmin");
        QTest::newRow("admin") << "admin" << true;
        QTest::newRow("another administrator") << "Admin" << true;
        QTest::newRow("staff") << "staff" << false;
    }
    void sessionReachesTheWindows()
    {
        QFETCH(QString, account);
        QFETCH(bool, isAdmin);
        Session session;
        session.account = account;
        session.isAdmin = isAdmin;
        m_main = std::make_unique<MainWindow>(session);
        m_main->showMaximized();
        QCOMPARE(m_main->conn->scalar("SELECT @ryn_account").toString(), account);
        QCOMPARE(m_main->mitUser->isVisible(), isAdmin);
        QCOMPARE(m_main->mitHistory->isVisible(), isAdmin);
        // The command itself opens nothing for a non-administrator.
        m_main->mitHistoryClick();
        QCOMPARE(m_main->mdiArea->subWindowList().size(), isAdmin ? 1 : 0);
        m_main->mitCourseClick();
        auto* course = qobject_cast<CourseWindow*>(m_main->mdiArea->activeSubWindow()->widget());
        QVERIFY(course);
        QCOMPARE(course->btnDelAll->isVisible(), account == "admin");
    }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("viaShortcut");
        QTest::addColumn<bool>("closes");
        QTest::newRow("cancel") << int(Win::IDCANCEL) << false << false;
        QTest::newRow("ok") << int(Win::IDOK) << false << true;
        QTest::newRow("ctrl+x cancel") << int(Win::IDCANCEL) << true << false;
        QTest::newRow("ctrl+x ok") << int(Win::IDOK) << true << true;
    }
    void closeQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, viaShortcut);
        QFETCH(bool, closes);
        MainWindow* w = open();
        QVERIFY(QTest::qWaitForWindowActive(w));
        DialogSeam::queueAnswer(answer);
        if (viaShortcut)
            QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier);
        else
            w->close();
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("確定結束本系統?"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("結束"));
        QCOMPARE(DialogSeam::last().flags, TestSupport::kConfirmFlags);
        QCOMPARE(w->isVisible(), !closes);
    }

    void closeQuestionTakesTheLabelsTexts()
    {
        MainWindow* w = open();
        w->lblCloseQuery->setText(QStringLiteral("确定结束本系统?"));
        w->lblExit->setText(QStringLiteral("结束"));
        DialogSeam::queueAnswer(Win::IDCANCEL);
        w->mitExit->trigger();
        QCOMPARE(DialogSeam::last().text, QStringLiteral("确定结束本系统?"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("结束"));
    }

    void oneChildWindowPerClass()
    {
        MainWindow* w = open();
        int made = 0;
        auto makeA = [&]() -> FormA* {
            ++made;
            return new FormA;
        };
        FormA* a = w->bringUpChild<FormA>(makeA);
        FormB* b = w->bringUpChild<FormB>([] { return new FormB; });
        QCOMPARE(w->mdiArea->subWindowList().size(), 2);
        QCOMPARE(w->mdiArea->activeSubWindow()->widget(), b);
        QCOMPARE(w->bringUpChild<FormA>(makeA), a);
        QCOMPARE(made, 1);
        QCOMPARE(w->mdiArea->subWindowList().size(), 2);
        QCOMPARE(w->mdiArea->activeSubWindow()->widget(), a);
        QVERIFY(a->parentWidget()->isMaximized());

        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(a->parentWidget());
        sub->showMinimized();
        QVERIFY(sub->isMinimized());
        w->bringUpChild<FormA>(makeA);
        QVERIFY(sub->isMaximized());
        QCOMPARE(made, 1);
    }

    void closeAllFreesEveryChildWithoutQuestions()
    {
        MainWindow* w = open();
        w->mitCloseAll->trigger();
        QVERIFY(w->mdiArea->subWindowList().isEmpty());
        QPointer<FormA> a = w->bringUpChild<FormA>([] { return new FormA; });
        QPointer<FormB> b = w->bringUpChild<FormB>([] { return new FormB; });
        w->mitCloseAll->trigger();
        QVERIFY(w->mdiArea->subWindowList().isEmpty());
        QVERIFY(a.isNull());
        QVERIFY(b.isNull());
        QVERIFY(DialogSeam::prompts().isEmpty());
    }

    void tiling()
    {
        MainWindow* w = open();
        w->bringUpChild<FormA>([] { return new FormA; });
        w->bringUpChild<FormB>([] { return new FormB; });
        const QList<QMdiSubWindow*> subs = w->mdiArea->subWindowList(QMdiArea::CreationOrder);
        const QRect area = w->mdiArea->viewport()->rect();
        w->mitHorizontal->trigger();
        QCOMPARE(subs[0]->width(), area.width());
        QCOMPARE(subs[1]->width(), area.width());
        QVERIFY(subs[0]->geometry().bottom() < subs[1]->geometry().top());
        w->mitVertical->trigger();
        QCOMPARE(subs[0]->height(), area.height());
        QVERIFY(subs[0]->geometry().right() < subs[1]->geometry().left());
        w->mitCascade->trigger();
        QVERIFY(subs[0]->pos() != subs[1]->pos());
        subs[0]->showMinimized();
        subs[1]->showMinimized();
        w->mitIcon->trigger();
        QCOMPARE(subs[0]->geometry().bottom(), area.bottom());
        QVERIFY(subs[0]->geometry().right() < subs[1]->geometry().left());
    }

    void windowMenuListsTheChildren()
    {
        MainWindow* w = open();
        auto* a = w->bringUpChild<FormA>([] { return new FormA; });
        a->setWindowTitle(QStringLiteral("學生管理"));
        QMetaObject::invokeMethod(w->mitWindow, "aboutToShow");
        QCOMPARE(captions(w->mitWindow).mid(6), QStringList({"-", "&1 學生管理"}));
        QMetaObject::invokeMethod(w->mitWindow, "aboutToShow");
        QCOMPARE(captions(w->mitWindow).size(), 8);
    }

    void recordWindowsFromTheMenu()
    {
        SandboxDb::reseed();
        MainWindow* w = open();
        w->mitStudent->trigger();
        w->mitClassroom->trigger();
        w->mitStudent->trigger();
        QCOMPARE(w->mdiArea->subWindowList().size(), 2);
        QVERIFY(qobject_cast<StudentWindow*>(w->mdiArea->activeSubWindow()->widget()));
        QVERIFY(w->mdiArea->activeSubWindow()->isMaximized());
        // Exit frees the window; the menu then makes a new one.
        auto* students = qobject_cast<StudentWindow*>(w->mdiArea->activeSubWindow()->widget());
        QPointer<StudentWindow> gone(students);
        students->btnExit->click();
        QTRY_VERIFY(gone.isNull());
        QCOMPARE(w->mdiArea->subWindowList().size(), 1);
    }

    void companyWindowFromTheMenu()
    {
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(w->mitCorp->isEnabled());
        // No logo on the private server: the listing's refusal is told once, on creation.
        QFile::remove(SandboxDb::videoFolder() + "logo.png");
        DialogSeam::queueAnswer(Win::IDOK);
        w->mitCorp->trigger();
        w->mitCorp->trigger();
        QCOMPARE(w->mdiArea->subWindowList().size(), 1);
        auto* corp = qobject_cast<CorpWindow*>(w->mdiArea->activeSubWindow()->widget());
        QVERIFY(corp);
        QVERIFY(w->mdiArea->activeSubWindow()->isMaximized());
        // The fetch runs on the window's job; the program is in use meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(!corp->ftpUpload->running(), 30000);
        QVERIFY(DialogSeam::last().text.startsWith(QStringLiteral("不明錯誤: ")));
    }

    void pointWindowsFromTheMenu()
    {
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(w->mitBuy->isEnabled() && w->mitQuery->isEnabled());
        w->mitBuy->trigger();
        QVERIFY(qobject_cast<StudClassWindow*>(w->mdiArea->activeSubWindow()->widget()));
        w->mitQuery->trigger();
        QVERIFY(qobject_cast<WatchLogWindow*>(w->mdiArea->activeSubWindow()->widget()));
        w->mitBuy->trigger();
        QCOMPARE(w->mdiArea->subWindowList().size(), 2);
        QVERIFY(qobject_cast<StudClassWindow*>(w->mdiArea->activeSubWindow()->widget()));
        QVERIFY(w->mdiArea->activeSubWindow()->isMaximized());
        // The statistics window: one at most, maximised, freed when closed.
        w->mitStatistics->trigger();
        QPointer<QWidget> statistics = w->mdiArea->activeSubWindow()->widget();
        QVERIFY(qobject_cast<StatisticsWindow*>(statistics));
        w->mitQuery->trigger();
        w->mitStatistics->trigger();
        QCOMPARE(w->mdiArea->subWindowList().size(), 3);
        QCOMPARE(w->mdiArea->activeSubWindow()->widget(), statistics.data());
        QVERIFY(w->mdiArea->activeSubWindow()->isMaximized());
        statistics->close();
        QTRY_VERIFY(statistics.isNull());
        // The day's close and the low-balance list, one of each.
        w->mitDayClose->trigger();
        QVERIFY(qobject_cast<DayCloseWindow*>(w->mdiArea->activeSubWindow()->widget()));
        w->mitLowBalance->trigger();
        QVERIFY(qobject_cast<LowBalanceWindow*>(w->mdiArea->activeSubWindow()->widget()));
        w->mitDayClose->trigger();
        QVERIFY(qobject_cast<DayCloseWindow*>(w->mdiArea->activeSubWindow()->widget()));
        int dayCloses = 0;
        for (QMdiSubWindow* sub : w->mdiArea->subWindowList())
            dayCloses += qobject_cast<DayCloseWindow*>(sub->widget()) ? 1 : 0;
        QCOMPARE(dayCloses, 1);
    }

    void aboutBoxIsModal()
    {
        MainWindow* w = open();
        QString title;
        TestSupport::runWhenModal([&](QWidget* modal) {
            title = modal->windowTitle();
            QTest::mouseClick(modal->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        });
        w->mitAbout->trigger();
        QCOMPARE(title, QStringLiteral("軟體資訊"));
        QVERIFY(w->mdiArea->subWindowList().isEmpty());
    }

    void serverDownStillOpensTheWindow()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        const QByteArray saved = qgetenv("RYN_DB_PORT");
        qputenv("RYN_DB_PORT", QByteArray::number(port));
        DialogSeam::queueAnswer(Win::IDOK);
        MainWindow* w = open(false);
        qputenv("RYN_DB_PORT", saved);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(!w->conn->connected());
        QVERIFY(w->isVisible());
        QVERIFY(!w->mitUser->isVisible());
        QVERIFY(!w->mitHistory->isVisible());
    }
    // Ctrl+X is the menu's shortcut everywhere in the frame, also over an edit box; Shift+Delete
    // still cuts there.
    void ctrlXAsksToEndAlsoFromAnEditBox()
    {
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(QTest::qWaitForWindowActive(w));
        StudentWindow* form = students(w);
        FormDriver::click(form->btnAdd);
        FormDriver::typeInto(form->txtStudName, "abc");
        form->txtStudName->selectAll();
        DialogSeam::queueAnswer(Win::IDCANCEL);
        QTest::keyClick(form->txtStudName, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("確定結束本系統?"));
        QCOMPARE(form->txtStudName->text(), QStringLiteral("abc"));
        QVERIFY(w->isVisible());
        QTest::keyClick(form->txtStudName, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(form->txtStudName->text(), QString());
    }

    // Alt+S: "儲存 (&S)" of the active window while it is enabled, "基本資料管理 (&S)" otherwise.
    void underlinedLetterGoesToTheEnabledButtonFirst()
    {
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(QTest::qWaitForWindowActive(w));
        StudentWindow* form = students(w);
        form->grdStudent->setFocus();
        QTest::keyClick(form->grdStudent, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(w->mitBasic->isVisible());
        w->mitBasic->close();
        QTRY_VERIFY(!w->mitBasic->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(w));

        FormDriver::click(form->btnAdd);
        FormDriver::typeInto(form->txtSpkey, "S900");
        FormDriver::typeInto(form->txtStudName, QStringLiteral("王小明"));
        FormDriver::typeInto(form->txtStudpwd, "pw");
        QTest::keyClick(form->txtStudpwd, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(SandboxDb::scalar("SELECT studname FROM stud WHERE spkey='S900'").toString(),
                 QStringLiteral("王小明"));
        QCOMPARE(FormDriver::frameRuleBroken(form, false, {form->txtSpkey, form->txtStudName, form->txtStudpwd},
                                             {form->grdStudent}),
                 QString());
        QVERIFY(!w->mitBasic->isVisible());
        QVERIFY(DialogSeam::prompts().isEmpty());
    }

    // The button a key or a click pressed is disabled by the state it leads to: after 修改 the
    // keys go into the first box that can change, after 取消 back to 新增.
    void recordWindowKeepsTheFocusWhereKeysCount_data()
    {
        QTest::addColumn<bool>("students");
        QTest::newRow("students") << true;
        QTest::newRow("classes") << false;
    }

    void recordWindowKeepsTheFocusWhereKeysCount()
    {
        QFETCH(bool, students);
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(QTest::qWaitForWindowActive(w));
        (students ? w->mitStudent : w->mitClassroom)->trigger();
        auto* form = qobject_cast<RecordWindow*>(w->mdiArea->activeSubWindow()->widget());
        QVERIFY(form);
        QTRY_COMPARE(FormDriver::focused(), form->btnAdd);
        auto* box = form->findChild<QLineEdit*>(students ? "txtStudName" : "txtClassName");
        QVERIFY(box);
        const QString before = box->text();
        QTest::keyClick(FormDriver::focused(), Qt::Key_E, Qt::AltModifier);
        QVERIFY(form->btnPost->isEnabled());
        QCOMPARE(FormDriver::focused(), box);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Z);
        QCOMPARE(box->text(), before + QLatin1Char('z'));
        QTest::keyClick(box, Qt::Key_C, Qt::AltModifier);
        QVERIFY(form->btnAdd->isEnabled());
        QCOMPARE(box->text(), before);
        QCOMPARE(FormDriver::focused(), form->btnAdd);
        // 修改 and 取消 clicked with the mouse do the same.
        QTest::mouseClick(form->btnEdit, Qt::LeftButton);
        QCOMPARE(FormDriver::focused(), box);
        QTest::mouseClick(form->btnCancel, Qt::LeftButton);
        QCOMPARE(FormDriver::focused(), form->btnAdd);
        QVERIFY(DialogSeam::prompts().isEmpty());
    }

    // A record window inside the frame has a fixed border: dragging its corner changes nothing.
    void recordWindowsAreNotResizable()
    {
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(QTest::qWaitForWindowActive(w));
        students(w);
        QMdiSubWindow* sub = w->mdiArea->activeSubWindow();
        QVERIFY(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
        sub->showNormal();
        sub->setGeometry(10, 10, 600, 400);
        const QSize before = sub->size();
        const QPoint corner(sub->width() - 2, sub->height() - 2);
        QTest::mouseMove(sub, corner);
        QTest::mousePress(sub, Qt::LeftButton, {}, corner);
        QTest::mouseMove(sub, corner + QPoint(60, 40));
        QTest::mouseRelease(sub, Qt::LeftButton, {}, corner + QPoint(60, 40));
        QCOMPARE(sub->size(), before);
    }

    // Closing drops a refused value in the focused box without a word, as Cancel would.
    void closingDropsARefusedValueSilently_data()
    {
        QTest::addColumn<bool>("closeAll");
        QTest::newRow("close box") << false;
        QTest::newRow("close all") << true;
    }
    void closingDropsARefusedValueSilently()
    {
        QFETCH(bool, closeAll);
        SandboxDb::reseed();
        MainWindow* w = open();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->mitClassroom->trigger();
        auto* form = qobject_cast<ClassroomWindow*>(w->mdiArea->activeSubWindow()->widget());
        QVERIFY(form);
        QPointer<ClassroomWindow> alive(form);
        FormDriver::click(form->btnAdd);
        FormDriver::typeInto(form->txtClassName, "Lost");
        FormDriver::typeInto(form->txtVideoPoint, "99999");
        QCOMPARE(QApplication::focusWidget(), form->txtVideoPoint);
        if (closeAll)
            w->mitCloseAll->trigger();
        else
            w->mdiArea->activeSubWindow()->close();
        QTRY_VERIFY(alive.isNull());
        QVERIFY(DialogSeam::prompts().isEmpty());
        QVERIFY(w->mdiArea->subWindowList().isEmpty());
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom WHERE classname='Lost'").toInt(), 0);
    }
};

RYN_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
#include "moc_mainwindowstandins.cpp"
