#include "platform/messages.h"
#include "app/logindialog.h"
#include "data/digest.h"
#include "platform/dialogseam.h"
#include "platform/inifile.h"
#include "ui/messagebox.h"
#include "sandboxdb.h"
#include "testsupport.h"
#include "wiretap.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOption>

class TestLogin : public QObject
{
    Q_OBJECT

    std::unique_ptr<LoginDialog> m_dialog;
    std::unique_ptr<WireTap> m_tap;
    QByteArray m_serverPort;

    LoginDialog* open()
    {
        m_dialog = std::make_unique<LoginDialog>();
        m_dialog->show();
        if (!QTest::qWaitForWindowExposed(m_dialog.get()))
            qWarning("login dialog not shown");
        return m_dialog.get();
    }

    void attempt(LoginDialog* d, const QString& name, const QString& password)
    {
        d->txtLogin->setText(name);
        d->txtPassword->setText(password);
        QTest::mouseClick(d->btnLogin, Qt::LeftButton);
    }

    static QString expected(const QString& name, const QString& password)
    {
        QString n = name;
        n.replace("'", "''");
        return QStringLiteral("  SELECT * FROM users      WHERE uid='") + n + QStringLiteral("'         AND pwd='")
               + MD5(password) + QStringLiteral("'");
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_serverPort = qgetenv("RYN_DB_PORT");
    }

    void init()
    {
        SandboxDb::reseed();
        // The program talks to the server through the tap, which keeps the bytes it sends.
        m_tap = std::make_unique<WireTap>(m_serverPort.toInt());
        qputenv("RYN_DB_PORT", QByteArray::number(m_tap->port()));
        DialogSeam::clear();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_tap.reset();
        qputenv("RYN_DB_PORT", m_serverPort);
        QCOMPARE(DialogSeam::pending(), 0);
    }

    void layout()
    {
        LoginDialog* d = open();
        QCOMPARE(d->windowTitle(), QStringLiteral("登入"));
        QCOMPARE(d->btnLogin->text(), QStringLiteral("登入 (&L)"));
        QCOMPARE(d->btnExit->text(), QStringLiteral("取消 (&X)"));
        QCOMPARE(d->txtLogin->maxLength(), 20);
        QCOMPARE(d->txtPassword->maxLength(), 20);
        QCOMPARE(d->txtPassword->echoMode(), QLineEdit::Password);
        QVERIFY(!d->chkShowPassword->isChecked());
        QVERIFY(!(d->chkShowPassword->focusPolicy() & Qt::TabFocus));
        QCOMPARE(QApplication::focusWidget(), d->txtLogin);
    }

    void administratorLogsIn()
    {
        LoginDialog* d = open();
        attempt(d, "admin", "admin123");
        QCOMPARE(d->result(), int(LoginDialog::mrOk));
        QCOMPARE(d->session.account, QStringLiteral("admin"));
        QCOMPARE(d->session.name, QStringLiteral("系統管理員"));
        QVERIFY(d->session.isAdmin);
        QVERIFY(d->session.watermark);
        QVERIFY(DialogSeam::prompts().isEmpty());
        QVERIFY(m_tap->sawQuery(expected("admin", "admin123")));
        QVERIFY(!m_tap->sawQuery(expected("admin", "admin124")));
    }

    void staffIsNoAdministratorAndWatermarkFollowsCorp()
    {
        SandboxDb::exec("UPDATE corp SET watermark=0");
        LoginDialog* d = open();
        attempt(d, "staff", "staff123");
        QCOMPARE(d->result(), int(LoginDialog::mrOk));
        QVERIFY(!d->session.isAdmin);
        QVERIFY(!d->session.watermark);
    }

    void emptyCorpGivesNoWatermark()
    {
        SandboxDb::exec("DELETE FROM corp");
        LoginDialog* d = open();
        attempt(d, "admin", "admin123");
        QCOMPARE(d->result(), int(LoginDialog::mrOk));
        QVERIFY(!d->session.watermark);
    }

    void firstMatchingRowFillsTheUser()
    {
        SandboxDb::exec("INSERT INTO users (uid, uname, pwd, isadmin) VALUES ('admin', 'second', MD5('admin123'), 0)");
        LoginDialog* d = open();
        attempt(d, "admin", "admin123");
        QCOMPARE(d->session.name, QStringLiteral("系統管理員"));
        QVERIFY(d->session.isAdmin);
    }

    void twoFailuresThenSuccess()
    {
        LoginDialog* d = open();
        for (int i = 0; i < 2; ++i) {
            DialogSeam::queueAnswer(Win::IDOK);
            attempt(d, "admin", "wrong");
            QCOMPARE(DialogSeam::last().text, QStringLiteral("帳號或密碼錯誤，請重新輸入"));
            QCOMPARE(DialogSeam::last().caption, QStringLiteral("帳號或密碼錯誤"));
            QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONEXCLAMATION));
            QVERIFY(d->txtLogin->text().isEmpty());
            QVERIFY(d->txtPassword->text().isEmpty());
            QVERIFY(d->isVisible());
        }
        QCOMPARE(d->errcnt, 2);
        attempt(d, "admin", "admin123");
        QCOMPARE(d->result(), int(LoginDialog::mrOk));
    }

    void thirdFailureEnds()
    {
        LoginDialog* d = open();
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueAnswer(Win::IDOK);
        attempt(d, "a", "1");
        attempt(d, "b", "2");
        attempt(d, "c", "3");
        QCOMPARE(DialogSeam::last().text, QStringLiteral("帳號或密碼錯誤達三次，系統將強制退出"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("帳號或密碼錯誤"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_OK));
        QCOMPARE(d->result(), int(LoginDialog::mrAbort));
        QVERIFY(!d->isVisible());
        QCOMPARE(d->txtLogin->text(), QStringLiteral("c"));
        QCOMPARE(d->txtPassword->text(), QStringLiteral("3"));
        QVERIFY(d->session.account.isEmpty());
    }

    void statementIsSentAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("spaces") << " admin "
                                << " admin123";
        QTest::newRow("quote") << "ad'min"
                               << "x'y";
        QTest::newRow("or true") << "' OR '1'='1"
                                 << "' OR '1'='1";
        QTest::newRow("backslash") << "admin\\"
                                   << "\\";
        QTest::newRow("backslash quote") << "a\\' OR 1=1 -- "
                                         << "p";
        QTest::newRow("comment") << "admin'-- "
                                 << "#";
        QTest::newRow("hash") << "admin'#"
                              << "x";
        QTest::newRow("stacked") << "x';DROP TABLE users#"
                                 << ";";
        QTest::newRow("chinese") << QStringLiteral("系統管理員") << QStringLiteral("密碼");
        QTest::newRow("twenty") << QString(20, QLatin1Char('\'')) << QString(20, QLatin1Char('\\'));
    }
    void statementIsSentAsTyped()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        LoginDialog* d = open();
        DialogSeam::queueAnswer(Win::IDOK);
        attempt(d, name, password);
        QCOMPARE(d->result(), 0);
        QCOMPARE(d->errcnt, 1);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONEXCLAMATION));
        QVERIFY(m_tap->sawQuery(expected(name, password)));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM users").toInt(), 2);
    }

    void longInputIsCutAtTwentyCharacters()
    {
        LoginDialog* d = open();
        const QString longText(100000, QLatin1Char('\''));
        DialogSeam::queueAnswer(Win::IDOK);
        attempt(d, longText, longText);
        QVERIFY(m_tap->sawQuery(expected(longText.left(20), longText.left(20))));
        QCOMPARE(d->errcnt, 1);
    }

    void hostileNamesAreAccountsLikeAnyOther_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("quotes and backslashes") << "o'ne\\il"
                                                << "p'w\\";
        QTest::newRow("comment marks") << "a-- #;"
                                       << "--";
        QTest::newRow("chinese and nul") << QStringLiteral("王%1小明").arg(QChar(0)) << QStringLiteral("密碼");
    }
    void hostileNamesAreAccountsLikeAnyOther()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QSqlQuery insert(SandboxDb::root());
        insert.prepare("INSERT INTO users (uid, uname, pwd, isadmin) VALUES (?, 'x', ?, 0)");
        insert.addBindValue(name);
        insert.addBindValue(MD5(password));
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        LoginDialog* d = open();
        attempt(d, name, password);
        QCOMPARE(d->result(), int(LoginDialog::mrOk));
        QCOMPARE(d->session.account, name);
    }

    void escAndCloseBoxEndTheDialog()
    {
        LoginDialog* d = open();
        QTest::keyClick(d->txtLogin, Qt::Key_Escape);
        QCOMPARE(d->result(), int(LoginDialog::mrClose));
        QVERIFY(!d->isVisible());
        d = open();
        d->close();
        QCOMPARE(d->result(), int(LoginDialog::mrCancel));
    }

    void enterMovesThroughTheTabStops()
    {
        LoginDialog* d = open();
        d->txtLogin->setFocus();
        QTest::keyClick(d->txtLogin, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), d->txtPassword);
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), d->btnLogin);
        d->btnExit->setFocus();
        QTest::keyClick(d->btnExit, Qt::Key_Return);
        QCOMPARE(d->result(), int(LoginDialog::mrClose));
    }

    // Enter presses push buttons only: the clicked check box keeps its state and the focus moves on.
    void enterOnTheCheckBoxMovesOn()
    {
        LoginDialog* d = open();
        QTest::mouseClick(d->chkShowPassword, Qt::LeftButton, {}, QPoint(5, d->chkShowPassword->height() / 2));
        QCOMPARE(QApplication::focusWidget(), d->chkShowPassword);
        QStyleOption option;
        option.initFrom(d->chkShowPassword); // the states from which the style draws the focus mark
        QVERIFY(option.state.testFlags(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange));
        QTest::keyClick(d->chkShowPassword, Qt::Key_Return);
        QVERIFY(d->chkShowPassword->isChecked());
        QCOMPARE(d->txtPassword->echoMode(), QLineEdit::Normal);
        QCOMPARE(QApplication::focusWidget(), d->btnLogin);
        QCOMPARE(d->result(), 0);
    }

    void showPassword()
    {
        LoginDialog* d = open();
        QTest::mouseClick(d->chkShowPassword, Qt::LeftButton, {}, QPoint(5, d->chkShowPassword->height() / 2));
        QCOMPARE(d->txtPassword->echoMode(), QLineEdit::Normal);
        QTest::mouseClick(d->chkShowPassword, Qt::LeftButton, {}, QPoint(5, d->chkShowPassword->height() / 2));
        QCOMPARE(d->txtPassword->echoMode(), QLineEdit::Password);
    }

    // The error names the server and port tried, and where each was set, before the driver's words.
    void serverDownShowsErrorsAndCountsNothing()
    {
        const int port = SandboxDb::closedPort();
        qunsetenv("RYN_DB_PORT");
        IniFile::writeSetting("Server", "DbPort", QString::number(port));
        const QString settings = IniFile::findSetting("Server", "DbPort").file;
        DialogSeam::queueAnswer(Win::IDOK);
        LoginDialog* d = open();
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        const QString named = Msg::databaseServer("127.0.0.1", port)
                              + Msg::settingsEachFrom(Msg::settingVariable("RYN_SERVER"), Msg::settingFile(settings));
        QVERIFY(DialogSeam::last().text.startsWith(Msg::cannotConnect(named, QString())));
        QVERIFY(DialogSeam::last().text.contains("Can't connect"));
        QVERIFY(d->isVisible());
        DialogSeam::queueAnswer(Win::IDOK);
        attempt(d, "admin", "admin123");
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(d->errcnt, 0);
        QVERIFY(d->isVisible());
        QVERIFY(d->session.account.isEmpty());
    }
};

RYN_TEST_MAIN(TestLogin)
#include "tst_login.moc"
