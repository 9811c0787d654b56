#pragma once
// The change-password window: the logged-in user types a new password twice; its digest is stored
// in the user's own row of users and the program ends, so that the user logs in again with it.
// Closing the window only minimises it; choosing its menu item again brings it back as it was.

#include "session/session.h"

#include <QWidget>

class Connection;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class SnapshotTable;
class LanguageController;

class ChangePasswordWindow : public QWidget
{
    Q_OBJECT

public:
    /// The window of session's user on conn.
    ChangePasswordWindow(Connection* conn, const Session& session, QWidget* parent = nullptr);

    /// The staff password digest.
    static QString MD5(const QString& text);

    SnapshotTable* tblUser;
    QLabel* lblPassword1;
    QLineEdit* txtPassword1;
    QLabel* lblPassword2;
    QLineEdit* txtPassword2;
    QCheckBox* chkShowPassword;
    QPushButton* btnOK;
    QPushButton* btnReset;
    QPushButton* btnExit;
    LanguageController* languageController = nullptr;

    void btnOKClick();
    void btnResetClick();
    void chkShowPasswordClick();
    void btnExitClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void loadData();
    void tblUserAfterPost();
    bool previewKey(QKeyEvent* event);
    /// Shows a failed check's message and puts the focus in box; the click ends there.
    [[noreturn]] void refuse(const QString& text, const QString& title, QLineEdit* box);
    const Session m_session;
};
