#include "platform/messages.h"
#include "coresupport.h"
#include "net/ftpclient.h"
#include "testfiles.h"
#include "wiretap.h"

#include <QProcess>
#include <csignal>

using namespace TestFiles;

namespace {
/// The text of the FtpError that action throws.
template <typename Action> QString errorOf(Action action)
{
    try {
        action();
    } catch (const FtpError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

void openSequence(FtpClient& ftp, const FtpSettings& settings, bool passive = true)
{
    ftp.setSettings(settings);
    ftp.connectToHost();
    ftp.setPassive(passive);
    QVERIFY(ftp.isConnected());
    ftp.changeDirectory(settings.directory);
}

/// The transfer events of a client; msecs holds each progress event's time since the begin event.
struct Events {
    QList<qint64> begins, progress, msecs;
    int ends = 0;
    QElapsedTimer clock;
    explicit Events(FtpClient& ftp)
    {
        ftp.setBeginHandler([this](qint64 total) { begins << total, clock.start(); });
        ftp.setProgressHandler([this](qint64 done) {
            progress << done;
            msecs << clock.nsecsElapsed() / 1000000;
        });
        ftp.setEndHandler([this]() { ++ends; });
    }
};
} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT
    QTemporaryDir m_local;

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        QVERIFY2(QDir(SandboxDb::videoFolder()).exists(), "The FTP server's folder var/www/html/movies is missing");
    }

    void cleanup()
    {
        for (const QFileInfo& entry : QDir(SandboxDb::videoFolder()).entryInfoList({"tst-*"}, QDir::Files | QDir::Dirs))
            entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath());
    }

    void percent_data()
    {
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("expected");
        const qint64 max = std::numeric_limits<qint64>::max();
        QTest::newRow("half of 100 MB") << qint64(50000000) << qint64(100000000) << 50;
        QTest::newRow("beyond 2^31") << qint64(1500000000) << qint64(2000000000) << 75;
        QTest::newRow("truncated") << qint64(2) << qint64(3) << 66;
        QTest::newRow("largest counts") << max - 1 << max << 99;
        QTest::newRow("no total") << qint64(7) << qint64(0) << 0;
    }
    void percent()
    {
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(int, expected);
        QCOMPARE(FtpClient::percent(done, total), expected);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("passive");
        QTest::newRow("video") << QStringLiteral("tst-lesson01.mp4") << (64 << 20) << true;
        QTest::newRow("active mode") << QStringLiteral("tst-active.avi") << 100000 << false;
        QTest::newRow("name in Chinese with a space") << QStringLiteral("tst-課程 01.mp4") << 1000 << true;
        QTest::newRow("empty file") << QStringLiteral("tst-empty.bin") << 0 << true;
    }
    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(bool, passive);
        const QByteArray bytes = random(size);
        QFile source(write(m_local.filePath("source"), bytes));
        QVERIFY(source.open(QIODevice::ReadOnly));
        FtpClient ftp;
        Events events(ftp);
        // The client lets no other event run; a window's progress handler does that.
        bool pumped = false;
        QObject context;
        QTimer::singleShot(0, &context, [&] { pumped = true; });
        openSequence(ftp, FtpSettings::videoServer(), passive);
        ftp.store(source, name);
        QVERIFY(!source.isOpen());
        QCOMPARE(events.begins, QList<qint64>{size});
        QCOMPARE(events.ends, 1);
        QCOMPARE(events.progress.last(), qint64(size));
        for (int i = 0; i + 1 < events.progress.size(); ++i) {
            QVERIFY(events.progress[i] < events.progress[i + 1]);
            QVERIFY(events.msecs[i] - (i ? events.msecs[i - 1] : 0) >= FtpClient::kProgressIntervalMs);
        }
        QVERIFY(!pumped);
        QCOMPARE(read(SandboxDb::videoFolder() + name), bytes);
        QCOMPARE(ftp.size(name), qint64(size));
        const QStringList listing = ftp.list(name);
        QVERIFY2(listing.size() == 1 && listing.first().endsWith(name), qPrintable(listing.join('\n')));
        const QString local = write(m_local.filePath("copy"), "an older and longer local copy");
        ftp.retrieve(name, local);
        QCOMPARE(read(local), bytes);
        ftp.remove(name);
        QVERIFY(!QFile::exists(SandboxDb::videoFolder() + name));
        ftp.disconnectFromHost();
        QVERIFY(!ftp.isConnected());
    }

    void commandsOnTheWire()
    {
        FtpSettings settings = FtpSettings::videoServer();
        WireTap tap(settings.port);
        settings.port = tap.port();
        QFile source(write(m_local.filePath("order"), "0123456789"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        FtpClient ftp;
        openSequence(ftp, settings);
        ftp.store(source, QStringLiteral("tst-order.bin"));
        ftp.disconnectFromHost();
        QTRY_VERIFY(tap.sent().endsWith("QUIT\r\n"));
        QStringList commands;
        for (const QByteArray& line : tap.sent().trimmed().split('\n'))
            commands << QString::fromUtf8(line.trimmed()).section(QLatin1Char(' '), 0, 0);
        QCOMPARE(commands, QStringList({"USER", "PASS", "PWD", "CWD", "PASV", "TYPE", "STOR", "QUIT"}));
        QVERIFY(tap.sent().contains("\r\nCWD /var/www/html/movies\r\nPASV\r\nTYPE I\r\nSTOR tst-order.bin\r\n"));
        // The server's own log of that session: login, then the folder, then the file, nothing between.
        const QString log = QString::fromUtf8(read(qEnvironmentVariable("RYN_SANDBOX") + "/ftp.log"));
        QVERIFY(log.contains(
            QRegularExpression(R"(\[web\] USER 'web' logged in.\n.*\[web\] CWD \S+/var/www/html/movies 250)"
                               R"(\n.*\[web\] STOR \S+/var/www/html/movies/tst-order\.bin completed=1 bytes=10)")));
    }

    void connectFailures_data()
    {
        QTest::addColumn<bool>("serverDown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wrong password") << false << QStringLiteral("530 Authentication failed.");
        QTest::newRow("server down") << true << QStringLiteral("Failed to connect to 127.0.0.1 port");
    }
    void connectFailures()
    {
        QFETCH(bool, serverDown);
        QFETCH(QString, expected);
        FtpSettings settings = FtpSettings::videoServer();
        settings.password = QStringLiteral("58203147");
        if (serverDown)
            settings.port = SandboxDb::closedPort();
        FtpClient ftp;
        ftp.setSettings(settings);
        const QString error = errorOf([&] { ftp.connectToHost(); });
        QVERIFY2(
            error.startsWith(Msg::ftpFailed(Msg::ftpLogin("127.0.0.1", 0), QString()).section(QLatin1Char(':'), 0, 0))
                && error.contains(expected),
            qPrintable(error));
        QVERIFY(!ftp.isConnected());
        QVERIFY(errorOf([&] { ftp.remove("x"); }).contains(Msg::ftpNotConnected()));
        ftp.disconnectFromHost();
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("expected");
        const QString gone = QStringLiteral("550 No such file or directory.");
        QTest::newRow("missing folder") << "CWD" << Msg::ftpFailed("CWD /var/www/html/none/", gone);
        QTest::newRow("delete missing file") << "DELE" << Msg::ftpFailed("DELE tst-none.mp4", gone);
        QTest::newRow("size of missing file") << "SIZE" << Msg::ftpFailed("SIZE tst-none.mp4", "550 ");
        QTest::newRow("list of missing file") << "LIST" << Msg::ftpFailed("LIST tst-none.mp4", gone);
        QTest::newRow("retrieve missing file") << "RETR" << Msg::ftpFailed("RETR tst-none.mp4", "550 ");
        QTest::newRow("store onto a folder") << "STOR" << Msg::ftpFailed("STOR tst-folder", "550 ");
        QTest::newRow("name outside the folder")
            << "STOR ../x" << Msg::ftpFailed("STOR ../x", Msg::ftpNotPlainName("../x"));
    }
    void refusals()
    {
        QFETCH(QString, operation);
        QFETCH(QString, expected);
        QVERIFY(QDir(SandboxDb::videoFolder()).mkdir("tst-folder"));
        const QString local = write(m_local.filePath("kept"), "the local copy");
        QFile source(local);
        QVERIFY(source.open(QIODevice::ReadOnly));
        FtpClient ftp;
        Events events(ftp);
        openSequence(ftp, FtpSettings::videoServer());
        const QString missing = QStringLiteral("tst-none.mp4");
        const QString error = errorOf([&] {
            if (operation == "CWD")
                ftp.changeDirectory("/var/www/html/none/");
            else if (operation == "DELE")
                ftp.remove(missing);
            else if (operation == "SIZE")
                ftp.size(missing);
            else if (operation == "LIST")
                ftp.list(missing);
            else if (operation == "RETR")
                ftp.retrieve(missing, local);
            else
                ftp.store(source, operation == "STOR" ? QStringLiteral("tst-folder") : QStringLiteral("../x"));
        });
        QVERIFY2(error.startsWith(expected), qPrintable(error));
        QVERIFY(!ftp.isConnected());
        QCOMPARE(read(local), QByteArray("the local copy"));
        QCOMPARE(events.begins.size() + events.ends, 0);
    }

    void brokenTransfer_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("server killed") << QStringLiteral("kill");
        QTest::newRow("server stops answering") << QStringLiteral("stop");
        QTest::newRow("disconnect during the transfer") << QStringLiteral("disconnect");
    }
    void brokenTransfer()
    {
        QFETCH(QString, how);
        FtpSettings settings = FtpSettings::videoServer();
        settings.stallSeconds = 2;
        QTemporaryDir root;
        QProcess server; // a server of the test's own, to kill or stop
        if (how != "disconnect")
            settings.port = SandboxDb::startFtpServer(server, root.path());
        QFile source(m_local.filePath("large"));
        if (!source.exists())
            write(source.fileName(), QByteArray(64 << 20, 'v'));
        QVERIFY(source.open(QIODevice::ReadOnly));
        FtpClient ftp;
        Events events(ftp);
        ftp.setBeginHandler([&](qint64 total) {
            events.begins << total;
            if (how == "kill")
                server.kill(), server.waitForFinished();
            else if (how == "stop")
                ::kill(pid_t(server.processId()), SIGSTOP);
            else
                ftp.disconnectFromHost();
        });
        openSequence(ftp, settings);
        const QString error = errorOf([&] { ftp.store(source, QStringLiteral("tst-broken.bin")); });
        server.kill();
        server.waitForFinished();
        QVERIFY2(error.startsWith(Msg::ftpFailed("STOR tst-broken.bin", QString())), qPrintable(error));
        QCOMPARE(events.begins, QList<qint64>{64 << 20});
        QCOMPARE(events.ends, 1);
        QVERIFY(!source.isOpen());
        QVERIFY(!ftp.isConnected());
    }

    void beginHandlerStopsTheTransfer()
    {
        const qint64 huge = qint64(5) << 30;
        QFile source(m_local.filePath("huge"));
        QVERIFY(source.open(QIODevice::ReadWrite) && source.resize(huge) && source.seek(0));
        FtpClient ftp;
        Events events(ftp);
        qint64 total = 0;
        ftp.setBeginHandler([&](qint64 bytes) {
            total = bytes;
            throw Abort();
        });
        openSequence(ftp, FtpSettings::videoServer());
        QVERIFY_THROWS_EXCEPTION(Abort, ftp.store(source, QStringLiteral("tst-huge.bin")));
        QCOMPARE(total, huge);
        QCOMPARE(events.ends, 0);
        QVERIFY(!source.isOpen());
        QVERIFY(!ftp.isConnected());
    }
};

RYN_CORE_TEST_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"
