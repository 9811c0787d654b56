#include "data/connection.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "forms/classroomwindow.h"
#include "formdriver.h"
#include "platform/dialogseam.h"
#include "ui/messagebox.h"
#include "sandboxdb.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QPushButton>
#include <QStatusBar>

using namespace FormDriver;

// The record-window frame, through the classes window: states, checks, sorting, keys, writes.
class TestClassroom : public QObject, WindowFixture<ClassroomWindow>
{
    Q_OBJECT

    QStringList names() { return column(m_form->grdClassroom, 0); }

    QString frameRule(bool editing, bool hasRows = true)
    {
        return frameRuleBroken(m_form, editing,
                               {m_form->txtClassName, m_form->txtTeacher, m_form->txtClassPoint, m_form->txtVideoPoint},
                               {m_form->grdClassroom}, hasRows);
    }

    void addClass(const QString& name, const QString& teacher, const QString& total, const QString& perView)
    {
        click(m_form->btnAdd);
        typeInto(m_form->txtClassName, name);
        typeInto(m_form->txtTeacher, teacher);
        typeInto(m_form->txtClassPoint, total);
        typeInto(m_form->txtVideoPoint, perView);
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init() { startCase(); }
    void cleanup() { endCase(); }

    void opensSortedByNameInBrowse()
    {
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("班級管理"));
        QCOMPARE(names(), QStringList({"Excel 入門", "Photoshop 影像處理", "網頁設計"}));
        QCOMPARE(m_form->tblClassroom->sort(), QStringLiteral("classname ASC"));
        QCOMPARE(frameRule(false), QString());
        QVERIFY(!m_form->txtBpkey->isVisible());
    }

    void emptyTableAndAddCancel()
    {
        SandboxDb::exec("DELETE FROM classroom");
        open();
        QCOMPARE(frameRule(false, false), QString());
        QCOMPARE(names(), QStringList());
        click(m_form->btnAdd);
        QCOMPARE(frameRule(true), QString());
        QCOMPARE(focused(), m_form->txtClassName);
        click(m_form->btnCancel);
        QCOMPARE(frameRule(false, false), QString());
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom").toInt(), 0);
    }

    void addWithEnterAndSave()
    {
        open();
        click(m_form->btnAdd);
        typeText(m_form->txtClassName, QStringLiteral("Word 文書"));
        pressEnter();
        QCOMPARE(focused(), m_form->txtTeacher);
        typeText(m_form->txtTeacher, QStringLiteral("陳老師"));
        pressEnter();
        typeText(m_form->txtClassPoint, "120");
        pressEnter();
        typeText(m_form->txtVideoPoint, "6");
        pressEnter();
        QCOMPARE(focused(), m_form->btnPost);
        pressEnter();
        QCOMPARE(frameRule(false), QString());
        QSqlQuery q(SandboxDb::root());
        QVERIFY(q.exec("SELECT crpkey, teacher, classpoint, videopoint FROM classroom WHERE classname='Word 文書'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(1).toString(), QStringLiteral("陳老師"));
        QCOMPARE(q.value(2).toInt(), 120);
        QCOMPARE(q.value(3).toInt(), 6);
        // The server's key came back into the row, which stays current.
        QCOMPARE(m_form->tblClassroom->field("crpkey")->asInteger(), q.value(0).toLongLong());
        QCOMPARE(m_form->txtClassName->text(), QStringLiteral("Word 文書"));
    }

    void requiredFieldsInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("teacher");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("perView");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << ""
                                   << "請輸入班級名稱"
                                   << "txtClassName";
        QTest::newRow("spaces only") << "   "
                                     << "t"
                                     << "1"
                                     << "1"
                                     << "請輸入班級名稱"
                                     << "txtClassName";
        QTest::newRow("no teacher") << "n"
                                    << ""
                                    << "1"
                                    << "1"
                                    << "請輸入講師"
                                    << "txtTeacher";
        QTest::newRow("no total") << "n"
                                  << "t"
                                  << ""
                                  << ""
                                  << "請輸入總點數"
                                  << "txtClassPoint";
        QTest::newRow("no points per view") << "n"
                                            << "t"
                                            << "5"
                                            << ""
                                            << "請輸入每次扣點"
                                            << "txtVideoPoint";
    }
    void requiredFieldsInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QString, teacher);
        QFETCH(QString, total);
        QFETCH(QString, perView);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        open();
        addClass(name, teacher, total, perView);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().text, message);
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("必填欄位"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONEXCLAMATION));
        QCOMPARE(focused()->objectName(), focus);
        QCOMPARE(m_form->tblClassroom->state(), DataSetState::Insert);
        QCOMPARE(m_form->txtClassName->text(), name);
        QCOMPARE(m_form->txtTeacher->text(), teacher);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom").toInt(), 3);
    }

    void pointRanges_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("perView");
        QTest::addColumn<bool>("saved");
        QTest::newRow("zeros") << "0"
                               << "0" << true;
        QTest::newRow("negative total") << "-10"
                                        << "5" << true;
        QTest::newRow("top of per view") << "1"
                                         << "65535" << true;
        QTest::newRow("per view above range") << "1"
                                              << "65536" << false;
        QTest::newRow("total above int32") << "2147483648"
                                           << "1" << false;
    }
    void pointRanges()
    {
        QFETCH(QString, total);
        QFETCH(QString, perView);
        QFETCH(bool, saved);
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtClassName, "Range");
        typeInto(m_form->txtTeacher, "t");
        // The value out of range is typed last, so that only Save leaves its box.
        if (total.size() > 9) {
            typeInto(m_form->txtVideoPoint, perView);
            typeInto(m_form->txtClassPoint, total);
        } else {
            typeInto(m_form->txtClassPoint, total);
            typeInto(m_form->txtVideoPoint, perView);
        }
        // Leaving the box for Save reports a refused value once; that click then saves nothing.
        if (!saved)
            DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom WHERE classname='Range'").toInt(), saved ? 1 : 0);
        if (saved) {
            QCOMPARE(SandboxDb::scalar("SELECT classpoint FROM classroom WHERE classname='Range'").toString(), total);
            QCOMPARE(SandboxDb::scalar("SELECT videopoint FROM classroom WHERE classname='Range'").toString(), perView);
        } else {
            QCOMPARE(DialogSeam::prompts().size(), 1);
            QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
            QVERIFY(m_form->tblClassroom->editing());
            // Corrected (the refused box keeps the focus), the next click saves.
            QWidget* refused = focused();
            QVERIFY(refused == m_form->txtClassPoint || refused == m_form->txtVideoPoint);
            typeInto(refused, "1");
            click(m_form->btnPost);
            QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom WHERE classname='Range'").toInt(), 1);
        }
    }

    void outOfRangeRefusedOnLeavingTheBox()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtVideoPoint, "70000");
        DialogSeam::queueAnswer(Win::IDOK);
        m_form->txtClassName->setFocus(Qt::TabFocusReason);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(DialogSeam::last().text.contains("videopoint"));
        QVERIFY(DialogSeam::last().text.contains("65535"));
        QCOMPARE(focused(), m_form->txtVideoPoint);
        QCOMPARE(m_form->txtVideoPoint->text(), QStringLiteral("70000"));
    }

    void numberBoxesRefuseOtherCharacters()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtVideoPoint, "-1a2");
        QCOMPARE(m_form->txtVideoPoint->text(), QStringLiteral("12"));
        typeInto(m_form->txtClassPoint, "-3x");
        QCOMPARE(m_form->txtClassPoint->text(), QStringLiteral("-3"));
        QCOMPARE(m_form->txtClassName->maxLength(), 30);
        QCOMPARE(m_form->txtTeacher->maxLength(), 10);
        click(m_form->btnCancel);
    }

    void duplicateNamesAreTheDatabasesBusiness()
    {
        open();
        addClass("Excel 入門", "x", "1", "1");
        click(m_form->btnPost);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom WHERE classname='Excel 入門'").toInt(), 2);
    }

    void editSavesOnlyThatRow()
    {
        open();
        m_form->tblClassroom->locate("classname", QStringLiteral("網頁設計"));
        click(m_form->btnEdit);
        QCOMPARE(frameRule(true), QString());
        typeInto(m_form->txtTeacher, QStringLiteral("新老師"));
        click(m_form->btnPost);
        QCOMPARE(frameRule(false), QString());
        QCOMPARE(SandboxDb::scalar("SELECT teacher FROM classroom WHERE crpkey=3").toString(),
                 QStringLiteral("新老師"));
        QCOMPARE(SandboxDb::scalar("SELECT teacher FROM classroom WHERE crpkey=1").toString(),
                 QStringLiteral("李老師"));
    }

    void cancelRestoresTheStoredValues()
    {
        open();
        const QString before = m_form->txtTeacher->text();
        click(m_form->btnEdit);
        typeInto(m_form->txtTeacher, "zzz");
        click(m_form->btnCancel);
        QCOMPARE(m_form->txtTeacher->text(), before);
        QCOMPARE(frameRule(false), QString());
    }

    void titleClicksSort()
    {
        open();
        emit m_form->grdClassroom->titleClick("classname");
        QCOMPARE(m_form->tblClassroom->sort(), QStringLiteral("classname DESC"));
        QCOMPARE(names(), QStringList({"網頁設計", "Photoshop 影像處理", "Excel 入門"}));
        emit m_form->grdClassroom->titleClick("classname");
        QCOMPARE(m_form->tblClassroom->sort(), QStringLiteral("classname ASC"));
        emit m_form->grdClassroom->titleClick("teacher");
        QCOMPARE(m_form->tblClassroom->sort(), QStringLiteral("teacher ASC"));
        QCOMPARE(column(m_form->grdClassroom, 1), QStringList({"吳老師", "周老師", "李老師"}));
    }

    void deleteAsksFirst()
    {
        open();
        const QString first = names().first();
        DialogSeam::queueAnswer(Win::IDCANCEL);
        click(m_form->btnDelete);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("確定刪除此筆記錄？"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("刪除"));
        QCOMPARE(DialogSeam::last().flags, TestSupport::kConfirmFlags);
        QCOMPARE(names().size(), 3);
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QCOMPARE(names().size(), 2);
        QVERIFY(!names().contains(first));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom").toInt(), 2);
        // The class's courses stay: only the class row goes.
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM course").toInt(), 4);
    }

    void deletingTheLastRowDisablesEditAndDelete()
    {
        SandboxDb::exec("DELETE FROM classroom WHERE crpkey > 1");
        open();
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnDelete);
        QCOMPARE(frameRule(false, false), QString());
        // The focus leaves the disabled 刪除 for 新增, not for 結束, where Space would close the window.
        QCOMPARE(FormDriver::focused(), m_form->btnAdd);
    }

    void escClosesOnlyWhileBrowsing()
    {
        open();
        click(m_form->btnEdit);
        m_form->txtTeacher->setFocus();
        QTest::keyClick(m_form->txtTeacher, Qt::Key_Escape);
        QVERIFY(m_form);
        QVERIFY(m_form->isVisible());
        click(m_form->btnCancel);
        m_form->grdClassroom->setFocus();
        QTest::keyClick(m_form->grdClassroom, Qt::Key_Escape);
        QTRY_VERIFY(m_form.isNull());
    }

    void closingDuringAnAddSavesNothing()
    {
        open();
        addClass("Lost", "t", "1", "1");
        m_form->close();
        QTRY_VERIFY(m_form.isNull());
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom WHERE classname='Lost'").toInt(), 0);
    }

    void closingWithABadValueInTheBoxAsksNothing()
    {
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtVideoPoint, "99999");
        QCOMPARE(focused(), m_form->txtVideoPoint);
        m_form->close();
        QTRY_VERIFY(m_form.isNull());
        QVERIFY(DialogSeam::prompts().isEmpty());
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom").toInt(), 3);
    }

    void secondWorkstationsSaveFails()
    {
        open();
        std::unique_ptr<Connection> other(SandboxDb::programConnection(nullptr));
        auto* second = new ClassroomWindow(other.get());
        second->show();
        for (ClassroomWindow* w : {m_form.data(), second})
            w->tblClassroom->locate("crpkey", 1);
        click(m_form->btnEdit);
        click(second->btnEdit);
        typeInto(m_form->txtTeacher, "first");
        click(m_form->btnPost);
        typeInto(second->txtTeacher, "second");
        DialogSeam::queueAnswer(Win::IDOK);
        click(second->btnPost);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(second->tblClassroom->state(), DataSetState::Edit);
        QCOMPARE(second->txtTeacher->text(), QStringLiteral("second"));
        QCOMPARE(SandboxDb::scalar("SELECT teacher FROM classroom WHERE crpkey=1").toString(), QStringLiteral("first"));
        delete second;
    }

    void errorOnOpeningStillOpensTheWindow()
    {
        m_conn->close();
        SandboxDb::exec("RENAME TABLE classroom TO classroom_gone");
        std::unique_ptr<Connection> broken(SandboxDb::programConnection(nullptr));
        DialogSeam::queueAnswer(Win::IDOK);
        m_form = new ClassroomWindow(broken.get());
        m_form->show();
        SandboxDb::exec("RENAME TABLE classroom_gone TO classroom");
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(m_form->isVisible());
        delete m_form;
    }
};

RYN_TEST_MAIN(TestClassroom)
#include "tst_classroom.moc"
