#pragma once
// The login dialog: the program's first window. It asks for an account and a password, checks
// them against users on its own connection, and fills the logged-in user.

#include <QDialog>

class Connection;
class DataSource;
class KeyPreview;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SnapshotTable;
class TLanguageController;

class TfrmLogin : public QDialog
{
    Q_OBJECT

public:
    /// Modal results the dialog ends with.
    enum ModalResult { mrOk = 1, mrCancel = 2, mrAbort = 3, mrClose = 11 };

    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    /// Creates the dialog, shows it modally, frees it; true exactly when a login succeeded.
    static bool Execute();
    /// The staff password digest.
    static QString MD5(const QString& text);

    /// Reads the language setting and applies it to the windows (this dialog sets no menu marks).
    void GetUILanguage();

    /// The number of failed attempts in this dialog.
    int errcnt = 0;

    QLabel* lblUno;
    QLineEdit* txtLogin;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QCheckBox* chkShowPassword;
    QPushButton* btnLogin;
    QPushButton* btnExit;
    QPlainTextEdit* Memo1;
    Connection* connRyn;
    SnapshotTable* qryLogin;
    DataSource* dsLogin;
    SnapshotTable* tblCorp;
    TLanguageController* LangCtrl = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildLayout();
    void FormCreate();
    void btnLoginClick();
    void btnExitClick();
    void chkShowPasswordClick();
    bool FormKeyPress(QKeyEvent* event);
};
