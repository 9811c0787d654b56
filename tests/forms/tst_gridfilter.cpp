#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/gridexport.h"
#include "controls/gridfindbar.h"
#include "controls/gridheader.h"
#include "controls/gridtooltexts.h"
#include "forms/studclasswindow.h"
#include "forms/userwindow.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace FormDriver;

// The filter row and find from anywhere, on the top-up window's bookings (in reading order:
// 陳大文 100, 林美玲 200, 陳大文 150, 陳大文 -10, 張志明 1500; September, September, October,
// October, November): the rows each filter leaves, the count in the status bar, and what find,
// export and a save do under a filter.
class TestGridFilter : public QObject, WindowFixture<StudClassWindow>
{
    Q_OBJECT

    enum Column { BuyDate, Points, Staff, Student, Class };

    QLineEdit* box(Column c) { return m_form->grdStudClass->titleBar()->filterBox(c); }
    QString count()
    {
        auto* label = m_form->statusBar->findChild<QLabel*>(QStringLiteral("lblFilterCount"));
        return label && label->isVisible() ? label->text() : QString();
    }
    static QString shown(int n, int m) { return GridToolTexts::text("lblFilterCount").arg(n).arg(m); }

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void boxesCombine_data()
    {
        // Box texts typed one after another (column, text; an empty text is Esc in that box), and the
        // students of the rows left after each.
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("students");
        QTest::newRow("lookup text, then a number range")
            << QList<int>{Student, Points} << QStringList{"陳", "100..150"}
            << QStringList{"陳大文,陳大文,陳大文", "陳大文,陳大文"};
        QTest::newRow("comparisons and a month")
            << QList<int>{Points, BuyDate, Points, Student} << QStringList{">=150", "2026/10", "<0", "張"}
            << QStringList{"林美玲,陳大文,張志明", "陳大文", "陳大文", ""};
        QTest::newRow("days, staff by name, Esc clears")
            << QList<int>{BuyDate, Staff, BuyDate} << QStringList{"2026/09/02..2026/10/31", "王小明", ""}
            << QStringList{"林美玲,陳大文,陳大文", "林美玲,陳大文", "林美玲,陳大文,張志明"};
        QTest::newRow("class lookup without case, a text in a number column")
            << QList<int>{Class, Points} << QStringList{"EXCEL", "10"} << QStringList{"陳大文,陳大文", "陳大文,陳大文"};
    }

    void boxesCombine()
    {
        QFETCH(QList<int>, columns);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, students);
        open();
        DBGrid* grid = m_form->grdStudClass;
        // From a button of the window: the row shows under the titles, the focus in a box.
        m_form->btnExit->setFocus();
        QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(grid->filterRowShown());
        QVERIFY(grid->titleBar()->isAncestorOf(focused()));
        QCOMPARE(count(), shown(5, 5));
        for (int i = 0; i < texts.size(); ++i) {
            QLineEdit* b = box(Column(columns.at(i)));
            QVERIFY(b->isVisible());
            if (texts.at(i).isEmpty()) {
                b->setFocus();
                QTest::keyClick(b, Qt::Key_Escape);
                QVERIFY(m_form->isVisible()); // Esc in a box is not the window's Exit
            } else {
                typeInto(b, texts.at(i));
            }
            const QStringList expected = students.at(i).split(',', Qt::SkipEmptyParts);
            QCOMPARE(column(grid, Student), expected);
            QCOMPARE(count(), shown(int(expected.size()), 5));
            // The bound boxes show a row the grid shows.
            if (!expected.isEmpty())
                QCOMPARE(m_form->tblStudClass->recNo(), grid->currentIndex().row());
        }
        // Ctrl+Shift+F again: every box cleared, every row back, the count gone.
        QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!grid->filterRowShown());
        QCOMPARE(column(grid, Student).size(), 5);
        QCOMPARE(count(), QString());
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box(Student)->text(), QString());
    }

    void savedRowStaysUntilTheFilterChanges()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        grid->setFilterRowShown(true);
        typeInto(box(Points), "=200");
        QCOMPARE(column(grid, Student), QStringList{"林美玲"});
        click(m_form->btnEdit);
        QVERIFY(!box(Points)->isEnabled());
        typeInto(m_form->txtWatchPoint, "300");
        click(m_form->btnPost);
        QCOMPARE(SandboxDb::scalar("SELECT watchpoint FROM studclass WHERE spkey = 'A002'").toInt(), 300);
        // Saved, it no longer meets the filter and still shows, current.
        QCOMPARE(column(grid, Points), QStringList{"300"});
        QCOMPARE(m_form->tblStudClass->recNo(), 0);
        QCOMPARE(count(), shown(1, 5));
        typeInto(box(Points), "=20");
        QCOMPARE(column(grid, Points), QStringList());
        typeInto(box(Points), "=300");
        QCOMPARE(column(grid, Points), QStringList{"300"});
        // A row added under a filter stays too, and counts among all rows.
        typeInto(box(Student), "張");
        QCOMPARE(column(grid, Points), QStringList());
        click(m_form->btnAdd);
        typeInto(m_form->txtSpkey, "A001");
        typeInto(m_form->txtWatchPoint, "300");
        click(m_form->btnPost);
        QCOMPARE(column(grid, Student), QStringList{"陳大文"});
        QCOMPARE(count(), shown(1, 6));
    }

    void usersOwnFilterAndTheBoxes()
    {
        SandboxDb::exec("INSERT INTO users (uid, uname, pwd, isadmin) VALUES ('adm2', '管理員二', '', 1)");
        auto* users = new UserWindow(m_conn.get());
        show(users);
        DBGrid* grid = users->grdUser;
        grid->setFilterRowShown(true);
        // The administrator's own row is never shown; the boxes narrow what is.
        QCOMPARE(users->tblUser->unfilteredCount(), 2);
        typeInto(grid->titleBar()->filterBox(0), "ad");
        QCOMPARE(users->tblUser->recordCount(), 1);
        auto* label = users->statusBar->findChild<QLabel*>(QStringLiteral("lblFilterCount"));
        QVERIFY(label);
        QCOMPARE(label->text(), shown(1, 2));
        delete users;
    }

    void findFromAnywhere()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        // A freshly opened window: the focus is not in the grid, and Ctrl+F finds at once.
        QVERIFY(focused() != grid);
        QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
        GridFindBar* bar = grid->findBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(focused(), bar->txtFind);
        typeText(bar->txtFind, "張");
        QCOMPARE(m_form->tblStudClass->recNo(), 4);
        QTest::keyClick(bar->txtFind, Qt::Key_Escape);
        // Find searches the rows the filter leaves.
        grid->setFilterRowShown(true);
        typeInto(box(Student), "陳");
        QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
        typeInto(bar->txtFind, "張");
        QCOMPARE(bar->lblNote->text(), GridToolTexts::text("lblNotFound"));
        typeInto(bar->txtFind, "-10");
        QCOMPARE(m_form->tblStudClass->recNo(), 2);
        QTest::keyClick(bar->txtFind, Qt::Key_Escape);
        // While a row is edited Ctrl+F does nothing.
        click(m_form->btnEdit);
        m_form->txtWatchPoint->setFocus();
        QTest::keyClick(m_form->txtWatchPoint, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!bar->isVisible());
        QCOMPARE(focused(), m_form->txtWatchPoint);
        click(m_form->btnCancel);
    }

    void exportWritesWhatTheGridShows()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        grid->setFilterRowShown(true);
        typeInto(box(Student), "陳");
        typeInto(box(Points), ">0");
        grid->titleBar()->setSectionHidden(Staff, true);
        grid->titleBar()->moveSection(grid->titleBar()->visualIndex(Student), 0);
        QTemporaryDir dir;
        DialogSeam::queueFileName(dir.filePath("shown.csv"));
        QVERIFY(TestSupport::exportAndWait(grid, GridExport::Format::Csv));
        const QString text = QString::fromUtf8(TestFiles::read(dir.filePath("shown.csv"))).remove(QChar(0xFEFF));
        QCOMPARE(text.split("\r\n", Qt::SkipEmptyParts),
                 QStringList({"學生姓名,購買日期,購買點數,課程名稱", "陳大文,2026-09-01 10:00:00,100,Excel 入門",
                              "陳大文,2026-10-05 09:15:00,150,網頁設計"}));
    }
};

RYN_TEST_MAIN(TestGridFilter)
#include "tst_gridfilter.moc"
