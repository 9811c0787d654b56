#include "logindialog.h"

#include "ui/uilanguage.h"
#include "data/connection.h"
#include "data/datasource.h"
#include "data/digest.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "data/sqltext.h"
#include "forms/windowparts.h"
#include "forms/windowtables.h"
#include "ui/guard.h"
#include "ui/inputmethod.h"
#include "ui/keypreview.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

LoginDialog::LoginDialog(QWidget* parent)
    : QDialog(parent)
{
    buildLayout();
    new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
    languageController = attachLanguageController(this);
    guarded([this] { loadLanguageAndConnect(); });
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::buildLayout()
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("登入"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(300, 190);

    lblUno = named(new QLabel(QStringLiteral("帳號："), this), "lblUno");
    lblUno->setGeometry(30, 24, 60, 24);
    txtLogin = named(new QLineEdit(this), "txtLogin");
    txtLogin->setGeometry(90, 22, 170, 26);
    txtLogin->setMaxLength(20);
    lblPassword = named(new QLabel(QStringLiteral("密碼："), this), "lblPassword");
    lblPassword->setGeometry(30, 62, 60, 24);
    txtPassword = named(new QLineEdit(this), "txtPassword");
    txtPassword->setGeometry(90, 60, 170, 26);
    txtPassword->setMaxLength(20);
    maskPassword(txtPassword);
    chkShowPassword = named(new QCheckBox(QStringLiteral("顯示密碼"), this), "chkShowPassword");
    chkShowPassword->setGeometry(90, 94, 170, 24);
    chkShowPassword->setFocusPolicy(Qt::ClickFocus);
    btnLogin = namedButton(this, "btnLogin", QStringLiteral("登入 (&L)"));
    btnLogin->setGeometry(60, 134, 85, 33);
    btnExit = namedButton(this, "btnExit", QStringLiteral("取消 (&X)"));
    btnExit->setGeometry(160, 134, 85, 33);
    noteMemo = named(new QPlainTextEdit(this), "Memo1");
    noteMemo->setPlainText(QStringLiteral("Memo1"));
    noteMemo->hide();

    for (QLineEdit* edit : {txtLogin, txtPassword})
        setImeMode(edit, ImeMode::Closed);
    // The check box sits between the password and the buttons in the order, though Tab skips it.
    setTabOrder(txtLogin, txtPassword);
    setTabOrder(txtPassword, chkShowPassword);
    setTabOrder(chkShowPassword, btnLogin);
    setTabOrder(btnLogin, btnExit);
    noteMemo->setFocusPolicy(Qt::NoFocus);
    txtLogin->setFocus();

    connRyn = named(new Connection(this), "connRyn");
    connRyn->setConnectionString(layoutConnectionString());
    qryLogin = named(new SnapshotTable(this), "qryLogin");
    qryLogin->setConnection(connRyn);
    qryLogin->setSql(QStringLiteral("SELECT * FROM users"));
    qryLogin->addField(QStringLiteral("upkey"), FieldType::AutoInc);
    qryLogin->addField(QStringLiteral("uid"), FieldType::Text, 20);
    qryLogin->addField(QStringLiteral("uname"), FieldType::Text, 10);
    qryLogin->addField(QStringLiteral("isadmin"), FieldType::Int16);
    dsLogin = named(new DataSource(qryLogin, this), "dsLogin");
    tblCorp = corpTable(this, connRyn);

    onEvent(btnLogin, &QPushButton::clicked, this, &LoginDialog::btnLoginClick);
    onEvent(btnExit, &QPushButton::clicked, this, &LoginDialog::btnExitClick);
    onEvent(chkShowPassword, &QCheckBox::clicked, this, &LoginDialog::chkShowPasswordClick);
}

std::optional<Session> LoginDialog::Execute()
{
    LoginDialog dialog;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    if (dialog.exec() != mrOk)
        return std::nullopt;
    return dialog.session;
}

QString LoginDialog::MD5(const QString& text)
{
    return ::MD5(text);
}

void LoginDialog::readUiLanguage()
{
    applyStartupLanguage();
}

void LoginDialog::loadLanguageAndConnect()
{
    registerLanguageFiles();
    // A language file that cannot be read costs the translation only: its error is shown, the
    // built-in texts stay, and the connection is still set up so that staff can log in.
    guarded([this] { readUiLanguage(); });
    errcnt = 0;
    connRyn->setConnectionString(programConnectionString());
    connRyn->open();
}

void LoginDialog::btnLoginClick()
{
    qryLogin->close();
    // The one statement kept literal: its bytes, spaces included, are what the server receives on
    // the wire and what the service's logs and checks compare, so it is not turned into a prepared
    // statement. quotedLiteral doubles the quotes, and the session runs with NO_BACKSLASH_ESCAPES, so no
    // typed text can end the literal.
    const QString statement = QStringLiteral("  SELECT * FROM users      WHERE uid=") + quotedLiteral(txtLogin->text())
                              + QStringLiteral("         AND pwd=") + quotedLiteral(MD5(txtPassword->text()));
    qryLogin->setSql(statement);
    qryLogin->open();
    if (qryLogin->recordCount() <= 0) {
        ++errcnt;
        if (errcnt < 3) {
            showMessageBox(this, QStringLiteral("帳號或密碼錯誤，請重新輸入"), QStringLiteral("帳號或密碼錯誤"),
                           Win::MB_ICONEXCLAMATION);
            txtLogin->clear();
            txtPassword->clear();
        } else {
            showMessageBox(this, QStringLiteral("帳號或密碼錯誤達三次，系統將強制退出"),
                           QStringLiteral("帳號或密碼錯誤"), Win::MB_OK);
            done(mrAbort);
        }
    } else {
        // Every value comes from the same (first) matched row, its key included: that row, whose
        // name and password were typed, is the account's own when names are shared.
        Session user;
        user.key = int(qryLogin->field(QStringLiteral("upkey"))->asInteger());
        user.account = qryLogin->field(QStringLiteral("uid"))->asString();
        user.name = qryLogin->field(QStringLiteral("uname"))->asString();
        user.isAdmin = qryLogin->field(QStringLiteral("isadmin"))->asInteger() != 0;
        if (!tblCorp->active())
            tblCorp->open();
        user.watermark = tblCorp->field(QStringLiteral("watermark"))->asInteger() == 1;
        session = user;
        done(mrOk);
    }
    qryLogin->close();
}

void LoginDialog::btnExitClick()
{
    done(mrClose);
}

void LoginDialog::chkShowPasswordClick()
{
    txtPassword->setEchoMode(chkShowPassword->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

bool LoginDialog::previewKey(QKeyEvent* event)
{
    return applyEnterRule(this, event);
}

void LoginDialog::reject()
{
    // Esc presses "取消 (&X)".
    btnExit->click();
}

void LoginDialog::closeEvent(QCloseEvent* event)
{
    // The close box ends the dialog with Cancel.
    if (isVisible())
        done(mrCancel);
    event->accept();
}
