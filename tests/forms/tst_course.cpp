#include "ui/languagecontroller.h"
#include "lang/langtables.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "forms/coursewindow.h"
#include "forms/ftpupload.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"

#include <QPushButton>

using namespace FormDriver;

// The courses window without a transfer: classes and their courses, the enabling rule, new rows,
// and deleting a course together with its video on the FTP server.
class TestCourse : public QObject, WindowFixture<CourseWindow>
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
        m_session.account = QStringLiteral("staff");
    }

    void cleanup()
    {
        qputenv("RYN_FTP_PORT", m_ftpPort);
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
        QCOMPARE(m_form->languageController->langData().propertyCount(), LangTables::frmCourse().propertyCount());
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
        m_session.account = uid;
        open();
        QCOMPARE(m_form->btnDelAll->isVisible(), uid == "admin");
        if (uid != "admin")
            return;
        // Row by row on the terms of a single delete; what could not go is listed.
        TestFiles::write(SandboxDb::videoFolder() + "excel01.mp4", "video");
        SandboxDb::exec("UPDATE course SET videoname='a/b.mp4' WHERE cpkey=2");
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelAll);
        // The deletions run on the window's job; the window keeps its rows meanwhile.
        QVERIFY(m_form->ftpUpload->running() && !m_form->grdCourse->isEnabled() && !m_form->btnDelete->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->ftpUpload->running(), 30000);
        QCOMPARE(DialogSeam::prompts().first().text,
                 QStringLiteral("確定刪除班級「Excel 入門」的全部 2 筆課程及其影片檔？"));
        QVERIFY2(DialogSeam::last().text.startsWith(
                     QStringLiteral("下列 1 筆課程沒有刪除：\n「第二課 公式」：伺服器上的影片檔「a/b.mp4」無法刪除")),
                 qPrintable(DialogSeam::last().text));
        QCOMPARE(SandboxDb::scalar("SELECT GROUP_CONCAT(cpkey) FROM course WHERE crpkey=1").toString(), "2");
        QVERIFY(!QFile::exists(SandboxDb::videoFolder() + "excel01.mp4"));
        QCOMPARE(courses(), QStringList{"第二課 公式"});
        QVERIFY(m_form->btnDelAll->isEnabled());
    }

    void classWithoutCoursesDisablesEditAndDelete()
    {
        SandboxDb::exec("INSERT INTO classroom (crpkey, classname, teacher, classpoint, videopoint) "
                        "VALUES (4, 'AAA 空班', 't', 1, 1)");
        open();
        QCOMPARE(m_form->txtClassName->text(), QStringLiteral("AAA 空班"));
        QCOMPARE(courses(), QStringList());
        QVERIFY(!m_form->btnEdit->isEnabled() && !m_form->btnDelete->isEnabled() && m_form->btnAdd->isEnabled());
        QVERIFY(m_form->tblClassroom->locate("crpkey", 1));
        QVERIFY(m_form->btnEdit->isEnabled() && m_form->btnDelete->isEnabled());
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

    void typedVideoNamesRefusedAtSave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); ///< empty: the rule on characters
        QTest::newRow("the logo") << "logo.png"
                                  << QStringLiteral("影片檔名不可為「logo.png」：這是公司浮水印圖檔的檔名。");
        QTest::newRow("course of another class, other letter case")
            << "WEB01.mp4"
            << QStringLiteral("影片檔名「WEB01.mp4」已經是班級「網頁設計」的課程「第一課 HTML」的影片，請換一個檔名。");
        QTest::newRow("slash") << "../x.mp4" << QString();
        QTest::newRow("backslash") << "a\\b.mp4" << QString();
        QTest::newRow("leading dot") << ".x.mp4" << QString();
    }
    void typedVideoNamesRefusedAtSave()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        open();
        click(m_form->btnEdit);
        typeInto(m_form->txtVideoName, name);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::last().text,
                 message.isEmpty() ? "影片檔名「" + name + "」不可含有「/」、「\\」或控制字元，也不可以「.」開頭。"
                                   : message);
        QCOMPARE(focused(), m_form->txtVideoName);
        QVERIFY(m_form->tblCourse->editing());
        QCOMPARE(SandboxDb::scalar("SELECT videoname FROM course WHERE cpkey=1").toString(), "excel01.mp4");
    }

    // The delete runs on a connection of the transfer's own: the history names the program's
    // account there as it does on the window's connection.
    void deleteRecordedUnderTheProgramAccount()
    {
        SandboxDb::loadHistory();
        m_conn->setAccount(QStringLiteral("staff"));
        TestFiles::write(SandboxDb::videoFolder() + "excel02.mp4", "video");
        open();
        QVERIFY(m_form->tblCourse->locate("cpkey", 2));
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->ftpUpload->running(), 30000);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course WHERE cpkey=2").toInt(), 0);
        QCOMPARE(SandboxDb::scalar("SELECT GROUP_CONCAT(DISTINCT IFNULL(account, '-')) FROM history "
                                   "WHERE tablename='course' AND rowkey='2' AND action='deleted'")
                     .toString(),
                 QStringLiteral("staff"));
    }

    void deleteTakesTheFileTheRowNamesNow_data()
    {
        QTest::addColumn<QString>("meanwhile"); ///< run once the window shows the course
        QTest::addColumn<QString>("gone");      ///< the server file deleted with the row
        QTest::addColumn<QString>("refusal");   ///< part of the error; empty when the delete goes through
        const QString none;
        QTest::newRow("video on the server") << none << "excel02.mp4" << none;
        QTest::newRow("no such file on the server")
            << "UPDATE course SET videoname='none.mp4' WHERE cpkey=2" << none << none;
        QTest::newRow("length set by the conversion") << "UPDATE course SET videolen=99 WHERE cpkey=2"
                                                      << "excel02.mp4" << none;
        QTest::newRow("video renamed elsewhere") << "UPDATE course SET videoname='excel09.mp4' WHERE cpkey=2"
                                                 << "excel09.mp4" << none;
        QTest::newRow("named after the logo") << "UPDATE course SET videoname='logo.png' WHERE cpkey=2" << none << none;
        QTest::newRow("file of another course")
            << "UPDATE course SET videoname='EXCEL02.mp4' WHERE cpkey=1" << none << none;
        QTest::newRow("row deleted elsewhere") << "DELETE FROM course WHERE cpkey=2" << none << none;
        QTest::newRow("server down") << "FTP" << none << "影片檔「excel02.mp4」無法刪除，課程沒有刪除。";
    }
    void deleteTakesTheFileTheRowNamesNow()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, gone);
        QFETCH(QString, refusal);
        const QStringList files{"excel02.mp4", "excel09.mp4", "logo.png"};
        for (const QString& file : files)
            TestFiles::write(SandboxDb::videoFolder() + file, file.toUtf8());
        open();
        QVERIFY(m_form->tblCourse->locate("cpkey", 2));
        if (meanwhile == "FTP")
            qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::closedPort()));
        else if (!meanwhile.isEmpty())
            SandboxDb::exec(meanwhile);
        DialogSeam::queueAnswer(Win::IDOK);
        if (!refusal.isEmpty())
            DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->ftpUpload->running(), 30000);
        QCOMPARE(DialogSeam::prompts().first().flags, TestSupport::kConfirmFlags);
        QCOMPARE(DialogSeam::prompts().size(), refusal.isEmpty() ? 1 : 2);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course WHERE cpkey=2").toInt(), refusal.isEmpty() ? 0 : 1);
        for (const QString& file : files)
            QVERIFY2(QFile::exists(SandboxDb::videoFolder() + file) == (file != gone), qPrintable(file));
        if (refusal.isEmpty()) {
            QCOMPARE(courses(), QStringList({"第一課 儲存格"}));
        } else {
            QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
            QVERIFY2(DialogSeam::last().text.contains(refusal), qPrintable(DialogSeam::last().text));
            // A server that cannot be reached is told first in the words the window has always used.
            if (meanwhile == "FTP")
                QVERIFY(DialogSeam::last().text.startsWith(QStringLiteral("無法連線主機\n")));
            QCOMPARE(courses().size(), 2);
            QVERIFY(m_form->btnDelete->isEnabled());
        }
    }
};

RYN_TEST_MAIN(TestCourse)
#include "tst_course.moc"
