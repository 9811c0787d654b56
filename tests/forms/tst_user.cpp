#include "controls/dbgrid.h"
#include "controls/dbedit.h"
#include "controls/maskedit.h"
#include "data/digest.h"
#include "forms/userwindow.h"
#include "ui/messagebox.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "platform/messages.h"

#include <QPushButton>
#include <QStatusBar>

using namespace FormDriver;

// The users window: the reserved account kept out, the checks before saving, the password box.
class TestUser : public QObject, WindowFixture<UserWindow>
{
    Q_OBJECT

    static QString storedPwd(const QString& uid)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT pwd FROM users WHERE uid='%1'").arg(uid)).toString();
    }

    void select(const QString& uid) { QVERIFY(m_form->tblUser->locate("uid", uid)); }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        startCase();
        SandboxDb::exec("INSERT INTO users (uid, uname, pwd, isadmin, pwdhint) VALUES "
                        "('clerk', '李會計', MD5('clerk1'), 1, 'c')");
    }

    void cleanup() { endCase(); }

    void opensWithoutTheReservedAccount_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("accounts");
        QTest::newRow("demo") << "" << QStringList({"clerk", "staff"});
        QTest::newRow("only the reserved one") << "DELETE FROM users WHERE uid<>'admin'" << QStringList();
    }
    void opensWithoutTheReservedAccount()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, accounts);
        if (!setup.isEmpty())
            SandboxDb::exec(setup);
        open();
        QCOMPARE(column(m_form->grdUser, 0), accounts);
        QCOMPARE(frameRuleBroken(m_form, false, {m_form->txtUID, m_form->txtUname, m_form->txtPwd, m_form->txtPwdHint},
                                 {m_form->grdUser}, !accounts.isEmpty()),
                 QString());
    }

    void checksBeforeSaving_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("uname");
        QTest::addColumn<QString>("pwd");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("focus");
        const QString reserved = QStringLiteral("admin 為系統管理者，請改為其他帳號名");
        const int warning = Win::MB_ICONEXCLAMATION;
        const int error = Win::MB_ICONHAND;
        const int none = Win::MB_OK;
        // clang-format off
        QTest::newRow("all empty")        << "" << "" << "" << "" << "請輸入帳號" << warning << "txtUID";
        QTest::newRow("account spaces")   << "   " << "n" << "p1" << "h" << "請輸入帳號" << warning << "txtUID";
        QTest::newRow("no name")          << "u1" << "" << "p1" << "h" << "請輸入姓名" << warning << "txtUname";
        QTest::newRow("no password")      << "u1" << "n" << "" << "h" << "請輸入密碼" << warning << "txtPwd";
        QTest::newRow("no hint")          << "u1" << "n" << "p1" << " " << "請輸入密碼提示" << warning << "txtPwdHint";
        QTest::newRow("admin, no name")   << "admin" << "" << "p1" << "h" << "請輸入姓名" << warning << "txtUname";
        QTest::newRow("admin, no hint")   << "admin" << "n" << "p1" << "" << "請輸入密碼提示" << warning << "txtPwdHint";
        QTest::newRow("admin")            << "admin" << "n" << "p1" << "h" << reserved << error << "txtUID";
        QTest::newRow("ADMIN in spaces")  << " AdMiN  " << "n" << "p1" << "h" << reserved << error << "txtUID";
        QTest::newRow("admin2")           << "admin2" << "n" << "abc" << "h" << "" << none << "";
        QTest::newRow("spaces kept")      << " sp " << "名 " << "Xy9" << "h" << "" << none << "";
        QTest::newRow("another's name")   << "sTaFF  " << "n" << "p1" << "h" << "帳號「sTaFF」已經有其他使用者使用，帳號不可重複（英文大小寫不同或尾端多了空白也視為相同），請改為其他帳號名" << error << "txtUID";
        QTest::newRow("Chinese password") << "u1" << "n" << "密碼1" << "h" << Msg::passwordCharacters() << error << "txtPwd";
        // clang-format on
    }
    void checksBeforeSaving()
    {
        QFETCH(QString, uid);
        QFETCH(QString, uname);
        QFETCH(QString, pwd);
        QFETCH(QString, hint);
        QFETCH(QString, message);
        QFETCH(int, flags);
        QFETCH(QString, focus);
        const QString reserved = QStringLiteral("admin 為系統管理者，請改為其他帳號名");
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtUID, uid);
        typeInto(m_form->txtUname, uname);
        isPrintableAscii(pwd) ? typeInto(m_form->txtPwd, pwd)
                              : m_form->txtPwd->setText(pwd); // the box takes no other keys
        typeInto(m_form->txtPwdHint, hint);
        if (!message.isEmpty())
            DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        if (!message.isEmpty()) {
            QCOMPARE(DialogSeam::prompts().size(), 1);
            QCOMPARE(DialogSeam::last().text, message);
            QCOMPARE(DialogSeam::last().caption, flags == int(Win::MB_ICONEXCLAMATION) ? QStringLiteral("必填欄位")
                                                 : message == reserved ? QStringLiteral("帳號名不可與系統管理者相同")
                                                 : message == Msg::passwordCharacters() ? Msg::passwordCharactersTitle()
                                                                                        : QStringLiteral("帳號重複"));
            QCOMPARE(DialogSeam::last().flags, flags);
            QCOMPARE(focused()->objectName(), focus);
            QCOMPARE(m_form->tblUser->state(), DataSetState::Insert);
            QCOMPARE(m_form->txtUID->text(), uid);
            QCOMPARE(m_form->txtPwd->text(), pwd);
            QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM users").toInt(), 3);
            return;
        }
        QVERIFY(DialogSeam::prompts().isEmpty());
        QCOMPARE(m_form->tblUser->state(), DataSetState::Browse);
        const QString row = QStringLiteral("SELECT CONCAT_WS('|', uname, pwd, isadmin, pwdhint, upkey > 0) FROM users "
                                           "WHERE uid='%1'");
        QCOMPARE(SandboxDb::scalar(row.arg(uid)).toString(), QStringList({uname, MD5(pwd), "0", hint, "1"}).join('|'));
    }

    void passwordBoxTakesTwentyLettersAndDigits()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtPwd, QStringLiteral("ab c-1!中2"));
        QCOMPARE(m_form->txtPwd->text(), QStringLiteral("abc12"));
        m_form->txtPwd->insert(QStringLiteral("中文"));
        QCOMPARE(m_form->txtPwd->text(), QStringLiteral("abc12"));
        typeInto(m_form->txtPwd, QStringLiteral("A234567890123456789012"));
        QCOMPARE(m_form->txtPwd->text(), QStringLiteral("A2345678901234567890"));
        typeInto(m_form->txtPwd, QStringLiteral("ab"));
        QCOMPARE(m_form->txtPwd->displayText(), QStringLiteral("ab") + QString(18, QLatin1Char('_')));
        click(m_form->btnCancel);
    }

    void passwordHintInTheStatusLine()
    {
        open();
        click(m_form->btnEdit);
        m_form->txtPwd->setFocus();
        QCOMPARE(m_form->statusBar->currentMessage(), QStringLiteral("請輸入以 英文 與 數字 組成的密碼"));
        m_form->txtPwdHint->setFocus();
        QCOMPARE(m_form->statusBar->currentMessage(), QString());
        click(m_form->btnCancel);
    }

    void editingKeepsOrReplacesThePassword()
    {
        open();
        select("staff");
        click(m_form->btnEdit);
        typeInto(m_form->txtUname, QStringLiteral("王大明"));
        click(m_form->btnPost);
        QCOMPARE(SandboxDb::scalar("SELECT uname FROM users WHERE uid='staff'").toString(), QStringLiteral("王大明"));
        QCOMPARE(storedPwd("staff"), MD5("staff123"));
        QCOMPARE(SandboxDb::scalar("SELECT isadmin FROM users WHERE uid='clerk'").toInt(), 1);

        select("clerk");
        click(m_form->btnEdit);
        typeInto(m_form->txtUID, "clerk2");
        typeInto(m_form->txtPwd, "new9");
        click(m_form->btnPost);
        QCOMPARE(storedPwd("clerk2"), MD5("new9"));
        QCOMPARE(m_form->txtPwd->text(), QString());
        QCOMPARE(SandboxDb::scalar("SELECT isadmin FROM users WHERE uid='clerk2'").toInt(), 1);
        QCOMPARE(storedPwd("admin"), MD5("admin123"));
    }

    // A password typed for one account never reaches another, nor does one refused with its save.
    void passwordBoxEmptiedBetweenAccounts()
    {
        open();
        select("staff");
        click(m_form->btnEdit);
        typeInto(m_form->txtPwd, "forstaff1");
        click(m_form->btnCancel);
        QCOMPARE(m_form->txtPwd->text(), QString());
        click(m_form->btnEdit);
        typeInto(m_form->txtPwd, "forstaff2");
        typeInto(m_form->txtPwdHint, "");
        // A refused save keeps what was typed, the password included, but not its digest.
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(m_form->txtPwd->text(), QStringLiteral("forstaff2"));
        typeInto(m_form->txtPwd, "");
        typeInto(m_form->txtPwdHint, "h");
        click(m_form->btnPost);
        QCOMPARE(storedPwd("staff"), MD5("staff123"));

        select("clerk");
        click(m_form->btnAdd);
        QCOMPARE(m_form->txtPwd->text(), QString());
        typeInto(m_form->txtPwd, "fornew1");
        click(m_form->btnCancel);
        select("staff");
        QCOMPARE(m_form->txtPwd->text(), QString());
    }
};

RYN_TEST_MAIN(TestUser)
#include "tst_user.moc"
