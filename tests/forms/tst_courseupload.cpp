#include "app/formrynmain.h"
#include "session/rynconst.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "data/snapshottable.h"
#include "controls/dbgrid.h"
#include "forms/formcourse.h"
#include "forms/ftpupload.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/busystate.h"
#include "ui/messagebox.h"
#include "platform/messages.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>

using namespace FormDriver;
using TestFiles::read;

namespace {
/// videoname and status of course cpkey, as "videoname/status".
QString videoAndStatus(int cpkey)
{
    return SandboxDb::scalar(
               QStringLiteral("SELECT CONCAT_WS('/', videoname, status) FROM course WHERE cpkey=%1").arg(cpkey))
        .toString();
}

/// The texts of the message boxes since the last clear (the file-open dialog left out).
QStringList messages()
{
    QStringList texts;
    for (const Prompt& p : DialogSeam::prompts())
        if (p.kind == Prompt::Message)
            texts << p.text;
    return texts;
}

/// What a window shows while its transfer runs, seen at its first percentage caption.
struct TransferProbe : QObject {
    QPointer<TfrmCourse> form;
    std::function<void()> during;
    QStringList captions;
    bool seen = false;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::WindowTitleChange || !form)
            return false;
        captions << form->windowTitle();
        if (!seen && captions.last().endsWith('%')) {
            seen = true;
            if (during)
                during();
        }
        return false;
    }
};
} // namespace

// Sending a course's video to the private FTP server: the status cycle, the name rules, refusals,
// and transfers that break off.
class TestCourseUpload : public QObject, WindowFixture<TfrmCourse>
{
    Q_OBJECT

    QTemporaryDir m_local;
    QString m_oldDir;
    QByteArray m_ftpPort;
    TransferProbe m_probe;

    TfrmCourse* open()
    {
        watch(WindowFixture::open());
        return m_form;
    }

    void watch(TfrmCourse* form)
    {
        m_probe.form = form;
        form->installEventFilter(&m_probe);
    }

    QString localFile(const QString& name, int size = 4096)
    {
        return TestFiles::write(m_local.filePath(name), TestFiles::random(size));
    }

    /// Edits the current course (or starts a new one) and sends path, an OK queued for the outcome.
    void upload(const QString& path, QPushButton* start = nullptr)
    {
        if (start)
            click(start);
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueFileName(path);
        click(m_form->btnUpload);
    }

    bool locked()
    {
        for (QWidget* w : QList<QWidget*>{m_form->btnAdd, m_form->btnEdit, m_form->btnPost, m_form->btnCancel,
                                          m_form->btnDelete, m_form->btnExit, m_form->grdClassroom, m_form->grdCourse,
                                          m_form->btnUpload, m_form->txtVideoName})
            if (w->isEnabled())
                return false;
        return true;
    }

    QString frameRule()
    {
        return frameRuleBroken(
            m_form, m_form->tblCourse->editing(),
            {m_form->txtCourseName, m_form->txtVideoName, m_form->txtPoint, m_form->chkOpen, m_form->btnUpload},
            {m_form->grdClassroom, m_form->grdCourse}, m_form->tblCourse->recordCount() > 0);
    }

    /// A failed transfer: one error in the standard box, no "上傳完畢", the window usable again.
    void expectFailedOnce()
    {
        QCOMPARE(messages().size(), 1);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(!messages().contains(QStringLiteral("上傳完畢")));
        QVERIFY(!BusyState::isBusy(m_form));
        QCOMPARE(frameRule(), QString());
        QCOMPARE(m_form->ProgressBar->value(), 0);
        QVERIFY(m_form->btnDelAll->isEnabled() != m_form->tblCourse->editing());
    }

    /// The file names in the server's video folder (or another folder).
    static QStringList onServer(const QString& folder = SandboxDb::videoFolder())
    {
        return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_ftpPort = qgetenv("RYN_FTP_PORT");
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_local.path());
    }

    void cleanupTestCase() { QDir::setCurrent(m_oldDir); }

    void init()
    {
        startCase();
        m_probe.captions.clear();
        m_probe.seen = false;
        m_probe.during = nullptr;
        for (const QFileInfo& entry :
             QDir(SandboxDb::videoFolder()).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath());
        UID = QStringLiteral("admin");
        WATERMARK = 1;
    }

    void cleanup()
    {
        qputenv("RYN_FTP_PORT", m_ftpPort);
        resetLoggedInUser();
        endCase();
    }

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
        WATERMARK = qint16(watermark);
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
            closedDuring = m_form->close();
        };
        upload(path);
        QCOMPARE(messages(), QStringList{"上傳完畢"});
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
        QCOMPARE(m_form->ProgressBar->value(), 0);
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
        const QString path = localFile("clip.avi");
        open();
        upload(path, m_form->btnEdit);
        if (how == "folder")
            QVERIFY(QDir().rename(away, SandboxDb::videoFolder()));
        expectFailedOnce();
        QVERIFY2(DialogSeam::last().text.startsWith(error), qPrintable(DialogSeam::last().text));
        // The row said "uploading" before the server was asked; no file, whole or partial, is left.
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Browse);
        QCOMPARE(videoAndStatus(1), QStringLiteral("clip.avi/uploading"));
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

    void brokenTransfer_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("server killed during the store") << "kill";
        QTest::newRow("server keeps a shorter file") << "short";
    }
    void brokenTransfer()
    {
        QFETCH(QString, how);
        QTemporaryDir root;
        QProcess server;
        QString folder = SandboxDb::videoFolder();
        if (how == "kill") {
            qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::startFtpServer(server, root.path())));
            folder = root.path() + "/var/www/html/movies/";
        }
        const QByteArray previous = TestFiles::random(3000);
        TestFiles::write(folder + "clip.avi", previous);
        const QString path = localFile("clip.avi", 32 << 20);
        open();
        click(m_form->btnEdit);
        m_form->ftpUpload->client().setBeginHandler([&](FtpClient::Direction d, qint64 total) {
            m_form->ftpUploadWorkBegin(d, total);
            if (how == "kill")
                server.kill(), server.waitForFinished();
        });
        // The server confirmed the store, but what it keeps is not the whole file.
        m_form->ftpUpload->client().setEndHandler([&](FtpClient::Direction) {
            for (const QFileInfo& part : QDir(folder).entryInfoList({"clip.avi.part-*"}, QDir::Files))
                if (how == "short")
                    QFile::resize(part.filePath(), 1000);
        });
        upload(path);
        expectFailedOnce();
        QVERIFY2(DialogSeam::last().text.startsWith(Msg::ftpNotWhole(Msg::ftpFailed(QString(), QString()).chopped(3))),
                 qPrintable(DialogSeam::last().text));
        if (how == "short") {
            QVERIFY(DialogSeam::last().text.endsWith(Msg::ftpPartOnServer(1000, 33554432)));
            QCOMPARE(onServer(folder), QStringList{"clip.avi"});
        }
        // The video the students watch is as it was.
        QCOMPARE(read(folder + "clip.avi"), previous);
        // The begin of the transfer was saved; its end never was.
        QCOMPARE(videoAndStatus(1), QStringLiteral("clip.avi/uploading"));
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Browse);
    }

    void percentagesOfLargeFiles()
    {
        open();
        click(m_form->btnEdit);
        m_form->ftpUploadWorkBegin(FtpClient::Direction::Upload, 2000000000);
        QCOMPARE(m_form->ProgressBar->value(), 0);
        m_form->ftpUploadWork(FtpClient::Direction::Upload, 1500000000);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("75%"));
        QCOMPARE(m_form->ProgressBar->value() * 4LL, m_form->ProgressBar->maximum() * 3LL);
        m_form->ftpUploadWorkBegin(FtpClient::Direction::Upload, qint64(5) << 30);
        QVERIFY(m_form->ProgressBar->maximum() > 0);
        m_form->ftpUploadWork(FtpClient::Direction::Upload, (qint64(5) << 30) - 1);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("99%"));
        QVERIFY(m_form->ProgressBar->value() <= m_form->ProgressBar->maximum());
        m_form->ftpUploadWorkBegin(FtpClient::Direction::Upload, 100000000);
        m_form->ftpUploadWork(FtpClient::Direction::Upload, 50000000);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("50%"));
        QCOMPARE(m_form->ProgressBar->value(), 50000000);
    }

    void programWaitsForTheTransfer()
    {
        ISADMIN = 1;
        UID = QStringLiteral("admin");
        TfrmRynMain main;
        main.showMaximized();
        QVERIFY(main.mitCourse->isEnabled());
        main.mitCourse->trigger();
        m_form = qobject_cast<TfrmCourse*>(main.mdiArea->activeSubWindow()->widget());
        QVERIFY(m_form);
        watch(m_form);
        QCOMPARE(main.mdiArea->activeSubWindow()->windowTitle(), QStringLiteral("課程管理"));
        const QList<QAction*> commands{main.mitBasic->menuAction(),
                                       main.mitWindow->menuAction(),
                                       main.mitHelp->menuAction(),
                                       main.mitExit,
                                       main.mitAbout,
                                       main.mitCloseAll};
        auto enabled = [&] {
            return std::count_if(commands.begin(), commands.end(), std::mem_fn(&QAction::isEnabled));
        };
        bool mainClosed = true;
        qsizetype enabledDuring = -1;
        m_probe.during = [&] {
            enabledDuring = enabled();
            // Asked nothing, and nothing closes: the main window, all windows, the course window.
            mainClosed = main.close();
            main.mitCloseAllClick();
            main.mdiArea->activeSubWindow()->close();
        };
        upload(localFile("clip.avi", 4 << 20), m_form->btnEdit);
        QVERIFY(!mainClosed && m_form);
        QCOMPARE(enabledDuring, 0);
        QCOMPARE(messages(), QStringList{"上傳完畢"});
        QCOMPARE(videoAndStatus(1), QStringLiteral("clip.avi/uploaded"));
        // Once the transfer is over, the menu works and closing asks again.
        QCOMPARE(enabled(), commands.size());
        DialogSeam::queueAnswer(Win::IDCANCEL);
        QVERIFY(!main.close());
        QCOMPARE(DialogSeam::last().text, QStringLiteral("確定結束本系統?"));
        main.mitCloseAll->trigger();
        QVERIFY(m_form.isNull());
    }
};

RYN_TEST_MAIN(TestCourseUpload)
#include "tst_courseupload.moc"
