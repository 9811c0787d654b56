#include "app/lang/languagecontroller.h"
#include "app/lang/langtables.h"
#include "app/rynconst.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "forms/formcourse.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"

#include <QPushButton>

using namespace FormDriver;

// The courses window without a transfer: classes and their courses, the enabling rule, new rows,
// and deleting a course together with its video on the FTP server.
class TestCourse : public QObject, WindowFixture<TfrmCourse>
{
    Q_OBJECT

    QByteArray m_ftpPort;

    QStringList courses() { return column(m_form->grdCourse, 0); }

    QString frameRule(bool editing, bool hasRows = true)
    {
        return frameRuleBroken(
            m_form, editing,
            {m_form->txtCourseName, m_form->txtVideoName, m_form->txtPoint, m_form->chkOpen, m_form->btnUpload},
            {m_form->grdClassroom, m_form->grdCourse}, hasRows);
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
        QCOMPARE(courses(), QStringList({"第一課 儲存格", "第二課 公式"}));
        QCOMPARE(m_form->txtBpkey->text() + m_form->txtClassName->text(), QStringLiteral("1Excel 入門"));
        QCOMPARE(frameRule(false), QString());
        QVERIFY(m_form->tblClassroom->locate("classname", QStringLiteral("網頁設計")));
        QCOMPARE(courses(), QStringList({"第一課 HTML"}));
        QCOMPARE(m_form->txtVideoName->text(), QStringLiteral("web01.mp4"));
        // Every component the translation table names exists under that name.
        QCOMPARE(m_form->LangCtrl->langData().propertyCount(), LangTables::frmCourse().propertyCount());
    }

    void deleteAllButtonForTheAdminAccountOnly_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::newRow("admin") << "admin";
        QTest::newRow("other letter case") << "Admin";
        QTest::newRow("staff") << "staff";
    }
    void deleteAllButtonForTheAdminAccountOnly()
    {
        QFETCH(QString, uid);
        UID = uid;
        open();
        QCOMPARE(m_form->btnDelAll->isVisible(), uid == "admin");
        if (uid == "admin") {
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
        QCOMPARE(frameRule(false, false), QString());
    }

    void newCourseOfTheSelectedClass()
    {
        open();
        QVERIFY(m_form->tblClassroom->locate("classname", QStringLiteral("Photoshop 影像處理")));
        click(m_form->btnAdd);
        QCOMPARE(frameRule(true), QString());
        QCOMPARE(m_form->txtPoint->text(), QStringLiteral("0"));
        // Enter walks the boxes in order and ends on the save button.
        for (QWidget* next : QList<QWidget*>{m_form->txtCourseName, m_form->txtVideoName, m_form->txtPoint,
                                             m_form->chkOpen, m_form->btnPost}) {
            QCOMPARE(focused(), next);
            if (next == m_form->txtCourseName)
                typeInto(next, QStringLiteral("第二課 遮色片"));
            if (next == m_form->txtVideoName)
                typeText(next, "ps02.mp4");
            pressEnter();
        }
        QCOMPARE(frameRule(false), QString());
        QCOMPARE(SandboxDb::scalar("SELECT CONCAT_WS('/', crpkey, videoname, point, status, IFNULL(isopen, 'null')) "
                                   "FROM course WHERE coursename='第二課 遮色片'")
                     .toString(),
                 QStringLiteral("2/ps02.mp4/0/new/null"));
        // Read again from the server after the save: the default status shows, the row stays current.
        QCOMPARE(courses(), QStringList({"第一課 圖層", "第二課 遮色片"}));
        QCOMPARE(m_form->txtCourseName->text() + m_form->txtStatus->text(), QStringLiteral("第二課 遮色片new"));
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

    void deleteRemovesTheVideoFirst_data()
    {
        QTest::addColumn<QString>("refusal"); ///< part of the error; empty when the delete goes through
        QTest::newRow("video on the server") << QString();
        QTest::newRow("no such file on the server") << "excel02.mp4";
        QTest::newRow("server down") << "FTP";
    }
    void deleteRemovesTheVideoFirst()
    {
        QFETCH(QString, refusal);
        const QString video = SandboxDb::videoFolder() + "excel02.mp4";
        QFile::remove(video);
        if (refusal.isEmpty())
            TestFiles::write(video, "video");
        if (refusal == "FTP")
            qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::closedPort()));
        open();
        QVERIFY(m_form->tblCourse->locate("cpkey", 2));
        DialogSeam::queueAnswer(Win::IDOK);
        if (!refusal.isEmpty())
            DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QCOMPARE(DialogSeam::prompts().first().flags, TestSupport::kConfirmFlags);
        QCOMPARE(DialogSeam::prompts().size(), refusal.isEmpty() ? 1 : 2);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course WHERE cpkey=2").toInt(), refusal.isEmpty() ? 0 : 1);
        if (refusal.isEmpty()) {
            QVERIFY(!QFile::exists(video));
            QCOMPARE(courses(), QStringList({"第一課 儲存格"}));
        } else {
            QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
            QVERIFY2(DialogSeam::last().text.contains(refusal), qPrintable(DialogSeam::last().text));
            QCOMPARE(courses().size(), 2);
            QVERIFY(m_form->btnDelete->isEnabled());
        }
    }
};

RYN_TEST_MAIN(TestCourse)
#include "tst_course.moc"
