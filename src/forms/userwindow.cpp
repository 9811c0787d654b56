#include "userwindow.h"
#include "platform/messages.h"

#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/maskedit.h"
#include "data/connection.h"
#include "data/datasource.h"
#include "data/digest.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/windowtables.h"
#include "platform/errors.h"
#include "ui/messagebox.h"

#include <QLabel>
#include <QPushButton>

namespace {
const QString kRequired = QStringLiteral("必填欄位");
}

UserWindow::UserWindow(Connection* conn, QWidget* parent)
    : RecordWindow(QStringLiteral("frmUser"), QStringLiteral("使用者管理"), parent)
{
    tblUser = userTable(this, conn);
    // The reserved administrator's row is neither listed nor reachable.
    tblUser->setFilter(QStringLiteral("uid<>'admin'"));
    tblUser->setFiltered(true);
    connect(tblUser, &SnapshotTable::newRecord, this, [this] { tblUserNewRecord(); });
    dsUser = namedSource(this, "dsUser", tblUser);

    grdUser = namedGrid(body(), "grdUser", dsUser, 360,
                        {{QStringLiteral("uid"), QStringLiteral("帳號"), 160, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("uname"), QStringLiteral("姓名"), 180, Qt::AlignLeft | Qt::AlignVCenter}});
    QWidget* fields = dockGridLeft(grdUser);

    txtUID =
        addEditLine(fields, &lblUID, "lblUID", QStringLiteral("帳號"), "txtUID", dsUser, "uid", ImeMode::Closed, 195);
    txtUname = addEditLine(fields, &lblUname, "lblUname", QStringLiteral("姓名"), "txtUname", dsUser, "uname",
                           ImeMode::Open, 120);
    lblPwd = namedLabel("lblPwd", QStringLiteral("密碼"));
    txtPwd = new MaskEdit;
    txtPwd->setObjectName(QStringLiteral("txtPwd"));
    txtPwd->setEditMask(QStringLiteral("aaaaaaaaaaaaaaaaaaaa;1;_"));
    setImeMode(txtPwd, ImeMode::Closed);
    addFieldLine(fields, lblPwd, txtPwd, 195);
    txtPwdHint = addEditLine(fields, &lblPwdHint, "lblPwdHint", QStringLiteral("密碼提示"), "txtPwdHint", dsUser,
                             "pwdhint", ImeMode::Open, 120);
    // The row key and the administrator flag are not shown: the boxes only carry their names.
    txtUpkey = addEditLine(fields, &lblUpkey, "lblUpkey", QStringLiteral("使用者代號"), "txtUpkey", dsUser, "upkey",
                           ImeMode::Closed, 60);
    lblUpkey->hide();
    txtUpkey->hide();
    txtUpkey->setEnabled(false);
    txtUpkey->setFocusPolicy(Qt::NoFocus);
    chkIsadmin = new DBCheckBox(fields);
    chkIsadmin->setObjectName(QStringLiteral("chkIsadmin"));
    chkIsadmin->setText(QStringLiteral("管理員"));
    chkIsadmin->setDataSource(dsUser);
    chkIsadmin->setDataField(QStringLiteral("isadmin"));
    chkIsadmin->setEnabled(false);
    chkIsadmin->setFocusPolicy(Qt::NoFocus);
    chkIsadmin->hide();

    setTabOrder(btnExit, txtUID);
    setTabOrder(txtUID, txtUname);
    setTabOrder(txtUname, txtPwd);
    setTabOrder(txtPwd, txtPwdHint);

    setMainTable(tblUser, dsUser);
    setInputs({txtUID, txtUname, txtPwd, txtPwdHint});
    setGrids({grdUser});
    setFirstField(txtUID);
    setDefaultSort(QStringLiteral("uname ASC"));
    setSortingGrid(grdUser, tblUser);
    setFieldHint(txtPwd, QStringLiteral("請輸入以 英文 與 數字 組成的密碼"));
    // A password typed for one account must never be saved with another: the box is emptied
    // whenever another account becomes current (a new one included), and after a save or a cancel.
    connect(tblUser, &SnapshotTable::currentChanged, txtPwd, &QLineEdit::clear);
    finishCreate();
}

QString UserWindow::MD5(const QString& text)
{
    return ::MD5(text);
}

void UserWindow::tblUserNewRecord()
{
    tblUser->field(QStringLiteral("isadmin"))->setValue(0);
}

void UserWindow::dsStateChange()
{
    RecordWindow::dsStateChange();
    if (!tblUser->editing())
        txtPwd->clear();
}

void UserWindow::refuse(const QString& text, const QString& title, int flags, QWidget* box)
{
    showMessageBox(this, text, title, flags);
    box->setFocus();
    throw Abort();
}

bool UserWindow::uidTakenElsewhere() const
{
    // Asked of the server at save time, so that accounts made elsewhere count and the name is
    // compared as the column's collation compares it (letter case and trailing spaces ignored).
    QString statement = QStringLiteral("SELECT COUNT(*) FROM users WHERE uid = ?");
    QVariantList values{tblUser->field(QStringLiteral("uid"))->asString()};
    const QVariant key = tblUser->field(QStringLiteral("upkey"))->value();
    if (!key.isNull()) {
        statement += QStringLiteral(" AND upkey <> ?");
        values << key;
    }
    const QVariant taken = tblUser->connection()->scalar(statement, values);
    return taken.toLongLong() > 0;
}

void UserWindow::tblBeforePost()
{
    auto trimmed = [this](const char* field) {
        return trimControls(tblUser->field(QString::fromLatin1(field))->asString());
    };
    const bool inserting = tblUser->state() == DataSetState::Insert;
    const QString password = trimControls(txtPwd->text());
    if (trimmed("uid").isEmpty())
        refuse(QStringLiteral("請輸入帳號"), kRequired, Win::MB_ICONEXCLAMATION, txtUID);
    if (trimmed("uname").isEmpty())
        refuse(QStringLiteral("請輸入姓名"), kRequired, Win::MB_ICONEXCLAMATION, txtUname);
    if (inserting && password.isEmpty())
        refuse(QStringLiteral("請輸入密碼"), kRequired, Win::MB_ICONEXCLAMATION, txtPwd);
    if (trimmed("pwdhint").isEmpty())
        refuse(QStringLiteral("請輸入密碼提示"), kRequired, Win::MB_ICONEXCLAMATION, txtPwdHint);
    if (trimmed("uid").toLower() == QLatin1String("admin"))
        refuse(QStringLiteral("admin 為系統管理者，請改為其他帳號名"), QStringLiteral("帳號名不可與系統管理者相同"),
               Win::MB_ICONHAND, txtUID);
    // The box takes letters and digits only as typed; whatever reached it otherwise must still not
    // be digested into question marks.
    if (!isPrintableAscii(password))
        refuse(Msg::passwordCharacters(), Msg::passwordCharactersTitle(), Win::MB_ICONHAND, txtPwd);
    if (uidTakenElsewhere())
        refuse(QStringLiteral("帳號「%1」已經有其他使用者使用，帳號不可重複（英文大小寫不同或尾端多了空白也視為相同），"
                              "請改為其他帳號名")
                   .arg(trimmed("uid")),
               QStringLiteral("帳號重複"), Win::MB_ICONHAND, txtUID);
    // Set once every check has passed, so that a refused save leaves no digest behind for a later
    // save of the same account with an empty box (which keeps the stored password).
    if (!password.isEmpty())
        tblUser->field(QStringLiteral("pwd"))->setAsString(MD5(password));
}
