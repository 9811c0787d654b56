#pragma once
// The login dialog: the program's first window. It asks for an account and a password, checks
// them against users on its own connection, and fills the logged-in user.

#include "session/session.h"

#include <QDialog>
#include <optional>

class Connection;
class DataSource;
class KeyPreview;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SnapshotTable;
class LanguageController;

class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    /// Modal results the dialog ends with.
    enum ModalResult { mrOk = 1, mrCancel = 2, mrAbort = 3, mrClose = 11 };

    explicit LoginDialog(QWidget* parent = nullptr);
    ~LoginDialog() override;

    /// Creates the dialog, shows it modally, frees it; the logged-in user exactly when a login
    /// succeeded.
    static std::optional<Session> Execute();
    /// The staff password digest.
    static QString MD5(const QString& text);

    /// Reads the language setting and applies it to the windows (this dialog sets no menu marks).
    void readUiLanguage();

    /// The number of failed attempts in this dialog.
    int errcnt = 0;
    /// The logged-in user once a login succeeded; empty before.
    Session session;

    QLabel* lblUno;
    QLineEdit* txtLogin;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QCheckBox* chkShowPassword;
    QPushButton* btnLogin;
    QPushButton* btnExit;
    QPlainTextEdit* noteMemo;
    Connection* connRyn;
    SnapshotTable* qryLogin;
    DataSource* dsLogin;
    SnapshotTable* tblCorp;
    LanguageController* languageController = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildLayout();
    void loadLanguageAndConnect();
    void btnLoginClick();
    void btnExitClick();
    void chkShowPasswordClick();
    bool previewKey(QKeyEvent* event);
};
