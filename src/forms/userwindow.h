#pragma once
// The users window: the staff accounts that log in to the program. The reserved administrator
// account "admin" is never listed and no account may take its name. The password box belongs to
// no column: what is typed there is stored as its digest when the account is saved.

#include "forms/recordwindow.h"

class Connection;
class DBCheckBox;
class DBEdit;
class DBGrid;
class MaskEdit;
class QLabel;

class UserWindow : public RecordWindow
{
    Q_OBJECT

public:
    explicit UserWindow(Connection* conn, QWidget* parent = nullptr);

    /// The staff password digest.
    static QString MD5(const QString& text);

    SnapshotTable* tblUser;
    DataSource* dsUser;
    DBGrid* grdUser;
    QLabel* lblUpkey;
    DBEdit* txtUpkey;
    QLabel* lblUID;
    DBEdit* txtUID;
    QLabel* lblUname;
    DBEdit* txtUname;
    QLabel* lblPwd;
    MaskEdit* txtPwd;
    QLabel* lblPwdHint;
    DBEdit* txtPwdHint;
    DBCheckBox* chkIsadmin;

protected:
    void dsStateChange() override;
    void tblBeforePost() override;

private:
    void tblUserNewRecord();
    /// True when another account (the hidden administrator included) already has the name typed.
    bool uidTakenElsewhere() const;
    /// Shows a failed check's message, puts the focus in box and stops the save.
    [[noreturn]] void refuse(const QString& text, const QString& title, int flags, QWidget* box);
};
