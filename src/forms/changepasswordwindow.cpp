#include "changepasswordwindow.h"
#include "platform/messages.h"

#include "ui/uilanguage.h"
#include "data/digest.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/recordwindow.h"
#include "forms/windowtables.h"
#include "platform/errors.h"
#include "platform/programend.h"
#include "ui/childframe.h"
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
QLineEdit* passwordEdit(QWidget* parent, const char* name)
{
    auto* edit = named(new QLineEdit(parent), name);
    maskPassword(edit);
    setImeMode(edit, ImeMode::Closed);
    return edit;
}
} // namespace

ChangePasswordWindow::ChangePasswordWindow(Connection* conn, const Session& session, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
{
    buildLayout();
    tblUser = userTable(this, conn);
    connect(tblUser, &SnapshotTable::afterPost, this, [this] { tblUserAfterPost(); });

    onEvent(btnOK, &QPushButton::clicked, this, &ChangePasswordWindow::btnOKClick);
    onEvent(btnReset, &QPushButton::clicked, this, &ChangePasswordWindow::btnResetClick);
    onEvent(chkShowPassword, &QCheckBox::clicked, this, &ChangePasswordWindow::chkShowPasswordClick);
    onEvent(btnExit, &QPushButton::clicked, this, &ChangePasswordWindow::btnExitClick);
    new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
    languageController = attachLanguageController(this);
    guarded([this] { loadData(); });
}

void ChangePasswordWindow::buildLayout()
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
    btnOK = namedButton(this, "btnOK", QStringLiteral("確定變更密碼 (&K)"));
    btnOK->setGeometry(120, 142, 160, 33);
    btnReset = namedButton(this, "btnReset", QStringLiteral("清空重填 (&R)"));
    btnReset->setGeometry(290, 142, 110, 33);
    btnReset->setFocusPolicy(Qt::NoFocus);
    btnExit = namedButton(this, "btnExit", QStringLiteral("結束 (&X)"));
    btnExit->setGeometry(120, 185, 160, 33);

    setTabOrder(txtPassword1, txtPassword2);
    setTabOrder(txtPassword2, btnOK);
    setTabOrder(btnOK, btnExit);
    txtPassword1->setFocus();
}

QString ChangePasswordWindow::MD5(const QString& text)
{
    return ::MD5(text);
}

void ChangePasswordWindow::loadData()
{
    if (!tblUser->active())
        tblUser->open();
}

void ChangePasswordWindow::refuse(const QString& text, const QString& title, QLineEdit* box)
{
    showMessageBox(this, text, title, Win::MB_ICONHAND);
    box->setFocus();
    throw Abort();
}

void ChangePasswordWindow::btnOKClick()
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
        showMessageBox(this, QStringLiteral("新密碼 與 確認密碼 必須相符"), QStringLiteral("密碼與確認密碼不同"),
                       Win::MB_ICONHAND);
        txtPassword1->clear();
        txtPassword2->clear();
        txtPassword1->setFocus();
        return;
    }
    // A character outside printable ASCII would be digested as "?": refused before anything is stored.
    // (The two entries are the same by now.)
    if (!isPrintableAscii(password))
        refuse(Msg::passwordCharacters(), Msg::passwordCharactersTitle(), txtPassword1);
    // The row the login matched, by its key: account names need not be unique, so the name could
    // lead to another person's row.
    if (m_session.key <= 0 || !tblUser->locate(QStringLiteral("upkey"), m_session.key))
        return;
    tblUser->edit();
    tblUser->field(QStringLiteral("pwd"))->setAsString(MD5(password));
    try {
        tblUser->post().requireReadBack();
    } catch (...) {
        // A refused save leaves the row as it was read, so that the next click starts afresh.
        tblUser->cancel();
        throw;
    }
}

void ChangePasswordWindow::tblUserAfterPost()
{
    showMessageBox(this, QStringLiteral("密碼變更成功，請重新登入"), QStringLiteral("密碼變更成功"),
                   Win::MB_ICONASTERISK);
    endProgram();
}

void ChangePasswordWindow::btnResetClick()
{
    txtPassword1->clear();
    txtPassword2->clear();
}

void ChangePasswordWindow::chkShowPasswordClick()
{
    const QLineEdit::EchoMode mode = chkShowPassword->isChecked() ? QLineEdit::Normal : QLineEdit::Password;
    txtPassword1->setEchoMode(mode);
    txtPassword2->setEchoMode(mode);
}

void ChangePasswordWindow::btnExitClick()
{
    // Inside the main window the frame around this form is what closes (and so is minimised).
    childFrame(this)->close();
}

bool ChangePasswordWindow::previewKey(QKeyEvent* event)
{
    return applyEnterRule(this, event);
}

void ChangePasswordWindow::closeEvent(QCloseEvent* event)
{
    // A child window without a closing handler of its own is minimised, not destroyed: it keeps its
    // edits until it is brought back.
    childFrame(this)->showMinimized();
    event->ignore();
}
