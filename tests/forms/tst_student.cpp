#include "data/connection.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "forms/studentwindow.h"
#include "formdriver.h"
#include "platform/dialogseam.h"
#include "ui/messagebox.h"
#include "sandboxdb.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

using namespace FormDriver;

class TestStudent : public QObject, WindowFixture<StudentWindow>
{
    Q_OBJECT

    static QString stored(const QString& spkey, const char* column)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT %1 FROM stud WHERE spkey='%2'").arg(column, spkey)).toString();
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init() { startCase(); }
    void cleanup() { endCase(); }

    void opensSortedByNameWithEmptyHint()
    {
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("學生管理"));
        QCOMPARE(m_form->lblHint->text(), QString());
        QCOMPARE(column(m_form->grdStudent, 1), QStringList({"張志明", "林美玲", "陳大文", "黃小華"}));
        QCOMPARE(m_form->tblStudent->recNo(), 0);
        QCOMPARE(m_form->txtStudName->text(), QStringLiteral("張志明"));
        QCOMPARE(m_form->grdStudent->model()->columnCount(), 2);
        QVERIFY(!(m_form->txtSpkey->focusPolicy() & Qt::TabFocus));
        QCOMPARE(m_form->txtSpkey->toolTip(), QStringLiteral("請注意：學號一旦儲存，就不能變更"));
        QCOMPARE(m_form->txtSpkey->maxLength(), 20);
        QCOMPARE(m_form->txtStudName->maxLength(), 10);
        QCOMPARE(m_form->txtStudpwd->maxLength(), 40);
        QCOMPARE(m_form->txtStudpwd->echoMode(), QLineEdit::Normal);
    }

    void addingWalksThroughWithEnter()
    {
        open();
        click(m_form->btnAdd);
        QCOMPARE(focused(), m_form->txtSpkey);
        QCOMPARE(m_form->lblHint->text(), QStringLiteral("請注意：學號一旦儲存，就不能變更"));
        QCOMPARE(m_form->statusBar->currentMessage(), QStringLiteral("請注意：學號一旦儲存，就不能變更"));
        typeText(m_form->txtSpkey, "C123");
        pressEnter();
        QCOMPARE(focused(), m_form->txtStudName);
        QCOMPARE(m_form->lblHint->text(), QString());
        QCOMPARE(m_form->statusBar->currentMessage(), QString());
        QCOMPARE(m_form->txtStudpwd->text(), QStringLiteral("C123"));
        typeText(m_form->txtStudName, QStringLiteral("李四"));
        pressEnter();
        QCOMPARE(focused(), m_form->txtStudpwd);
        QCOMPARE(m_form->statusBar->currentMessage(), QStringLiteral("請輸入以 英文 與 數字 組成的密碼"));
        pressEnter();
        QCOMPARE(focused(), m_form->btnPost);
        pressEnter();
        QCOMPARE(m_form->tblStudent->state(), DataSetState::Browse);
        QCOMPARE(stored("C123", "studname"), QStringLiteral("李四"));
        QCOMPARE(stored("C123", "studpwd"), QStringLiteral("C123"));
    }

    void passwordTypedFirstIsKept()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtStudpwd, "secret");
        typeInto(m_form->txtSpkey, "C200");
        typeInto(m_form->txtStudName, "n");
        QCOMPARE(m_form->txtStudpwd->text(), QStringLiteral("secret"));
        click(m_form->btnPost);
        QCOMPARE(stored("C200", "studpwd"), QStringLiteral("secret"));
    }

    void changingTheNumberKeepsTheFirstDefault()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtSpkey, "C300");
        typeInto(m_form->txtStudName, "n");
        typeInto(m_form->txtSpkey, "C301");
        typeInto(m_form->txtStudName, "m");
        QCOMPARE(m_form->txtStudpwd->text(), QStringLiteral("C300"));
        click(m_form->btnPost);
        QCOMPARE(stored("C301", "studpwd"), QStringLiteral("C300"));
    }

    void requiredFields_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("clearPassword");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("all empty") << ""
                                   << "" << false << "請輸入學號"
                                   << "txtSpkey";
        QTest::newRow("number of spaces") << "   "
                                          << "n" << false << "請輸入學號"
                                          << "txtSpkey";
        QTest::newRow("no name") << "C9"
                                 << "" << false << "請輸入學生姓名"
                                 << "txtStudName";
        QTest::newRow("password cleared") << "C9"
                                          << "n" << true << "請輸入密碼"
                                          << "txtStudpwd";
    }
    void requiredFields()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(bool, clearPassword);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtSpkey, number);
        typeInto(m_form->txtStudName, name);
        if (clearPassword)
            typeInto(m_form->txtStudpwd, "");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().text, message);
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("必填欄位"));
        QCOMPARE(focused()->objectName(), focus);
        QCOMPARE(m_form->tblStudent->state(), DataSetState::Insert);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM stud").toInt(), 4);
    }

    void editingKeepsTheNumber()
    {
        open();
        m_form->tblStudent->locate("spkey", "A002");
        click(m_form->btnEdit);
        QVERIFY(!m_form->txtSpkey->isEnabled());
        QVERIFY(m_form->txtStudName->isEnabled());
        typeInto(m_form->txtStudName, QStringLiteral(" 林美 "));
        typeInto(m_form->txtStudpwd, QStringLiteral(" p w "));
        click(m_form->btnPost);
        QCOMPARE(stored("A002", "studname"), QStringLiteral(" 林美 "));
        QCOMPARE(stored("A002", "studpwd"), QStringLiteral(" p w "));
        QVERIFY(!m_form->txtSpkey->isEnabled());
    }

    void takenNumberIsRefusedByTheServer()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtSpkey, "A001");
        typeInto(m_form->txtStudName, "dup");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(m_form->tblStudent->state(), DataSetState::Insert);
        QCOMPARE(m_form->txtSpkey->text(), QStringLiteral("A001"));
        QCOMPARE(stored("A001", "studname"), QStringLiteral("陳大文"));
        // The number can be corrected and saved.
        typeInto(m_form->txtSpkey, "A009");
        click(m_form->btnPost);
        QCOMPARE(stored("A009", "studname"), QStringLiteral("dup"));
    }

    void twoWorkstationsEditingOneStudent()
    {
        open();
        std::unique_ptr<Connection> other(SandboxDb::programConnection(nullptr));
        std::unique_ptr<StudentWindow> second(new StudentWindow(other.get()));
        second->show();
        m_form->tblStudent->locate("spkey", "A003");
        second->tblStudent->locate("spkey", "A003");
        click(m_form->btnEdit);
        click(second->btnEdit);
        typeInto(m_form->txtStudName, QStringLiteral("張一"));
        click(m_form->btnPost);
        typeInto(second->txtStudName, QStringLiteral("張二"));
        DialogSeam::queueAnswer(Win::IDOK);
        click(second->btnPost);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(second->tblStudent->state(), DataSetState::Edit);
        QCOMPARE(stored("A003", "studname"), QStringLiteral("張一"));
        // Deleting a row another workstation changed fails the same way and keeps it.
        click(second->btnCancel);
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueAnswer(Win::IDOK);
        click(second->btnDelete);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(stored("A003", "studname"), QStringLiteral("張一"));
    }

    void titleClicks()
    {
        open();
        emit m_form->grdStudent->titleClick("studname");
        QCOMPARE(column(m_form->grdStudent, 1), QStringList({"黃小華", "陳大文", "林美玲", "張志明"}));
        emit m_form->grdStudent->titleClick("spkey");
        QCOMPARE(column(m_form->grdStudent, 0), QStringList({"A001", "A002", "A003", "B001"}));
    }
};

RYN_TEST_MAIN(TestStudent)
#include "tst_student.moc"
