#include "formchangepassword.h"

#include "app/rynconst.h"
#include "app/uilanguage.h"
#include "data/digest.h"
#include "data/snapshottable.h"
#include "forms/recordwindow.h"
#include "platform/errors.h"
#include "platform/programend.h"
#include "ui/guard.h"
#include "ui/inputmethod.h"
#include "ui/keypreview.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <typename T> T* named(T* object, const char* name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QLineEdit* passwordEdit(QWidget* parent, const char* name)
{
    auto* edit = named(new QLineEdit(parent), name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    setImeMode(edit, ImeMode::Closed);
    return edit;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = named(new QPushButton(caption, parent), name);
    // Enter follows the window's Enter rule; no button is a default button.
    b->setAutoDefault(false);
    return b;
}
} // namespace

TfrmChangePassword::TfrmChangePassword(Connection* conn, QWidget* parent)
    : QWidget(parent)
{
    buildLayout();
    tblUser = named(new SnapshotTable(this), "tblUser");
    tblUser->setConnection(conn);
    tblUser->setTableName(QStringLiteral("users"));
    tblUser->addField(QStringLiteral("upkey"), FieldType::AutoInc);
    tblUser->addField(QStringLiteral("uid"), FieldType::Text, 20);
    tblUser->addField(QStringLiteral("uname"), FieldType::Text, 10);
    tblUser->addField(QStringLiteral("pwd"), FieldType::Text, 40);
    tblUser->addField(QStringLiteral("isadmin"), FieldType::Int16);
    tblUser->addField(QStringLiteral("pwdhint"), FieldType::Text, 10);
    tblUser->setKeyField(QStringLiteral("upkey"));
    tblUser->events.afterPost = [this] { tblUserAfterPost(); };

    onEvent(btnOK, &QPushButton::clicked, this, &TfrmChangePassword::btnOKClick);
    onEvent(btnReset, &QPushButton::clicked, this, &TfrmChangePassword::btnResetClick);
    onEvent(chkShowPassword, &QCheckBox::clicked, this, &TfrmChangePassword::chkShowPasswordClick);
    onEvent(btnExit, &QPushButton::clicked, this, &TfrmChangePassword::btnExitClick);
    new KeyPreview(this, [this](QKeyEvent* e) {
        bool consumed = false;
        guarded([&] { consumed = FormKeyPress(e); });
        return consumed;
    });
    LangCtrl = attachLanguageController(this);
    guarded([this] { FormCreate(); });
}

void TfrmChangePassword::buildLayout()
{
    setObjectName(QStringLiteral("frmChangePassword"));
    setWindowTitle(QStringLiteral("變更密碼"));
    QFont f = font();
    f.setPixelSize(16);
    setFont(f);

    lblPassword1 = named(new QLabel(QStringLiteral("請輸入新密碼"), this), "lblPassword1");
    lblPassword1->setGeometry(20, 30, 150, 24);
    lblPassword1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtPassword1 = passwordEdit(this, "txtPassword1");
    txtPassword1->setGeometry(180, 28, 220, 26);
    lblPassword2 = named(new QLabel(QStringLiteral("請再次輸入新密碼"), this), "lblPassword2");
    lblPassword2->setGeometry(20, 70, 150, 24);
    lblPassword2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtPassword2 = passwordEdit(this, "txtPassword2");
    txtPassword2->setGeometry(180, 68, 220, 26);
    chkShowPassword = named(new QCheckBox(QStringLiteral("顯示密碼"), this), "chkShowPassword");
    chkShowPassword->setGeometry(180, 102, 130, 24);
    chkShowPassword->setFocusPolicy(Qt::ClickFocus);
    btnOK = button(this, "btnOK", QStringLiteral("確定變更密碼 (&K)"));
    btnOK->setGeometry(120, 142, 160, 33);
    btnReset = button(this, "btnReset", QStringLiteral("清空重填 (&R)"));
    btnReset->setGeometry(290, 142, 110, 33);
    btnReset->setFocusPolicy(Qt::NoFocus);
    btnExit = button(this, "btnExit", QStringLiteral("結束 (&X)"));
    btnExit->setGeometry(120, 185, 160, 33);

    setTabOrder(txtPassword1, txtPassword2);
    setTabOrder(txtPassword2, btnOK);
    setTabOrder(btnOK, btnExit);
    txtPassword1->setFocus();
}

QString TfrmChangePassword::MD5(const QString& text)
{
    return ::MD5(text);
}

void TfrmChangePassword::FormCreate()
{
    if (!tblUser->active())
        tblUser->open();
}

void TfrmChangePassword::refuse(const QString& text, const QString& title, QLineEdit* box)
{
    MessageBox(this, text, title, Win::MB_ICONHAND);
    box->setFocus();
    throw Abort();
}

void TfrmChangePassword::btnOKClick()
{
    if (!tblUser->active())
        tblUser->open();
    const QString password = trimControls(txtPassword1->text());
    const QString repeated = trimControls(txtPassword2->text());
    if (password.isEmpty())
        refuse(QStringLiteral("密碼不可空白"), QStringLiteral("密碼空白"), txtPassword1);
    if (repeated.isEmpty())
        refuse(QStringLiteral("確認密碼不可空白"), QStringLiteral("確認密碼空白"), txtPassword2);
    if (password != repeated) {
        MessageBox(this, QStringLiteral("新密碼 與 確認密碼 必須相符"), QStringLiteral("密碼與確認密碼不同"),
                   Win::MB_ICONHAND);
        txtPassword1->clear();
        txtPassword2->clear();
        txtPassword1->setFocus();
        return;
    }
    if (!tblUser->locate(QStringLiteral("uid"), UID))
        return;
    tblUser->edit();
    tblUser->fieldByName(QStringLiteral("pwd"))->setAsString(MD5(password));
    try {
        tblUser->post();
    } catch (...) {
        // A refused save leaves the row as it was read, so that the next click starts afresh.
        tblUser->cancel();
        throw;
    }
}

void TfrmChangePassword::tblUserAfterPost()
{
    MessageBox(this, QStringLiteral("密碼變更成功，請重新登入"), QStringLiteral("密碼變更成功"), Win::MB_ICONASTERISK);
    endProgram();
}

void TfrmChangePassword::btnResetClick()
{
    txtPassword1->clear();
    txtPassword2->clear();
}

void TfrmChangePassword::chkShowPasswordClick()
{
    const QLineEdit::EchoMode mode = chkShowPassword->isChecked() ? QLineEdit::Normal : QLineEdit::Password;
    txtPassword1->setEchoMode(mode);
    txtPassword2->setEchoMode(mode);
}

void TfrmChangePassword::btnExitClick()
{
    // Inside the main window the frame around this form is what closes (and so is minimised).
    if (QWidget* frame = parentWidget(); frame && frame->inherits("QMdiSubWindow"))
        frame->close();
    else
        close();
}

bool TfrmChangePassword::FormKeyPress(QKeyEvent* event)
{
    return applyEnterRule(this, event);
}

void TfrmChangePassword::closeEvent(QCloseEvent* event)
{
    // A child window without a closing handler of its own is minimised, not destroyed: it keeps its
    // edits until it is brought back.
    QWidget* frame = parentWidget() && parentWidget()->inherits("QMdiSubWindow") ? parentWidget() : this;
    frame->showMinimized();
    event->ignore();
}
