#include "coresupport.h"
#include "data/connection.h"
#include "media/coursevideos.h"
#include "media/logofile.h"
#include "media/remotefile.h"
#include "media/transferjob.h"
#include "media/videofile.h"
#include "net/ftpclient.h"
#include "platform/messages.h"
#include "testfiles.h"

#include <QBuffer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

using TestFiles::read;

namespace {
// A whole 1 × 1 PNG.
const QByteArray kPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");

QStringList partsIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part-*")}, QDir::Files);
}
} // namespace

// What surrounds the FTP client, without a window: the video names, whole files on the server,
// deletions that are confirmed, the logo's check, the transfer job and the row put back after an
// upload that did not finish.
class TestMedia : public QObject
{
    Q_OBJECT

    QByteArray m_ftpPort;
    QTemporaryDir m_local;
    Connection* m_connection = nullptr;

    /// Starts a server of the test's own with extra settings of scripts/ftpserver.py and points the
    /// program's settings at it; returns its video folder.
    QString ownServer(QProcess& server, const QTemporaryDir& root, const QHash<QString, QString>& settings)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = settings.begin(); it != settings.end(); ++it)
            env.insert(it.key(), it.value());
        server.setProcessEnvironment(env);
        qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::startFtpServer(server, root.path())));
        return root.path() + QStringLiteral("/var/www/html/movies/");
    }

    static QString row(int cpkey)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT CONCAT_WS('/', IFNULL(videoname, '-'), IFNULL(videolen, '-'), "
                                                "status) FROM course WHERE cpkey=%1")
                                     .arg(cpkey))
            .toString();
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_ftpPort = qgetenv("RYN_FTP_PORT");
        m_connection = SandboxDb::programConnection(this);
    }

    void cleanup() { qputenv("RYN_FTP_PORT", m_ftpPort); }

    void videoNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("supported");
        QTest::addColumn<QString>("base");
        QTest::addColumn<int>("refused");
        QTest::newRow("spaces and capitals") << "Lesson 01.mp4" << true << "lesson01" << -1;
        QTest::newRow("ideographic space") << "AB　CD.avi" << true << "abcd" << -1;
        QTest::newRow("every extension removed") << "abc.mp4.mp4" << true << "abc" << -1;
        QTest::newRow("part of a listed extension") << "a.mp" << true << "a" << -1;
        QTest::newRow("capital extension") << "Lesson.MP4" << false << "lesson" << -1;
        QTest::newRow("mpeg of the hint") << "talk.mpeg" << false << "talk" << -1;
        QTest::newRow("no extension") << "talk" << false << "talk" << -1;
        QTest::newRow("hyphen") << "a-b.avi" << true << "a-b" << 1;
        QTest::newRow("second dot") << "v.1.avi" << true << "v.1" << 1;
        QTest::newRow("Chinese") << "第一課.avi" << true << "第一課" << 0;
    }
    void videoNames()
    {
        QFETCH(QString, file);
        QFETCH(bool, supported);
        QFETCH(QString, base);
        QFETCH(int, refused);
        const QString extension = VideoFile::extension(file);
        QCOMPARE(VideoFile::supported(extension), supported);
        const QString clean = VideoFile::cleanBaseName(file, extension);
        QCOMPARE(clean, base);
        QCOMPARE(VideoFile::firstRefusedCharacter(clean), refused);
    }

    void storeWholeRenamesOnlyWholeFiles()
    {
        const QString folder = SandboxDb::videoFolder();
        const QByteArray old = TestFiles::random(2000);
        TestFiles::write(folder + "whole.avi", old);
        const QByteArray sent = TestFiles::random(3 << 20);
        QBuffer source;
        source.setData(sent);
        source.open(QIODevice::ReadOnly);
        FtpClient ftp;
        RemoteFile::openVideoFolder(ftp);
        RemoteFile::storeWhole(ftp, source, "whole.avi");
        QCOMPARE(read(folder + "whole.avi"), sent);
        QCOMPARE(partsIn(folder), QStringList());
        // A name that cannot be renamed over (a folder holds it): the old state stays, no part is left.
        QVERIFY(QDir(folder).mkdir("taken.avi"));
        QBuffer again;
        again.setData(sent);
        again.open(QIODevice::ReadOnly);
        FtpClient second;
        RemoteFile::openVideoFolder(second);
        try {
            RemoteFile::storeWhole(second, again, "taken.avi");
            QFAIL("a rename over a folder passed");
        } catch (const AppError& e) {
            QVERIFY2(e.message().startsWith(Msg::ftpNotWhole()), qPrintable(e.message()));
        }
        QVERIFY(QFileInfo(folder + "taken.avi").isDir());
        QCOMPARE(partsIn(folder), QStringList());
        QDir(folder).rmdir("taken.avi");
        // The server confirmed the store but keeps fewer bytes: its SIZE tells, and nothing is renamed.
        QBuffer third;
        third.setData(sent);
        third.open(QIODevice::ReadOnly);
        FtpClient short_;
        RemoteFile::openVideoFolder(short_);
        short_.setEndHandler([&]() {
            for (const QString& part : partsIn(folder))
                QFile::resize(folder + part, 1000);
        });
        try {
            RemoteFile::storeWhole(short_, third, "whole.avi");
            QFAIL("a cut-off file was renamed");
        } catch (const AppError& e) {
            QVERIFY2(e.message().endsWith(Msg::ftpPartOnServer(1000, sent.size())), qPrintable(e.message()));
        }
        QCOMPARE(read(folder + "whole.avi"), sent);
        QCOMPARE(partsIn(folder), QStringList());
        QFile::remove(folder + "whole.avi");
    }

    void jobReportsOnItsOwnThreadAndStops()
    {
        // A slow link: 4 MB/s for a 24 MB file, so that the stop lands midway.
        QTemporaryDir root;
        QProcess server;
        const QString folder = ownServer(server, root, {{"RYN_FTP_READ_LIMIT", "4000000"}});
        const QString path = TestFiles::write(m_local.filePath("slow.avi"), TestFiles::random(24 << 20));
        TransferJob job;
        QList<qint64> done;
        bool allOnThisThread = true;
        connect(&job, &TransferJob::progressed, this, [&](qint64 bytes) {
            allOnThisThread = allOnThisThread && QThread::currentThread() == thread();
            done << bytes;
        });
        QSignalSpy ended(&job, &TransferJob::ended);
        QVERIFY(job.run([path](FtpClient& ftp) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            RemoteFile::openVideoFolder(ftp);
            RemoteFile::storeWhole(ftp, file, "slow.avi");
        }));
        QVERIFY(job.running());
        QVERIFY(!job.run([](FtpClient&) {}));
        // The event loop runs meanwhile: progress arrives while the file travels.
        QTRY_VERIFY_WITH_TIMEOUT(done.size() >= 3 && !partsIn(folder).isEmpty(), 20000);
        job.stop();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(ended.first().first().value<TransferJob::End>(), TransferJob::End::Stopped);
        QVERIFY(!job.running());
        QVERIFY(allOnThisThread);
        QVERIFY(std::is_sorted(done.begin(), done.end()));
        QVERIFY(done.last() < (24 << 20));
        // The partial file is gone, and nothing took the final name.
        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder).entryList(QDir::Files), QStringList(), 10000);
    }

    void jobEnds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("end");
        QTest::newRow("done") << 0 << int(TransferJob::End::Done);
        QTest::newRow("refused") << 2 << int(TransferJob::End::Failed);
    }
    void jobEnds()
    {
        QFETCH(int, kind);
        QFETCH(int, end);
        TransferJob job;
        QSignalSpy ended(&job, &TransferJob::ended);
        job.run([kind](FtpClient&) {
            if (kind == 2)
                throw AppError("refused");
        });
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(int(ended.first().first().value<TransferJob::End>()), end);
        QCOMPARE(job.message(), kind == 2 ? QStringLiteral("refused") : QString());
    }

    void deniedDeleteKeepsTheCourse_data()
    {
        QTest::addColumn<QString>("perm");
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("rowGoes");
        QTest::newRow("delete refused, file there") << "elrawMT" << true << false;
        QTest::newRow("delete refused, file missing") << "elrawMT" << false << true;
        QTest::newRow("delete allowed, file missing") << "elradfmwMT" << false << true;
        QTest::newRow("delete allowed, file there") << "elradfmwMT" << true << true;
    }
    void deniedDeleteKeepsTheCourse()
    {
        QFETCH(QString, perm);
        QFETCH(bool, fileThere);
        QFETCH(bool, rowGoes);
        SandboxDb::reseed();
        QTemporaryDir root;
        QProcess server;
        const QString folder = ownServer(server, root, {{"RYN_FTP_PERM", perm}});
        if (fileThere)
            TestFiles::write(folder + "excel01.mp4", "video");
        FtpClient ftp;
        QString error;
        try {
            QVERIFY(CourseVideos::deleteCourse(m_connection, ftp, 1));
        } catch (const AppError& e) {
            error = e.message();
        }
        QCOMPARE(row(1).isEmpty(), rowGoes);
        QCOMPARE(QFileInfo::exists(folder + "excel01.mp4"), fileThere && !rowGoes);
        if (!rowGoes) {
            QVERIFY2(error.startsWith(Msg::videoNotDeleted("excel01.mp4", QString())), qPrintable(error));
            QVERIFY2(error.contains("550 Not enough privileges."), qPrintable(error));
        } else {
            QCOMPARE(error, QString());
        }
    }

    void unreachableHostSaidFirst()
    {
        SandboxDb::reseed();
        qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::closedPort()));
        const QString before = row(1);
        FtpClient ftp;
        try {
            CourseVideos::deleteCourse(m_connection, ftp, 1);
            QFAIL("deleted without a server");
        } catch (const AppError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("無法連線主機\n") + Msg::videoNotDeleted("excel01.mp4", {})),
                     qPrintable(e.message()));
        }
        QCOMPARE(row(1), before);
        QVERIFY(before.startsWith("excel01.mp4/"));
    }

    void restoreAfterUpload()
    {
        SandboxDb::reseed();
        SandboxDb::exec("UPDATE course SET videolen = 95 WHERE cpkey = 1");
        const VideoBefore before{false, "excel01.mp4", 95, "converted"};
        // The upload saved its name and "uploading": put back.
        SandboxDb::exec("UPDATE course SET videoname = 'new.avi', status = 'uploading' WHERE cpkey = 1");
        QVERIFY(CourseVideos::restoreAfterUpload(m_connection, 1, "new.avi", before));
        QCOMPARE(row(1), QStringLiteral("excel01.mp4/95/converted"));
        // Another workstation sent another file meanwhile, or the viewing side changed the length:
        // its change stays.
        SandboxDb::exec("UPDATE course SET videoname = 'other.avi', status = 'uploading' WHERE cpkey = 1");
        QVERIFY(!CourseVideos::restoreAfterUpload(m_connection, 1, "new.avi", before));
        QCOMPARE(row(1), QStringLiteral("other.avi/95/uploading"));
        SandboxDb::exec("UPDATE course SET videoname = 'new.avi', videolen = 120 WHERE cpkey = 1");
        QVERIFY(!CourseVideos::restoreAfterUpload(m_connection, 1, "new.avi", before));
        QCOMPARE(row(1), QStringLiteral("new.avi/120/uploading"));
        // A row the upload inserted: no video, the column's default status.
        SandboxDb::exec("UPDATE course SET videoname = 'new.avi', videolen = NULL WHERE cpkey = 1");
        QVERIFY(CourseVideos::restoreAfterUpload(m_connection, 1, "new.avi", VideoBefore{true, {}, {}, {}}));
        QCOMPARE(row(1), QStringLiteral("-/-/new"));
    }

    void pngCheck_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("good");
        QTest::newRow("whole") << kPng << true;
        QTest::newRow("cut off") << kPng.left(kPng.size() - 20) << false;
        QTest::newRow("text") << QByteArray("not a picture\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void pngCheck()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        const QString path = TestFiles::write(m_local.filePath("check.png"), bytes);
        QString error;
        try {
            LogoFile::checkPng(path);
        } catch (const AppError& e) {
            error = e.message();
        }
        QCOMPARE(error.isEmpty(), good);
        if (!good)
            QVERIFY2(error.contains("PNG"), qPrintable(error));
    }

    void logoFetchReplacesOnlyWithAWholePng()
    {
        const QString folder = SandboxDb::videoFolder();
        // No logo on the server to begin with, whichever test ran before.
        QFile::remove(folder + "logo.png");
        const QString local = m_local.filePath("logo.png");
        TestFiles::write(local, "old copy");
        FtpClient ftp;
        RemoteFile::openVideoFolder(ftp);
        QVERIFY_THROWS_EXCEPTION(FtpError, LogoFile::fetch(ftp, local));
        RemoteFile::openVideoFolder(ftp);
        QCOMPARE(read(local), QByteArray("old copy"));
        TestFiles::write(folder + "logo.png", kPng.left(30));
        QVERIFY_THROWS_EXCEPTION(AppError, LogoFile::fetch(ftp, local));
        QCOMPARE(read(local), QByteArray("old copy"));
        TestFiles::write(folder + "logo.png", kPng);
        RemoteFile::openVideoFolder(ftp);
        QVERIFY(LogoFile::fetch(ftp, local));
        QCOMPARE(read(local), kPng);
        QCOMPARE(QDir(m_local.path()).entryList({"*.part-*"}), QStringList());
        QFile::remove(folder + "logo.png");
    }
};

RYN_CORE_TEST_MAIN(TestMedia)
#include "tst_media.moc"
