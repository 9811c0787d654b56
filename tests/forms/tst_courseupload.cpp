#include "courseuploadfixture.h"

using namespace CourseUpload;

// Sending a course's video to the private FTP server: the status cycle, the name rules, refusals,
// and transfers that break off.
class TestCourseUpload : public CourseUploadFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpAll(); }
    void cleanupTestCase() { tearDownAll(); }
    void init() { setUpCase(); }
    void cleanup() { tearDownCase(); }

    void statusCycle_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("watermark");
        QTest::addColumn<QString>("sentAs");
        QTest::addColumn<QString>("status");
        QTest::newRow("mp4, watermark on") << QStringLiteral("Lesson 01.mp4") << 1 << "lesson01.mp4"
                                           << "uploaded";
        QTest::newRow("mp4, watermark off") << QStringLiteral("Lesson 01.mp4") << 0 << "lesson01.mp4"
                                            << "converted";
        QTest::newRow("avi, watermark on") << QStringLiteral("Clip.avi") << 1 << "clip.avi"
                                           << "uploaded";
        QTest::newRow("avi, watermark off") << QStringLiteral("Clip.avi") << 0 << "clip.avi"
                                            << "uploaded";
    }
    void statusCycle()
    {
        QFETCH(QString, file);
        QFETCH(int, watermark);
        QFETCH(QString, sentAs);
        QFETCH(QString, status);
        m_session.watermark = watermark == 1;
        const QString path = localFile(file, 6 << 20);
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtCourseName, QStringLiteral("第三課 圖表"));
        QString statusDuring;
        bool lockedDuring = false;
        bool closedDuring = true;
        m_probe.during = [&] {
            statusDuring = SandboxDb::scalar("SELECT status FROM course WHERE coursename='第三課 圖表'").toString();
            lockedDuring = locked();
            // Closing asks; No leaves the transfer running.
            DialogSeam::queueAnswer(Win::IDNO);
            closedDuring = m_form->close();
        };
        upload(path);
        QCOMPARE(messages(),
                 QStringList({Msg::transferStillRunning(Msg::videoOfCourse(sentAs), "課程管理"), "上傳完畢"}));
        QCOMPARE(DialogSeam::prompts().at(1).flags, int(Win::MB_YESNO | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2));
        QCOMPARE(DialogSeam::last().flags, Prompt::PlainNotice);
        QCOMPARE(statusDuring, QStringLiteral("uploading"));
        QVERIFY(lockedDuring && !closedDuring && m_form);
        QCOMPARE(SandboxDb::scalar("SELECT CONCAT_WS('/', crpkey, videoname, status, point) FROM course "
                                   "WHERE coursename='第三課 圖表'")
                     .toString(),
                 QStringLiteral("1/%1/%2/0").arg(sentAs, status));
        QCOMPARE(read(SandboxDb::videoFolder() + sentAs), read(path));
        QCOMPARE(m_probe.captions.first(), "filename: " + sentAs.section('.', 0, 0));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("100%"));
        QCOMPARE(m_form->progressBar->value(), 0);
        QCOMPARE(m_form->txtStatus->text(), status);
        QVERIFY(!m_form->tblCourse->editing());
        QCOMPARE(frameRule(), QString());
        QVERIFY(m_form->btnDelAll->isEnabled());
    }

    void namesCleanedAndRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sentAs");  ///< empty when refused
        QTest::addColumn<QString>("message"); ///< the refusal, or the start of it
        QTest::addColumn<QString>("caption"); ///< the caption after a refusal; empty: unchanged
        const QString format = QStringLiteral("影片格式不支援"), name = QStringLiteral("檔名需為英、數字");
        const QString a46 = QString(46, 'a'), a47 = QString(47, 'a'), none;
        QTest::newRow("spaces and capitals") << QStringLiteral("Lesson 01.mp4") << "lesson01.mp4" << none << none;
        QTest::newRow("ideographic space") << QStringLiteral("AB　CD.avi") << "abcd.avi" << none << none;
        QTest::newRow("every extension removed") << QStringLiteral("abc.mp4.mp4") << "abc.mp4" << none << none;
        QTest::newRow("part of an extension in the list") << QStringLiteral("a.mp") << "a.mp" << none << none;
        QTest::newRow("fifty characters") << a46 + ".avi" << a46 + ".avi" << none << none;
        QTest::newRow("capital extension") << QStringLiteral("Lesson 01.MP4") << none << format << none;
        QTest::newRow("mpeg of the hint") << QStringLiteral("talk.mpeg") << none << format << none;
        QTest::newRow("no extension") << QStringLiteral("talk") << none << format << none;
        QTest::newRow("hyphen") << QStringLiteral("a-b.avi") << none << name << "filename: a-b";
        QTest::newRow("underscore") << QStringLiteral("a_b.avi") << none << name << "filename: a_b";
        QTest::newRow("second dot") << QStringLiteral("v.1.avi") << none << name << "filename: v.1";
        QTest::newRow("Chinese") << QStringLiteral("第一課.avi") << none << name << "filename: 第一課";
        QTest::newRow("longer than the field")
            << a47 + ".avi" << none << Msg::textTooLong("videoname", 50) << "filename: " + a47;
    }
    void namesCleanedAndRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, sentAs);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        const QString path = localFile(file);
        open();
        upload(path, m_form->btnEdit);
        QCOMPARE(messages().size(), 1);
        const QStringList onServer =
            QDir(SandboxDb::videoFolder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        if (sentAs.isEmpty()) {
            QVERIFY2(DialogSeam::last().text.startsWith(message), qPrintable(DialogSeam::last().text));
            QCOMPARE(DialogSeam::last().flags,
                     message == QStringLiteral("影片格式不支援") ? Prompt::PlainNotice : int(Win::MB_ICONHAND));
            QCOMPARE(m_form->windowTitle(), caption.isEmpty() ? QStringLiteral("課程管理") : caption);
            QCOMPARE(onServer, QStringList());
            QCOMPARE(m_form->txtVideoName->text(), QStringLiteral("excel01.mp4"));
            QCOMPARE(m_form->tblCourse->state(), DataSetState::Edit);
            QCOMPARE(videoAndStatus(1), QStringLiteral("excel01.mp4/converted"));
        } else {
            QCOMPARE(DialogSeam::last().text, QStringLiteral("上傳完畢"));
            QCOMPARE(onServer, QStringList{sentAs});
            QCOMPARE(read(SandboxDb::videoFolder() + sentAs), read(path));
            QCOMPARE(videoAndStatus(1), sentAs + "/uploaded");
        }
    }

    void serverRefuses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("error");
        QTest::newRow("no video folder") << QStringLiteral("folder") << Msg::ftpFailed("CWD", QString()).chopped(2);
        QTest::newRow("rename over a folder refused")
            << QStringLiteral("store") << Msg::ftpNotWhole(Msg::ftpFailed("RNFR clip.avi.part-", QString()).chopped(2));
        QTest::newRow("server down") << QStringLiteral("down") << Msg::ftpFailed(QString(), QString()).chopped(3);
        QTest::newRow("login refused") << QStringLiteral("login") << Msg::ftpFailed(QString(), QString()).chopped(3);
    }
    void serverRefuses()
    {
        QFETCH(QString, how);
        QFETCH(QString, error);
        const QString away = qEnvironmentVariable("RYN_FTP_ROOT") + "/var/www/html/away";
        if (how == "folder")
            QVERIFY(QDir().rename(SandboxDb::videoFolder(), away));
        if (how == "store")
            QVERIFY(QDir(SandboxDb::videoFolder()).mkdir("clip.avi"));
        if (how == "down")
            qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::closedPort()));
        QProcess other;
        QTemporaryDir otherRoot;
        if (how == "login") {
            // A server that knows another account only.
            const int port = SandboxDb::closedPort();
            other.start("/usr/bin/python3", {qEnvironmentVariable("RYN_SOURCE_DIR") + "/scripts/ftpserver.py",
                                             otherRoot.path(), QString::number(port), "someone", "else"});
            QVERIFY(QTest::qWaitFor(
                [port] {
                    QTcpSocket socket;
                    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
                    return socket.waitForConnected(100);
                },
                20000));
            qputenv("RYN_FTP_PORT", QByteArray::number(port));
        }
        const QString path = localFile("clip.avi");
        open();
        upload(path, m_form->btnEdit);
        if (how == "folder")
            QVERIFY(QDir().rename(away, SandboxDb::videoFolder()));
        expectFailedOnce();
        QVERIFY2(DialogSeam::last().text.startsWith(error), qPrintable(DialogSeam::last().text));
        // The row said "uploading" before the server was asked, and says again what it said before;
        // no file, whole or partial, is left.
        expectPreviousRow("clip.avi");
        QCOMPARE(onServer(), how == "store" ? QStringList{"clip.avi"} : QStringList());
        QVERIFY(!QFileInfo(SandboxDb::videoFolder() + "clip.avi").isFile());
    }

    void refusedSaveSendsNothing()
    {
        // The course's own video name passes the name rule; the empty course name stops the save.
        const QByteArray watched = TestFiles::random(5000);
        TestFiles::write(SandboxDb::videoFolder() + "excel01.mp4", watched);
        const QString path = localFile("Excel01.mp4");
        open();
        click(m_form->btnEdit);
        typeInto(m_form->txtCourseName, "");
        upload(path);
        QCOMPARE(messages(), QStringList{"請輸入課程名稱"});
        QCOMPARE(focused(), m_form->txtCourseName);
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Edit);
        QCOMPARE(m_form->txtStatus->text(), QStringLiteral("converted"));
        QCOMPARE(videoAndStatus(1), QStringLiteral("excel01.mp4/converted"));
        QCOMPARE(onServer(), QStringList{"excel01.mp4"});
        QCOMPARE(read(SandboxDb::videoFolder() + "excel01.mp4"), watched);
    }

    void nameOfAnotherClassRefusedBeforeSending()
    {
        const QByteArray before = TestFiles::random(1000);
        TestFiles::write(SandboxDb::videoFolder() + "excel01.mp4", before);
        open();
        QVERIFY(m_form->tblClassroom->locate("crpkey", 2));
        upload(localFile("Excel01.mp4"), m_form->btnEdit);
        QCOMPARE(messages(),
                 QStringList{"影片檔名「excel01.mp4」已經是班級「Excel 入門」的課程「第一課 儲存格」的影片，"
                             "請換一個檔名。"});
        QCOMPARE(onServer(), QStringList{"excel01.mp4"});
        QCOMPARE(read(SandboxDb::videoFolder() + "excel01.mp4"), before);
        QCOMPARE(videoAndStatus(3), QStringLiteral("ps01.mp4/uploaded"));
    }

    void serverWithoutSize()
    {
        QTemporaryDir root;
        QProcess server;
        qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::startFtpServer(server, root.path(), {"SIZE"})));
        const QString path = localFile("clip.avi", 1 << 20);
        open();
        upload(path, m_form->btnEdit);
        QCOMPARE(messages(), QStringList{"上傳完畢"});
        QCOMPARE(read(root.path() + "/var/www/html/movies/clip.avi"), read(path));
        QCOMPARE(videoAndStatus(1), QStringLiteral("clip.avi/uploaded"));
    }

    void brokenTransfer()
    {
        // A slow link, so that the server is killed midway.
        QTemporaryDir root;
        QProcess server;
        const QString folder = ownServer(server, root, {{"RYN_FTP_READ_LIMIT", "8000000"}});
        const QByteArray previous = TestFiles::random(3000);
        TestFiles::write(folder + "clip.avi", previous);
        const QString path = localFile("clip.avi", 32 << 20);
        open();
        m_probe.during = [&] { server.kill(), server.waitForFinished(); };
        upload(path, m_form->btnEdit);
        QVERIFY(m_probe.seen);
        expectFailedOnce();
        QVERIFY2(DialogSeam::last().text.startsWith(Msg::ftpNotWhole(Msg::ftpFailed(QString(), QString()).chopped(3))),
                 qPrintable(DialogSeam::last().text));
        // The video the students watch is as it was, and so is the row.
        QCOMPARE(read(folder + "clip.avi"), previous);
        expectPreviousRow("clip.avi");
        QVERIFY(!m_form->windowTitle().startsWith("100"));
    }

    void percentagesOfLargeFiles()
    {
        open();
        click(m_form->btnEdit);
        m_form->ftpUploadWorkBegin(2000000000);
        QCOMPARE(m_form->progressBar->value(), 0);
        m_form->ftpUploadWork(1500000000);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("75%"));
        QCOMPARE(m_form->progressBar->value() * 4LL, m_form->progressBar->maximum() * 3LL);
        m_form->ftpUploadWorkBegin(qint64(5) << 30);
        QVERIFY(m_form->progressBar->maximum() > 0);
        m_form->ftpUploadWork((qint64(5) << 30) - 1);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("99%"));
        QVERIFY(m_form->progressBar->value() <= m_form->progressBar->maximum());
        m_form->ftpUploadWorkBegin(100000000);
        m_form->ftpUploadWork(50000000);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("50%"));
        QCOMPARE(m_form->progressBar->value(), 50000000);
        // Every byte sent is not yet the file on the server: 100 only once it is whole there.
        m_form->ftpUploadWork(100000000);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("99%"));
        QVERIFY(m_form->progressBar->value() < m_form->progressBar->maximum());
    }
};

RYN_TEST_MAIN(TestCourseUpload)
#include "tst_courseupload.moc"
