#include "app/formrynmain.h"
#include "app/rynconst.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/connection.h"
#include "data/snapshottable.h"
#include "forms/formcourse.h"
#include "forms/ftpupload.h"
#include "formdriver.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

using namespace FormDriver;

namespace {
QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

QString courseValue(int cpkey, const char* column)
{
    return SandboxDb::scalar(QStringLiteral("SELECT %1 FROM course WHERE cpkey=%2").arg(column).arg(cpkey)).toString();
}

/// The message boxes since the last clear (the file-open dialog left out).
QList<Prompt> messages()
{
    QList<Prompt> list;
    for (const Prompt& p : DialogSeam::prompts())
        if (p.kind == Prompt::Message)
            list << p;
    return list;
}

QStringList messageTexts()
{
    QStringList texts;
    for (const Prompt& p : messages())
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
        QByteArray bytes(size, Qt::Uninitialized);
        for (char& c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        QFile f(m_local.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != size)
            qFatal("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }

    void upload(const QString& path)
    {
        DialogSeam::queueFileName(path);
        click(m_form->btnUpload);
    }

    QStringList moviesOnServer()
    {
        return QDir(SandboxDb::videoFolder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
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

    /// A failed transfer: one error in the standard box, no "上傳完畢", the window usable again.
    void expectFailedOnce()
    {
        QCOMPARE(messages().size(), 1);
        QCOMPARE(DialogSeam::last().flags, 16);
        QVERIFY(!messageTexts().contains(QStringLiteral("上傳完畢")));
        QVERIFY(!m_form->transferRunning());
        QVERIFY(m_form->btnPost->isEnabled() == m_form->tblCourse->editing());
        QVERIFY(m_form->btnAdd->isEnabled() != m_form->tblCourse->editing());
        QCOMPARE(m_form->ProgressBar->value(), 0);
    }

    /// An FTP server of the test's own on a free port, as the sandbox runs it; returns the port.
    int startOwnServer(QProcess& server, const QString& root)
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost))
            qFatal("no free port");
        const int port = probe.serverPort();
        probe.close();
        QDir(root).mkpath("var/www/html/movies");
        server.start("/usr/bin/python3", {qEnvironmentVariable("RYN_SOURCE_DIR") + "/scripts/ftpserver.py", root,
                                          QString::number(port), "web", "58203146"});
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(port));
            if (socket.waitForConnected(100))
                return port;
            QTest::qWait(100);
        }
        qFatal("the test's own FTP server did not start");
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
        UID = QStringLiteral("staff");
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
        QTest::newRow("mp4, watermark on") << "Lesson 01.mp4" << 1 << "lesson01.mp4"
                                           << "uploaded";
        QTest::newRow("mp4, watermark off") << "Lesson 01.mp4" << 0 << "lesson01.mp4"
                                            << "converted";
        QTest::newRow("avi, watermark on") << "Clip.avi" << 1 << "clip.avi"
                                           << "uploaded";
        QTest::newRow("avi, watermark off") << "Clip.avi" << 0 << "clip.avi"
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
        DialogSeam::queueAnswer(Win::IDOK);
        upload(path);
        QCOMPARE(messageTexts(), QStringList{"上傳完畢"});
        QCOMPARE(DialogSeam::last().flags, -1);
        QCOMPARE(statusDuring, QStringLiteral("uploading"));
        QVERIFY(lockedDuring);
        QVERIFY(!closedDuring);
        QVERIFY(m_form);
        QSqlQuery q(SandboxDb::root());
        QVERIFY(q.exec("SELECT crpkey, videoname, status, point FROM course WHERE coursename='第三課 圖表'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toString(), sentAs);
        QCOMPARE(q.value(2).toString(), status);
        QCOMPARE(q.value(3).toInt(), 0);
        QCOMPARE(fileBytes(SandboxDb::videoFolder() + sentAs), fileBytes(path));
        QCOMPARE(m_probe.captions.first(), "filename: " + sentAs.section('.', 0, 0));
        QCOMPARE(m_probe.captions.last(), QStringLiteral("100%"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("100%"));
        QCOMPARE(m_form->ProgressBar->value(), 0);
        QCOMPARE(m_form->txtStatus->text(), status);
        QVERIFY(!m_form->tblCourse->editing() && m_form->btnAdd->isEnabled() && m_form->grdCourse->isEnabled());
    }

    void namesCleanedAndRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sentAs");  ///< empty when refused
        QTest::addColumn<QString>("message"); ///< the refusal, or the start of it
        QTest::addColumn<QString>("caption"); ///< the caption after a refusal; empty: unchanged
        const QString format = QStringLiteral("影片格式不支援");
        const QString name = QStringLiteral("檔名需為英、數字");
        QTest::newRow("spaces and capitals") << "Lesson 01.mp4"
                                             << "lesson01.mp4" << QString() << QString();
        QTest::newRow("ideographic space") << "AB　CD.avi"
                                           << "abcd.avi" << QString() << QString();
        QTest::newRow("every extension removed") << "abc.mp4.mp4"
                                                 << "abc.mp4" << QString() << QString();
        QTest::newRow("part of an extension in the list") << "a.mp"
                                                          << "a.mp" << QString() << QString();
        QTest::newRow("fifty characters")
            << QString(46, 'a') + ".avi" << QString(46, 'a') + ".avi" << QString() << QString();
        QTest::newRow("capital extension") << "Lesson 01.MP4" << QString() << format << QString();
        QTest::newRow("mpeg of the hint") << "talk.mpeg" << QString() << format << QString();
        QTest::newRow("no extension") << "talk" << QString() << format << QString();
        QTest::newRow("hyphen") << "a-b.avi" << QString() << name << "filename: a-b";
        QTest::newRow("underscore") << "a_b.avi" << QString() << name << "filename: a_b";
        QTest::newRow("second dot") << "v.1.avi" << QString() << name << "filename: v.1";
        QTest::newRow("Chinese") << "第一課.avi" << QString() << name << "filename: 第一課";
        QTest::newRow("longer than the field")
            << QString(47, 'a') + ".avi" << QString() << "The text for field 'videoname'"
            << "filename: " + QString(47, 'a');
    }
    void namesCleanedAndRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, sentAs);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        const QString path = localFile(file);
        open();
        click(m_form->btnEdit);
        DialogSeam::queueAnswer(Win::IDOK);
        upload(path);
        QCOMPARE(messages().size(), 1);
        if (sentAs.isEmpty()) {
            QVERIFY2(DialogSeam::last().text.startsWith(message), qPrintable(DialogSeam::last().text));
            QCOMPARE(DialogSeam::last().flags, message == QStringLiteral("影片格式不支援") ? -1 : 16);
            QCOMPARE(m_form->windowTitle(), caption.isEmpty() ? QStringLiteral("課程管理") : caption);
            QCOMPARE(moviesOnServer(), QStringList());
            QCOMPARE(m_form->txtVideoName->text(), QStringLiteral("excel01.mp4"));
            QCOMPARE(m_form->tblCourse->state(), DataSetState::Edit);
            QCOMPARE(courseValue(1, "status"), QStringLiteral("converted"));
        } else {
            QCOMPARE(DialogSeam::last().text, QStringLiteral("上傳完畢"));
            QCOMPARE(moviesOnServer(), QStringList{sentAs});
            QCOMPARE(fileBytes(SandboxDb::videoFolder() + sentAs), fileBytes(path));
            QCOMPARE(courseValue(1, "videoname"), sentAs);
            QCOMPARE(courseValue(1, "status"), QStringLiteral("uploaded"));
        }
    }

    void serverRefuses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("error");
        QTest::newRow("no video folder") << "folder"
                                         << "FTP CWD";
        QTest::newRow("store refused") << "store"
                                       << "FTP STOR clip.avi";
        QTest::newRow("server down") << "down"
                                     << "FTP";
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
        if (how == "down") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            qputenv("RYN_FTP_PORT", QByteArray::number(closed.serverPort()));
        }
        const QString path = localFile("clip.avi");
        open();
        click(m_form->btnEdit);
        DialogSeam::queueAnswer(Win::IDOK);
        upload(path);
        if (how == "folder")
            QVERIFY(QDir().rename(away, SandboxDb::videoFolder()));
        expectFailedOnce();
        QVERIFY2(DialogSeam::last().text.startsWith(error), qPrintable(DialogSeam::last().text));
        // Refused before any data flowed: the row is still being edited with the new name, unsaved.
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Edit);
        QCOMPARE(m_form->txtVideoName->text(), QStringLiteral("clip.avi"));
        QCOMPARE(courseValue(1, "videoname"), QStringLiteral("excel01.mp4"));
        QCOMPARE(courseValue(1, "status"), QStringLiteral("converted"));
        QCOMPARE(QFileInfo(SandboxDb::videoFolder() + "clip.avi").isFile(), false);
    }

    void requiredFieldStopsTheTransfer()
    {
        const QString path = localFile("clip.avi");
        open();
        click(m_form->btnAdd);
        DialogSeam::queueAnswer(Win::IDOK);
        upload(path);
        QCOMPARE(messageTexts(), QStringList{"請輸入課程名稱"});
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("必填欄位"));
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Insert);
        QCOMPARE(m_form->txtVideoName->text(), QStringLiteral("clip.avi"));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course").toInt(), 4);
        QVERIFY(m_form->btnPost->isEnabled());
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
            qputenv("RYN_FTP_PORT", QByteArray::number(startOwnServer(server, root.path())));
            folder = root.path() + "/var/www/html/movies/";
        }
        const QString path = localFile("clip.avi", 32 << 20);
        open();
        click(m_form->btnEdit);
        m_form->ftpUpload->client().setBeginHandler([&](FtpClient::Direction d, qint64 total) {
            m_form->ftpUploadWorkBegin(d, total);
            if (how == "kill") {
                server.kill();
                server.waitForFinished();
            }
        });
        // The server confirmed the store, but what it keeps is not the whole file.
        m_form->ftpUpload->client().setEndHandler([&](FtpClient::Direction) {
            if (how == "short")
                QFile::resize(folder + "clip.avi", 1000);
        });
        DialogSeam::queueAnswer(Win::IDOK);
        upload(path);
        expectFailedOnce();
        if (how == "short")
            QCOMPARE(
                DialogSeam::last().text,
                QStringLiteral("The transfer of clip.avi broke off: the server holds 1000 of its 33554432 bytes."));
        // The begin of the transfer was saved; its end never was.
        QCOMPARE(courseValue(1, "status"), QStringLiteral("uploading"));
        QCOMPARE(courseValue(1, "videoname"), QStringLiteral("clip.avi"));
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Browse);
    }

    void percentagesOfLargeFiles()
    {
        open();
        click(m_form->btnEdit);
        m_form->ftpUploadWorkBegin(FtpClient::Direction::Upload, 2000000000);
        QCOMPARE(courseValue(1, "status"), QStringLiteral("uploading"));
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
        click(m_form->btnEdit);
        bool mainClosed = true;
        m_probe.during = [&] {
            mainClosed = main.close();
            main.mitCloseAll->trigger();
            main.mdiArea->activeSubWindow()->close();
        };
        DialogSeam::queueAnswer(Win::IDOK);
        upload(localFile("clip.avi", 4 << 20));
        QVERIFY(!mainClosed);
        QVERIFY(m_form);
        QCOMPARE(messageTexts(), QStringList{"上傳完畢"});
        QCOMPARE(courseValue(1, "status"), QStringLiteral("uploaded"));
        // Once the transfer is over, the window closes as before.
        main.mitCloseAll->trigger();
        QVERIFY(m_form.isNull());
    }
};

RYN_TEST_MAIN(TestCourseUpload)
#include "tst_courseupload.moc"
