#include "courseuploadfixture.h"

using namespace CourseUpload;

// The rest of the program while a video travels on a slow link: every command works, closing asks
// one question, and Yes stops the transfer and puts the row back.
class TestUploadInUse : public CourseUploadFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpAll(); }
    void cleanupTestCase() { tearDownAll(); }
    void init() { setUpCase(); }
    void cleanup() { tearDownCase(); }

    void programStaysInUse()
    {
        m_session.isAdmin = true;
        m_session.account = QStringLiteral("admin");
        QTemporaryDir root;
        QProcess server;
        const QString folder = ownServer(server, root, {{"RYN_FTP_READ_LIMIT", "8000000"}});
        MainWindow main(m_session);
        main.showMaximized();
        main.mitCourse->trigger();
        m_form = qobject_cast<CourseWindow*>(main.mdiArea->activeSubWindow()->widget());
        QVERIFY(m_form);
        watch(m_form);
        const QList<QAction*> commands{main.mitBasic->menuAction(),
                                       main.mitWindow->menuAction(),
                                       main.mitHelp->menuAction(),
                                       main.mitExit,
                                       main.mitAbout,
                                       main.mitCloseAll};
        click(m_form->btnEdit);
        DialogSeam::queueFileName(localFile("clip.avi", 24 << 20));
        click(m_form->btnUpload);
        QTRY_VERIFY_WITH_TIMEOUT(m_probe.seen, 20000);
        QVERIFY(m_form->ftpUpload->running());
        // Every command works meanwhile: another window opens, adds and saves a row.
        QVERIFY(std::all_of(commands.begin(), commands.end(), std::mem_fn(&QAction::isEnabled)));
        main.mitStudent->trigger();
        auto* students = main.mdiArea->activeSubWindow()->widget();
        QVERIFY(students != m_form);
        QPushButton* add = students->findChild<QPushButton*>("btnAdd");
        QPushButton* post = students->findChild<QPushButton*>("btnPost");
        click(add);
        typeInto(students->findChild<QLineEdit*>("txtSpkey"), QStringLiteral("hua01"));
        typeInto(students->findChild<QLineEdit*>("txtStudName"), QStringLiteral("林小華"));
        typeInto(students->findChild<QLineEdit*>("txtStudpwd"), QStringLiteral("pw"));
        click(post);
        QCOMPARE(SandboxDb::scalar("SELECT studname FROM stud WHERE spkey='hua01'").toString(),
                 QStringLiteral("林小華"));
        QVERIFY(m_form->ftpUpload->running());
        // Ending the program and closing all windows ask one question each; No leaves all running.
        DialogSeam::queueAnswer(Win::IDNO);
        QVERIFY(!main.close());
        DialogSeam::queueAnswer(Win::IDNO);
        main.mitCloseAll->trigger();
        QVERIFY(m_form && m_form->ftpUpload->running());
        const QString question = Msg::transferStillRunning(Msg::videoOfCourse("clip.avi"), "課程管理");
        QCOMPARE(messages().count(question), 2);
        DialogSeam::queueAnswer(Win::IDOK);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->ftpUpload->running(), 120000);
        QCOMPARE(messages().last(), QStringLiteral("上傳完畢"));
        QCOMPARE(videoAndStatus(1), QStringLiteral("clip.avi/uploaded"));
        QCOMPARE(read(folder + "clip.avi").size(), 24 << 20);
        // Once the transfer is over, closing asks as ever.
        DialogSeam::queueAnswer(Win::IDCANCEL);
        QVERIFY(!main.close());
        QCOMPARE(DialogSeam::last().text, QStringLiteral("確定結束本系統?"));
        main.mitCloseAll->trigger();
        QVERIFY(m_form.isNull());
    }

    void closingStopsAndPutsBack_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the course window") << "window";
        QTest::newRow("close all windows") << "all";
        QTest::newRow("end the program") << "program";
    }
    void closingStopsAndPutsBack()
    {
        QFETCH(QString, how);
        m_session.isAdmin = true;
        QTemporaryDir root;
        QProcess server;
        const QString folder = ownServer(server, root, {{"RYN_FTP_READ_LIMIT", "4000000"}});
        const QByteArray previous = TestFiles::random(3000);
        TestFiles::write(folder + "excel01.mp4", previous);
        auto* main = new MainWindow(m_session);
        const QPointer<MainWindow> alive(main);
        main->setAttribute(Qt::WA_DeleteOnClose);
        main->showMaximized();
        main->mitCourse->trigger();
        m_form = qobject_cast<CourseWindow*>(main->mdiArea->activeSubWindow()->widget());
        watch(m_form);
        click(m_form->btnEdit);
        DialogSeam::queueFileName(localFile("clip.avi", 40 << 20));
        click(m_form->btnUpload);
        QTRY_VERIFY_WITH_TIMEOUT(m_probe.seen && !QDir(folder).entryList({"clip.avi.part-*"}).isEmpty(), 20000);
        QCOMPARE(videoAndStatus(1), QStringLiteral("clip.avi/uploading"));
        DialogSeam::queueAnswer(Win::IDYES);
        if (how == "window")
            main->mdiArea->activeSubWindow()->close();
        else if (how == "all")
            main->mitCloseAll->trigger();
        else
            main->close();
        QTRY_VERIFY_WITH_TIMEOUT(m_form.isNull(), 20000);
        QCOMPARE(messages(), QStringList{Msg::transferStillRunning(Msg::videoOfCourse("clip.avi"), "課程管理")});
        QCOMPARE(videoAndStatus(1), QStringLiteral("excel01.mp4/converted"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"excel01.mp4"});
        QCOMPARE(read(folder + "excel01.mp4"), previous);
        if (how == "program")
            QTRY_VERIFY(alive.isNull());
        delete alive.data();
    }
};

RYN_TEST_MAIN(TestUploadInUse)
#include "tst_uploadinuse.moc"
