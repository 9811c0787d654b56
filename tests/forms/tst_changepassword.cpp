#include "forms/changepasswordwindow.h"
#include "app/logindialog.h"
#include "app/mainwindow.h"
#include "data/digest.h"
#include "platform/programend.h"
#include "ui/messagebox.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "platform/messages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

using namespace FormDriver;

// The change-password window: its checks, the logged-in user's row, the ending of the program,
// and its life as a child of the main window (minimised on closing, brought back as it was).
class TestChangePassword : public QObject, WindowFixture<ChangePasswordWindow>
{
    Q_OBJECT

    int m_ends = 0;

    static QString storedPwd(const QString& uid)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT pwd FROM users WHERE uid='%1'").arg(uid)).toString();
    }

    static QMdiSubWindow* frameOf(MainWindow* main)
    {
        for (QMdiSubWindow* sub : main->mdiArea->subWindowList())
            if (qobject_cast<ChangePasswordWindow*>(sub->widget()))
                return sub;
        return nullptr;
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        startCase();
        m_session.account = QStringLiteral("staff");
        m_session.key = SandboxDb::scalar("SELECT upkey FROM users WHERE uid='staff'").toInt();
        m_ends = 0;
        setProgramEnd([this] { ++m_ends; });
    }

    void cleanup()
    {
        setProgramEnd(nullptr);
        endCase();
    }

    void keysShowPasswordAndReset()
    {
        open();
        QCOMPARE(focused(), m_form->txtPassword1);
        pressEnter();
        QCOMPARE(focused(), m_form->txtPassword2);
        pressEnter();
        QCOMPARE(focused(), m_form->btnOK);
        click(m_form->chkShowPassword);
        QCOMPARE(m_form->txtPassword2->echoMode(), QLineEdit::Normal);
        click(m_form->chkShowPassword);
        QCOMPARE(m_form->txtPassword2->echoMode(), QLineEdit::Password);
        typeInto(m_form->txtPassword1, "one");
        typeInto(m_form->txtPassword2, "two");
        click(m_form->btnReset);
        QCOMPARE(m_form->txtPassword1->text() + m_form->txtPassword2->text(), QString());
        QCOMPARE(focused(), m_form->txtPassword2);
    }

    void checks_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("emptied");
        // clang-format off
        QTest::newRow("both empty")   << "" << "" << "密碼不可空白" << "密碼空白" << "txtPassword1" << false;
        QTest::newRow("first spaces") << "   " << "abc" << "密碼不可空白" << "密碼空白" << "txtPassword1" << false;
        QTest::newRow("second empty") << "abc" << " " << "確認密碼不可空白" << "確認密碼空白" << "txtPassword2" << false;
        QTest::newRow("letter case")  << "Abc" << "abc" << "新密碼 與 確認密碼 必須相符" << "密碼與確認密碼不同" << "txtPassword1" << true;
        QTest::newRow("Chinese")      << "密碼1" << "密碼1" << Msg::passwordCharacters() << Msg::passwordCharactersTitle() << "txtPassword1" << false;
        QTest::newRow("differ, Chinese") << "密碼1" << "密碼2" << "新密碼 與 確認密碼 必須相符" << "密碼與確認密碼不同" << "txtPassword1" << true;
        // clang-format on
    }
    void checks()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        QFETCH(bool, emptied);
        open();
        typeInto(m_form->txtPassword1, first);
        typeInto(m_form->txtPassword2, second);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnOK);
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().text, text);
        QCOMPARE(DialogSeam::last().caption, title);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(focused()->objectName(), focus);
        QCOMPARE(m_form->txtPassword1->text(), emptied ? QString() : first);
        QCOMPARE(m_form->txtPassword2->text(), emptied ? QString() : second);
        QCOMPARE(storedPwd("staff"), MD5("staff123"));
        QCOMPARE(m_ends, 0);
    }

    void noRowOfTheLoggedInKeyDoesNothing()
    {
        SandboxDb::exec("DELETE FROM users WHERE uid='staff'");
        open();
        typeInto(m_form->txtPassword1, "abc1");
        typeInto(m_form->txtPassword2, "abc1");
        click(m_form->btnOK);
        QVERIFY(DialogSeam::prompts().isEmpty());
        QCOMPARE(m_ends, 0);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM users WHERE pwd=MD5('abc1')").toInt(), 0);
    }

    // Two accounts share a name: the row changed is the one the login matched.
    void changesTheRowTheLoginMatched()
    {
        SandboxDb::exec("INSERT INTO users (uid, uname, pwd) VALUES ('staff', '另一人', MD5('other1'))");
        LoginDialog login;
        login.txtLogin->setText("staff");
        login.txtPassword->setText("other1");
        click(login.btnLogin);
        m_session = login.session;
        open();
        typeInto(m_form->txtPassword1, "new1");
        typeInto(m_form->txtPassword2, "new1");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnOK);
        const QString changed = "SELECT GROUP_CONCAT(pwd = MD5('new1') ORDER BY upkey) FROM users WHERE uid='staff'";
        QCOMPARE(SandboxDb::scalar(changed).toString(), QStringLiteral("0,1"));
    }

    // A save the server refuses leaves the row for another try, which stores the trimmed digest and ends.
    void refusedSaveThenChangeStoresTheTrimmedDigest()
    {
        open();
        SandboxDb::exec("UPDATE users SET pwd=MD5('meanwhile') WHERE uid='staff'");
        typeInto(m_form->txtPassword1, " New9 ");
        typeInto(m_form->txtPassword2, "New9  ");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnOK);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(m_ends, 0);
        QCOMPARE(storedPwd("staff"), MD5("meanwhile"));
        SandboxDb::exec("UPDATE users SET pwd=MD5('staff123') WHERE uid='staff'");
        DialogSeam::clear();
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnOK);
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("密碼變更成功，請重新登入"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("密碼變更成功"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONASTERISK));
        QCOMPARE(m_ends, 1);
        QCOMPARE(storedPwd("staff"), MD5("New9"));
        QCOMPARE(storedPwd("admin"), MD5("admin123"));
    }

    void closingMinimisesAndTheMenuBringsItBack()
    {
        MainWindow main(m_session);
        main.showMaximized();
        main.mitPassword->trigger();
        QMdiSubWindow* sub = frameOf(&main);
        QVERIFY(sub);
        QVERIFY(sub->isMaximized());
        auto* form = qobject_cast<ChangePasswordWindow*>(sub->widget());
        typeInto(form->txtPassword1, "kept1");
        click(form->btnExit);
        QVERIFY(sub->isMinimized());
        QCOMPARE(frameOf(&main), sub);
        main.mitPassword->trigger();
        QCOMPARE(main.mdiArea->subWindowList().size(), 1);
        QVERIFY(sub->isMaximized());
        QCOMPARE(form->txtPassword1->text(), QStringLiteral("kept1"));
        sub->close();
        QVERIFY(sub->isMinimized());
        QCOMPARE(frameOf(&main), sub);
        main.mitCloseAll->trigger();
        QVERIFY(!frameOf(&main));
    }

    // The real ending: the message loop stops, and the main window is not asked to close.
    void successEndsTheMessageLoopWithoutTheCloseQuestion()
    {
        setProgramEnd(nullptr);
        MainWindow main(m_session);
        main.showMaximized();
        main.mitPassword->trigger();
        auto* form = qobject_cast<ChangePasswordWindow*>(frameOf(&main)->widget());
        typeInto(form->txtPassword1, "loop1");
        typeInto(form->txtPassword2, "loop1");
        DialogSeam::queueAnswer(Win::IDOK);
        QTimer::singleShot(0, form, [form] { click(form->btnOK); });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(TestSupport::promptTexts(), QStringList({"密碼變更成功，請重新登入"}));
        QVERIFY(main.isVisible());
        QCOMPARE(storedPwd("staff"), MD5("loop1"));
    }
};

RYN_TEST_MAIN(TestChangePassword)
#include "tst_changepassword.moc"
