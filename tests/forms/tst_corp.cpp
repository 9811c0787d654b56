#include "lang/langtables.h"
#include "ui/languagecontroller.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "data/snapshottable.h"
#include "forms/corpwindow.h"
#include "forms/ftpupload.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"
#include "platform/messages.h"

#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace FormDriver;
using namespace TestFiles;

// The company window: its one row, and the logo sent to and fetched from the private FTP server.
class TestCorp : public QObject, WindowFixture<CorpWindow>
{
    Q_OBJECT

    QTemporaryDir m_workDir;
    QString m_movies;
    QByteArray m_ftpPort;

    QString onServer(const QString& name) const { return m_movies + name; }
    QSize shownLogo() const { return m_form->imgLogo->pixmap().size(); }

    static QByteArray png(int width, int height, Qt::GlobalColor color)
    {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(color);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // Edit stays enabled on an empty table (it starts the row); Add and Delete are hidden.
    QString frameRule(bool editing)
    {
        return frameRuleBroken(m_form, editing,
                               {m_form->txtInvoiceno, m_form->txtCorpName, m_form->btnUpload, m_form->chkWatermark}, {},
                               true, {m_form->btnAdd, m_form->btnDelete});
    }

    /// A new window, once its fetch of the logo has ended.
    void open()
    {
        WindowFixture::open();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->ftpUpload->running(), 30000);
    }

    // Chooses path in the file dialog of the upload button; returns once the transfer has ended.
    void upload(const QString& path)
    {
        DialogSeam::queueFileName(path);
        click(m_form->btnUpload);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->ftpUpload->running(), 60000);
        QVERIFY(!QApplication::overrideCursor());
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_movies = SandboxDb::videoFolder();
        m_ftpPort = qgetenv("RYN_FTP_PORT");
        QVERIFY(QDir::setCurrent(m_workDir.path()));
    }

    void init()
    {
        startCase();
        QDir(m_movies).removeRecursively();
        QDir().mkpath(m_movies);
        QFile::remove(CorpWindow::localLogoPath());
        write(onServer("logo.png"), png(40, 30, Qt::red));
    }

    void cleanup()
    {
        qputenv("RYN_FTP_PORT", m_ftpPort);
        endCase();
    }

    void opensOnTheRowWithTheServersLogo()
    {
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("公司基本資料及預設值"));
        QCOMPARE(m_form->txtInvoiceno->text() + m_form->txtCorpName->text(),
                 QStringLiteral("12345678Korvel電腦補習班"));
        QVERIFY(m_form->chkWatermark->isChecked());
        QCOMPARE(frameRule(false), QString());
        QVERIFY(!m_form->btnAdd->isVisible() && !m_form->btnDelete->isVisible());
        QVERIFY(!m_form->chkWatermark->isVisible() && !m_form->btnDownload->isVisible());
        // The logo came into the working directory and is shown.
        QCOMPARE(read(CorpWindow::localLogoPath()), read(onServer("logo.png")));
        QCOMPARE(shownLogo(), QSize(40, 30));
        // Every component the translation table names exists under that name.
        QCOMPARE(m_form->languageController->langData().propertyCount(), LangTables::frmCorp().propertyCount());
        QVERIFY(!QApplication::overrideCursor());
    }

    void editSaveAndReadBack()
    {
        open();
        click(m_form->btnEdit);
        QCOMPARE(frameRule(true), QString());
        QTest::keyClick(m_form->txtCorpName, Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        typeInto(m_form->txtInvoiceno, "   ");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("請輸入統編"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONEXCLAMATION));
        QCOMPARE(focused(), m_form->txtInvoiceno);
        typeInto(m_form->txtInvoiceno, "87654321");
        pressEnter();
        QCOMPARE(focused(), m_form->txtCorpName);
        // Tab focus selects the box's text, so typing replaces it.
        typeText(m_form->txtCorpName, QStringLiteral("新公司"));
        pressEnter();
        QCOMPARE(focused(), m_form->btnPost);
        pressEnter();
        QCOMPARE(frameRule(false), QString());
        QCOMPARE(SandboxDb::scalar("SELECT GROUP_CONCAT(CONCAT_WS('/', invoiceno, corpname, watermark)) FROM corp")
                     .toString(),
                 QStringLiteral("87654321/新公司/1"));
    }

    void editOnAnEmptyTableStartsTheRow()
    {
        SandboxDb::exec("DELETE FROM corp");
        open();
        QCOMPARE(frameRule(false), QString());
        click(m_form->btnEdit);
        QCOMPARE(frameRule(true), QString());
        typeInto(m_form->txtInvoiceno, "11223344");
        typeInto(m_form->txtCorpName, "Acme");
        click(m_form->btnPost);
        QCOMPARE(frameRule(false), QString());
        QCOMPARE(SandboxDb::scalar("SELECT GROUP_CONCAT(CONCAT_WS('/', invoiceno, corpname, watermark)) FROM corp")
                     .toString(),
                 QStringLiteral("11223344/Acme/0"));
    }

    void logoRoundTrip_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("remote");
        QTest::newRow("png") << QStringLiteral("mark.png") << "logo.png";
        QTest::newRow("apng") << QStringLiteral("mark.apng") << "logo.apng";
    }
    void logoRoundTrip()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, remote);
        const QString path = write(m_workDir.filePath(chosen), png(64, 48, Qt::blue));
        open();
        click(m_form->btnEdit);
        bool lockedDuring = false;
        // One transfer at a time: the upload button is off while the logo travels; the row stays in use.
        connect(m_form->ftpUpload, &TransferJob::progressed, m_form, [&] {
            lockedDuring =
                m_form->ftpUpload->running() && !m_form->btnUpload->isEnabled() && m_form->btnPost->isEnabled();
        });
        upload(path);
        QVERIFY(lockedDuring);
        QCOMPARE(frameRule(true), QString());
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(read(onServer(remote)), read(path));
        QCOMPARE(shownLogo(), QSize(64, 48));
        // Sending writes nothing into the row, which is still being edited.
        QCOMPARE(m_form->tblCorp->state(), DataSetState::Edit);
        click(m_form->btnCancel);
        // Opened again, the window shows what the server now holds as logo.png.
        delete m_form;
        QFile::remove(CorpWindow::localLogoPath());
        open();
        QCOMPARE(shownLogo(), remote == "logo.png" ? QSize(64, 48) : QSize(40, 30));
        QCOMPARE(read(CorpWindow::localLogoPath()), read(onServer("logo.png")));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QByteArray good = png(20, 20, Qt::green);
        const QString format = QStringLiteral("圖檔格式不支援"),
                      unreadable = Msg::notPng(QString(), QString()).trimmed().chopped(1);
        QTest::newRow("upper-case PNG") << "logo.PNG" << good << format;
        QTest::newRow("jpg") << "mark.jpg" << good << format;
        QTest::newRow("no extension") << "mark" << good << format;
        QTest::newRow("text named png") << "x.png" << QByteArray("not an image\n") << unreadable;
        QTest::newRow("truncated png") << "cut.png" << png(200, 200, Qt::green).left(60) << unreadable;
        QTest::newRow("empty png") << "empty.png" << QByteArray() << unreadable;
        QTest::newRow("missing file") << "gone.png" << QByteArray()
                                      << Msg::cannotOpen(QString(), QString()).section(QLatin1Char(' '), 0, 0);
    }
    void refusedFiles()
    {
        QFETCH(QString, chosen);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = m_workDir.filePath(chosen);
        if (chosen != "gone.png")
            write(path, content);
        const QByteArray serverLogo = read(onServer("logo.png"));
        open();
        const qint64 shown = m_form->imgLogo->pixmap().cacheKey();
        click(m_form->btnEdit);
        DialogSeam::queueAnswer(Win::IDOK);
        upload(path);
        QVERIFY2(DialogSeam::last().text.contains(message), qPrintable(DialogSeam::last().text));
        QCOMPARE(DialogSeam::last().flags, message == "圖檔格式不支援" ? Prompt::PlainNotice : int(Win::MB_ICONHAND));
        // Nothing reached the server and the box keeps the logo it showed.
        QCOMPARE(QDir(m_movies).entryList(QDir::Files), QStringList{"logo.png"});
        QCOMPARE(read(onServer("logo.png")), serverLogo);
        QCOMPARE(m_form->imgLogo->pixmap().cacheKey(), shown);
        QCOMPARE(m_form->tblCorp->state(), DataSetState::Edit);
        QFile::remove(path);
    }

    void fetchErrorsAreToldAndTheWindowOpens_data()
    {
        QTest::addColumn<QByteArray>("serverLogo");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no logo on the server") << QByteArray() << "550";
        QTest::newRow("logo not an image")
            << QByteArray("<html>not found</html>") << Msg::notPng(QString(), QString()).trimmed().chopped(1);
        QTest::newRow("server down") << png(
            40, 30,
            Qt::red) << Msg::ftpFailed(Msg::ftpLogin("127.0.0.1", 0), QString()).section(QLatin1Char(':'), 0, 0);
    }
    void fetchErrorsAreToldAndTheWindowOpens()
    {
        QFETCH(QByteArray, serverLogo);
        QFETCH(QString, reason);
        write(CorpWindow::localLogoPath(), "the last good copy");
        QFile::remove(onServer("logo.png"));
        if (!serverLogo.isEmpty())
            write(onServer("logo.png"), serverLogo);
        if (reason.contains(Msg::ftpLogin("", 0).left(2)))
            qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::closedPort()));
        DialogSeam::queueAnswer(Win::IDOK);
        open();
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QVERIFY(DialogSeam::last().text.startsWith(QStringLiteral("不明錯誤: ")));
        QVERIFY2(DialogSeam::last().text.contains(reason), qPrintable(DialogSeam::last().text));
        QCOMPARE(DialogSeam::last().flags, Prompt::PlainNotice);
        QVERIFY(m_form->imgLogo->pixmap().isNull() && !QApplication::overrideCursor());
        QCOMPARE(m_form->txtInvoiceno->text(), QStringLiteral("12345678"));
        QCOMPARE(read(CorpWindow::localLogoPath()), QByteArray("the last good copy"));
        QCOMPARE(QDir::current().entryList({"logo.png*"}, QDir::Files), QStringList{"logo.png"});
        if (!reason.contains(Msg::ftpLogin("", 0).left(2)))
            return;
        // With the server down, a failed upload is an error, and the box shows the chosen file all the same.
        click(m_form->btnEdit);
        DialogSeam::queueAnswer(Win::IDOK);
        upload(write(m_workDir.filePath("mark.png"), png(10, 12, Qt::black)));
        QVERIFY(DialogSeam::last().text.startsWith(reason));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(shownLogo(), QSize(10, 12));
        QCOMPARE(read(onServer("logo.png")), png(40, 30, Qt::red));
    }

    void localLinkReplacedNotFollowed()
    {
        const QString target = write(m_workDir.filePath("elsewhere.txt"), "not to be written");
        QVERIFY(QFile::link(target, CorpWindow::localLogoPath()));
        open();
        QCOMPARE(shownLogo(), QSize(40, 30));
        QVERIFY(!QFileInfo(CorpWindow::localLogoPath()).isSymLink());
        QCOMPARE(read(CorpWindow::localLogoPath()), read(onServer("logo.png")));
        QCOMPARE(read(target), QByteArray("not to be written"));
    }

    void cutUploadKeepsTheServersLogo()
    {
        // A slow link, so that the server is killed midway.
        QTemporaryDir root;
        QProcess server;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RYN_FTP_READ_LIMIT", "4000");
        server.setProcessEnvironment(env);
        qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::startFtpServer(server, root.path())));
        const QString logo = write(root.path() + "/var/www/html/movies/logo.png", png(40, 30, Qt::red));
        open();
        click(m_form->btnEdit);
        connect(m_form->ftpUpload, &TransferJob::begun, m_form, [&] { server.kill(), server.waitForFinished(); });
        DialogSeam::queueAnswer(Win::IDOK);
        upload(write(m_workDir.filePath("big.png"), png(3000, 3000, Qt::blue)));
        QVERIFY2(DialogSeam::last().text.startsWith(
                     Msg::ftpNotWhole(Msg::ftpFailed("STOR logo.png.part-", QString()).chopped(2))),
                 qPrintable(DialogSeam::last().text));
        QCOMPARE(read(logo), png(40, 30, Qt::red));
    }
};

RYN_TEST_MAIN(TestCorp)
#include "tst_corp.moc"
