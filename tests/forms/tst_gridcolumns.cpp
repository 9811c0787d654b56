#include "controls/dbgrid.h"
#include "controls/gridheader.h"
#include "controls/gridlayout.h"
#include "controls/gridtooltexts.h"
#include "forms/studclasswindow.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>

using namespace FormDriver;

// The columns of a grid as a user arranges them (shown, hidden, moved, the built layout back), the
// layout kept for the next window, rows copied for a spreadsheet, and the context menu by keyboard,
// on the top-up window's bookings.
class TestGridColumns : public QObject, WindowFixture<StudClassWindow>
{
    Q_OBJECT

    enum Column { BuyDate, Points, Staff, Student, Class };

    static QAction* item(QMenu* menu, const QString& name) { return menu->findChild<QAction*>(name); }
    static QStringList titles(DBGrid* grid)
    {
        QStringList list;
        for (const int c : grid->shownColumns())
            list << grid->model()->headerData(c, Qt::Horizontal).toString();
        return list;
    }
    void clickRow(DBGrid* grid, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, Student));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
    }

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void columnMenu()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        std::unique_ptr<QMenu> menu(grid->makeColumnMenu(nullptr));
        item(menu.get(), "mitColumn2")->trigger();
        QCOMPARE(titles(grid), QStringList({"購買日期", "購買點數", "學生姓名", "課程名稱"}));
        // Down to one shown column: its item is disabled and it cannot be hidden.
        for (const int c : {BuyDate, Points, Student})
            grid->titleBar()->setSectionHidden(c, true);
        menu.reset(grid->makeColumnMenu(nullptr));
        QAction* last = item(menu.get(), "mitColumn4");
        QVERIFY(last->isChecked());
        QVERIFY(!last->isEnabled());
        QVERIFY(item(menu.get(), "mitColumn0")->isEnabled());
        last->trigger();
        QCOMPARE(titles(grid), QStringList{"課程名稱"});
        // Titles move by dragging; the built layout comes back, widths too.
        grid->titleBar()->setSectionHidden(Student, false);
        grid->titleBar()->moveSection(grid->titleBar()->visualIndex(Class), 0);
        grid->titleBar()->resizeSection(Student, 33);
        QVERIFY(grid->titleBar()->sectionsMovable());
        QCOMPARE(titles(grid), QStringList({"課程名稱", "學生姓名"}));
        menu.reset(grid->makeColumnMenu(nullptr));
        QCOMPARE(item(menu.get(), "mitRestoreColumns")->text(), GridToolTexts::text("mitRestoreColumns"));
        item(menu.get(), "mitRestoreColumns")->trigger();
        QCOMPARE(titles(grid), QStringList({"購買日期", "購買點數", "承辦人", "學生姓名", "課程名稱"}));
        QCOMPARE(grid->columnWidth(Student), 110);
    }

    void layoutKeptForTheNextWindow()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        QCOMPARE(grid->layoutKey(), QStringLiteral("frmStudClass.grdStudClass"));
        grid->titleBar()->setSectionHidden(Staff, true);
        grid->titleBar()->moveSection(grid->titleBar()->visualIndex(Class), 0);
        grid->setFilterRowShown(true);
        typeInto(grid->titleBar()->filterBox(Student), "陳");
        // Closed a moment after the change: the layout is stored as the grid goes.
        delete m_form;
        QVERIFY(QFile::exists(GridLayout::path()));
        QVERIFY(!QFile::exists(GridLayout::path() + ".tmp"));
        open();
        grid = m_form->grdStudClass;
        QCOMPARE(titles(grid), QStringList({"課程名稱", "購買日期", "購買點數", "學生姓名"}));
        // Filters are not kept: every row shows.
        QVERIFY(!grid->filterRowShown());
        QCOMPARE(m_form->tblStudClass->recordCount(), 5);
    }

    void layoutWithColumnsTheGridLacks()
    {
        QDir().mkpath(QFileInfo(GridLayout::path()).absolutePath());
        TestFiles::write(GridLayout::path(), "[frmStudClass.grdStudClass]\r\norder=gone,classname,buydate\r\n"
                                             "hidden=gone,watchpoint\r\nwidths=gone:50,classname:x\r\n"
                                             "sort=gone DESC\r\n");
        open();
        DBGrid* grid = m_form->grdStudClass;
        QCOMPARE(titles(grid), QStringList({"課程名稱", "購買日期", "承辦人", "學生姓名"}));
        QCOMPARE(DialogSeam::prompts().size(), 0);
        QCOMPARE(m_form->tblStudClass->recordCount(), 5);
    }

    void copyRows()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        clickRow(grid, 1);
        clickRow(grid, 3, Qt::ShiftModifier);
        clickRow(grid, 4, Qt::ControlModifier);
        // The row clicked last is current, with the indicator; the others stay selected.
        QCOMPARE(m_form->tblStudClass->recNo(), 4);
        QCOMPARE(grid->model()->headerData(4, Qt::Vertical).toString(), QStringLiteral("▶"));
        QSet<int> selected;
        for (const QModelIndex& index : grid->selectionModel()->selectedIndexes())
            selected.insert(index.row());
        QCOMPARE(selected, QSet<int>({1, 2, 3, 4}));
        grid->titleBar()->setSectionHidden(Staff, true);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QCOMPARE(data->text().split("\r\n", Qt::SkipEmptyParts),
                 QStringList(
                     {"購買日期\t購買點數\t學生姓名\t課程名稱", "2026/09/02 11:30:00\t200\t林美玲\tPhotoshop 影像處理",
                      "2026/10/05 09:15:00\t150\t陳大文\t網頁設計", "2026/10/20 16:45:00\t-10\t陳大文\tExcel 入門",
                      "2026/11/01 10:00:00\t1500\t張志明\t網頁設計"}));
        QVERIFY(data->html().contains("<td>1500</td>"));
        QCOMPARE(data->html().count("<tr>"), 5);
    }

    void contextMenuByKeyboard()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        QAction own(QStringLiteral("重印收據"));
        own.setObjectName(QStringLiteral("mitOwn"));
        grid->addMenuAction(&own);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
        QMenu* menu = grid->findChild<QMenu*>(QStringLiteral("mnuGrid"));
        QVERIFY(menu && menu->isVisible());
        QStringList names;
        for (QAction* a : menu->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        // The grid's items, then the window's own (its row history and the test's item, then its import).
        QCOMPARE(names, QStringList({"mitFilter", "mitExportXlsx", "mitExportCsv", "mitCopy", "-", "mitRowHistory",
                                     "mitOwn", "-", "mitImport", "mitTemplate"}));
        QCOMPARE(menu->activeAction(), menu->actions().first());
        // Return takes the highlighted item at once.
        QTest::keyClick(menu, Qt::Key_Return);
        QVERIFY(grid->filterRowShown());
        QTRY_VERIFY(!menu->isVisible());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Menu);
        // The closed menu gives way to the new one.
        QCOMPARE(grid->findChildren<QMenu*>(QStringLiteral("mnuGrid")).size(), 1);
        menu = grid->findChild<QMenu*>(QStringLiteral("mnuGrid"));
        QVERIFY(menu && menu->isVisible());
        QVERIFY(menu->actions().first()->isChecked());
        QTest::keyClick(menu, Qt::Key_Escape);
    }

    // An item's handler that runs a message loop of the system's (Windows' file dialog) lets
    // deferred deletions through; the menu that runs the handler must outlive it.
    void contextMenuOutlivesItsHandler()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        QAction own(QStringLiteral("重印收據"));
        own.setObjectName(QStringLiteral("mitOwn"));
        grid->addMenuAction(&own);
        QPointer<QMenu> running;
        bool aliveAfterLoop = false;
        connect(&own, &QAction::triggered, this, [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            aliveAfterLoop = !running.isNull();
        });
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
        running = grid->findChild<QMenu*>(QStringLiteral("mnuGrid"));
        QVERIFY(running && running->isVisible());
        running->setActiveAction(&own);
        QTest::keyClick(running, Qt::Key_Return);
        QTRY_VERIFY(!running || !running->isVisible());
        QVERIFY(aliveAfterLoop);
    }

    // Ctrl+E while its menu is open opens no second one; a closed menu stays until the next opens.
    void exportMenuOneAtATime()
    {
        open();
        DBGrid* grid = m_form->grdStudClass;
        grid->setFocus();
        const auto menus = [grid] {
            return grid->findChildren<QMenu*>(QStringLiteral("mnuExport"), Qt::FindDirectChildrenOnly);
        };
        QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
        QPointer<QMenu> first = grid->findChild<QMenu*>(QStringLiteral("mnuExport"));
        QVERIFY(first && first->isVisible());
        QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(menus().size(), 1);
        QTest::keyClick(first, Qt::Key_Escape);
        QTRY_VERIFY(!first->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first);
        QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(!first);
        QCOMPARE(menus().size(), 1);
        QVERIFY(menus().first()->isVisible());
        QTest::keyClick(menus().first(), Qt::Key_Escape);
    }
};

RYN_TEST_MAIN(TestGridColumns)
#include "tst_gridcolumns.moc"
