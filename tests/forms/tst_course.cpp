#include "app/lang/languagecontroller.h"
#include "app/lang/langtables.h"
#include "app/rynconst.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/connection.h"
#include "data/snapshottable.h"
#include "forms/formcourse.h"
#include "formdriver.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"

#include <QPushButton>
#include <QTcpServer>

using namespace FormDriver;

// The courses window without a transfer: classes and their courses, the enabling rule, new rows,
// and deleting a course together with its video on the FTP server.
class TestCourse : public QObject, WindowFixture<TfrmCourse>
{
    Q_OBJECT

    QByteArray m_ftpPort;

    void selectClass(const QString& name) { QVERIFY(m_form->tblClassroom->locate("classname", name)); }
    QStringList courses() { return column(m_form->grdCourse, 0); }

    void expectEditing(bool editing)
    {
        for (QWidget* w : QList<QWidget*>{m_form->btnPost, m_form->btnCancel, m_form->txtCourseName,
                                          m_form->txtVideoName, m_form->txtPoint, m_form->chkOpen, m_form->btnUpload})
            QVERIFY2(w->isEnabled() == editing, qPrintable(w->objectName()));
        for (QWidget* w : QList<QWidget*>{m_form->btnAdd, m_form->btnExit, m_form->grdClassroom, m_form->grdCourse})
            QVERIFY2(w->isEnabled() != editing, qPrintable(w->objectName()));
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_ftpPort = qgetenv("RYN_FTP_PORT");
    }

    void init()
    {
        startCase();
        UID = QStringLiteral("staff");
    }

    void cleanup()
    {
        qputenv("RYN_FTP_PORT", m_ftpPort);
        resetLoggedInUser();
        endCase();
    }

    void classesAsMasterOfTheirCourses()
    {
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("課程管理"));
        QCOMPARE(column(m_form->grdClassroom, 0), QStringList({"Excel 入門", "Photoshop 影像處理", "網頁設計"}));
        QCOMPARE(m_form->tblClassroom->sort(), QStringLiteral("classname ASC"));
        QCOMPARE(courses(), QStringList({"第一課 儲存格", "第二課 公式"}));
        QCOMPARE(m_form->txtBpkey->text(), QStringLiteral("1"));
        QCOMPARE(m_form->txtClassName->text(), QStringLiteral("Excel 入門"));
        QVERIFY(m_form->txtStatus->isReadOnly() && m_form->txtVideoLen->isReadOnly());
        QVERIFY(m_form->grdClassroom->wholeRowSelection());
        QVERIFY(!m_form->grdCourse->wholeRowSelection());
        expectEditing(false);
        selectClass(QStringLiteral("網頁設計"));
        QCOMPARE(courses(), QStringList({"第一課 HTML"}));
        QCOMPARE(m_form->txtVideoName->text(), QStringLiteral("web01.mp4"));
        // Every component the translation table names exists under that name.
        QCOMPARE(m_form->LangCtrl->langData().propertyCount(), LangTables::frmCourse().propertyCount());
    }

    void deleteAllButtonForTheAdminAccountOnly_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("shown");
        QTest::newRow("admin") << "admin" << true;
        QTest::newRow("other letter case") << "Admin" << false;
        QTest::newRow("staff") << "staff" << false;
    }
    void deleteAllButtonForTheAdminAccountOnly()
    {
        QFETCH(QString, uid);
        QFETCH(bool, shown);
        UID = uid;
        open();
        QCOMPARE(m_form->btnDelAll->isVisible(), shown);
        QCOMPARE(m_form->btnDelAll->text(), QStringLiteral("全部刪除 (&L)"));
        if (shown) {
            click(m_form->btnDelAll);
            QCOMPARE(courses().size(), 2);
            QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course").toInt(), 4);
        }
    }

    void classWithoutCoursesDisablesEditAndDelete()
    {
        SandboxDb::exec("INSERT INTO classroom (crpkey, classname, teacher, classpoint, videopoint) "
                        "VALUES (4, 'AAA 空班', 't', 1, 1)");
        open();
        QCOMPARE(m_form->txtClassName->text(), QStringLiteral("AAA 空班"));
        QCOMPARE(courses(), QStringList());
        QVERIFY(!m_form->btnEdit->isEnabled());
        QVERIFY(!m_form->btnDelete->isEnabled());
        QVERIFY(m_form->btnAdd->isEnabled());
    }

    void newCourseOfTheSelectedClass()
    {
        open();
        selectClass(QStringLiteral("Photoshop 影像處理"));
        click(m_form->btnAdd);
        expectEditing(true);
        QCOMPARE(focused(), m_form->txtCourseName);
        QCOMPARE(m_form->txtPoint->text(), QStringLiteral("0"));
        typeInto(m_form->txtCourseName, QStringLiteral("第二課 遮色片"));
        pressEnter();
        QCOMPARE(focused(), m_form->txtVideoName);
        typeText(m_form->txtVideoName, "ps02.mp4");
        pressEnter();
        QCOMPARE(focused(), m_form->txtPoint);
        pressEnter();
        QCOMPARE(focused(), m_form->chkOpen);
        pressEnter();
        QCOMPARE(focused(), m_form->btnPost);
        pressEnter();
        expectEditing(false);
        QSqlQuery q(SandboxDb::root());
        QVERIFY(q.exec("SELECT crpkey, videoname, point, status, isopen FROM course WHERE coursename='第二課 遮色片'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2);
        QCOMPARE(q.value(1).toString(), QStringLiteral("ps02.mp4"));
        QCOMPARE(q.value(2).toInt(), 0);
        QCOMPARE(q.value(3).toString(), QStringLiteral("new"));
        QVERIFY(q.value(4).isNull());
        // Read again from the server after the save: the default status shows, the row stays current.
        QCOMPARE(courses(), QStringList({"第一課 圖層", "第二課 遮色片"}));
        QCOMPARE(m_form->txtCourseName->text(), QStringLiteral("第二課 遮色片"));
        QCOMPARE(m_form->txtStatus->text(), QStringLiteral("new"));
    }

    void requiredFieldsOfACourse()
    {
        open();
        click(m_form->btnEdit);
        typeInto(m_form->txtPoint, "");
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("請輸入點數"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("必填欄位"));
        QCOMPARE(focused(), m_form->txtPoint);
        QVERIFY(m_form->tblCourse->editing());
        QCOMPARE(SandboxDb::scalar("SELECT point FROM course WHERE cpkey=1").toInt(), 5);
        // The public flag is written as 1 and 0.
        typeInto(m_form->txtPoint, "3");
        click(m_form->chkOpen);
        click(m_form->btnPost);
        QCOMPARE(SandboxDb::scalar("SELECT CONCAT(point, '/', isopen) FROM course WHERE cpkey=1").toString(),
                 QStringLiteral("3/0"));
    }

    void deleteRemovesTheVideoFirst()
    {
        QFile video(SandboxDb::videoFolder() + "excel02.mp4");
        QVERIFY(video.open(QIODevice::WriteOnly));
        video.write("video");
        video.close();
        open();
        QVERIFY(m_form->tblCourse->locate("cpkey", 2));
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("確定刪除此筆記錄？"));
        QCOMPARE(DialogSeam::last().flags, 289);
        QVERIFY(!QFile::exists(video.fileName()));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course WHERE cpkey=2").toInt(), 0);
        QCOMPARE(courses(), QStringList({"第一課 儲存格"}));
    }

    void deleteRefusedKeepsTheCourse_data()
    {
        QTest::addColumn<bool>("serverDown");
        QTest::newRow("no such file on the server") << false;
        QTest::newRow("server down") << true;
    }
    void deleteRefusedKeepsTheCourse()
    {
        QFETCH(bool, serverDown);
        if (serverDown) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            qputenv("RYN_FTP_PORT", QByteArray::number(closed.serverPort()));
        }
        QFile::remove(SandboxDb::videoFolder() + "excel01.mp4");
        open();
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QCOMPARE(DialogSeam::prompts().size(), 2);
        QCOMPARE(DialogSeam::last().flags, 16);
        QVERIFY2(DialogSeam::last().text.contains(serverDown ? "FTP" : "excel01.mp4"),
                 qPrintable(DialogSeam::last().text));
        QCOMPARE(courses().size(), 2);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course WHERE cpkey=1").toInt(), 1);
        QVERIFY(m_form->btnDelete->isEnabled());
    }
};

RYN_TEST_MAIN(TestCourse)
#include "tst_course.moc"
