// The grid model and the grid on a real snapshot of the classroom table: the model stays consistent
// through every change of the table, and the grid's selection and the table's current row move
// together.

#include "testsupport.h"

#include "data/connection.h"
#include "data/datasource.h"
#include "controls/dbgrid.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "platform/dialogseam.h"
#include "ui/messagebox.h"
#include "sandboxdb.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>

class TestGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void modelStaysConsistent();
    void gridFollowsTable_data();
    void gridFollowsTable();
    void userMovesCurrentRow_data();
    void userMovesCurrentRow();
    void refusedMoveWhileEditing();
    void titleClick_data();
    void titleClick();
    void largeTableScrolls();

private:
    SnapshotTable* classroomTable();
    QPoint titleCenter(int section) const;

    Connection m_connection;
    QWidget* m_window = nullptr;
    SnapshotTable* m_table = nullptr;
    DBGrid* m_grid = nullptr;
};

namespace {
const QStringList kClassNames = {"Excel 入門", "Photoshop 影像處理", "網頁設計"};
} // namespace

void TestGrid::initTestCase()
{
    SandboxDb::require();
    m_connection.setConnectionString(programConnectionString());
    m_connection.open();
}

SnapshotTable* TestGrid::classroomTable()
{
    auto* t = new SnapshotTable(m_window);
    t->setObjectName(QStringLiteral("tblClassroom"));
    t->setConnection(&m_connection);
    t->setTableName(QStringLiteral("classroom"));
    t->addField(QStringLiteral("crpkey"), FieldType::AutoInc);
    t->addField(QStringLiteral("classname"), FieldType::Text, 30);
    t->addField(QStringLiteral("teacher"), FieldType::Text, 10);
    t->addField(QStringLiteral("classpoint"), FieldType::Int32);
    t->setKeyField(QStringLiteral("crpkey"));
    return t;
}

void TestGrid::init()
{
    SandboxDb::reseed();
    DialogSeam::clear();
    m_window = new QWidget;
    m_table = classroomTable();
    m_grid = new DBGrid(m_window);
    QFont cells = m_grid->font();
    cells.setPixelSize(13);
    m_grid->setCellFont(cells);
    m_grid->setColumns({{QStringLiteral("classname"), QStringLiteral("班級名稱"), 268, Qt::AlignCenter},
                        {QStringLiteral("teacher"), QStringLiteral("講師"), 0, Qt::AlignLeft}});
    m_grid->setDataSource(new DataSource(m_table, m_window));
    auto* layout = new QVBoxLayout(m_window);
    layout->addWidget(m_grid);
    m_window->resize(500, 300);
    m_table->open();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestGrid::cleanup()
{
    delete m_window;
    m_window = nullptr;
    QCOMPARE(DialogSeam::pending(), 0);
}

QPoint TestGrid::titleCenter(int section) const
{
    QHeaderView* titles = m_grid->horizontalHeader();
    return {titles->sectionViewportPosition(section) + titles->sectionSize(section) / 2, titles->height() / 2};
}

void TestGrid::modelStaysConsistent()
{
    SnapshotTable* table = classroomTable();
    GridModel model;
    model.setColumns({{QStringLiteral("classname"), QStringLiteral("班級名稱")},
                      {QStringLiteral("classpoint"), QStringLiteral("總點數")},
                      {QStringLiteral("nosuchfield"), QStringLiteral("?")}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setTable(table);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 3);

    table->open();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.index(0, 0).data().toString(), kClassNames.at(0));
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("200"));
    QVERIFY(!model.index(0, 2).data().isValid());

    table->setSort(QStringLiteral("classname DESC"));
    QCOMPARE(model.index(0, 0).data().toString(), kClassNames.at(2));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(table->locate(QStringLiteral("crpkey"), 1));
    const int row = table->recNo();
    table->edit();
    table->field(QStringLiteral("classpoint"))->setAsString(QStringLiteral("120"));
    table->post();
    QVERIFY(!changed.isEmpty());
    QCOMPARE(model.index(row, 1).data().toString(), QStringLiteral("120"));

    table->append();
    QCOMPARE(model.rowCount(), 4);
    table->cancel();
    QCOMPARE(model.rowCount(), 3);

    table->setFilter(QStringLiteral("classname<>'網頁設計'"));
    table->setFiltered(true);
    QCOMPARE(model.rowCount(), 2);
    table->remove();
    QCOMPARE(model.rowCount(), 1);
    table->close();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 3);
}

void TestGrid::gridFollowsTable_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("marker");
    QTest::newRow("another row current") << "move" << 2 << "▶";
    QTest::newRow("re-sorted") << "sort" << -1 << "▶";
    QTest::newRow("filtered") << "filter" << 0 << "▶";
    QTest::newRow("row edited") << "edit" << 1 << "I";
    QTest::newRow("row added") << "append" << 3 << "*";
}

void TestGrid::gridFollowsTable()
{
    QFETCH(QString, action);
    QFETCH(int, row);
    QFETCH(QString, marker);

    m_table->setRecNo(1);
    if (action == QLatin1String("move")) {
        m_table->setRecNo(2);
    } else if (action == QLatin1String("sort")) {
        m_table->setSort(QStringLiteral("classname DESC"));
        row = m_table->recNo();
    } else if (action == QLatin1String("filter")) {
        m_table->setFilter(QStringLiteral("classname='網頁設計'"));
        m_table->setFiltered(true);
    } else if (action == QLatin1String("edit")) {
        m_table->edit();
    } else if (action == QLatin1String("append")) {
        m_table->append();
    }

    QCOMPARE(m_table->recNo(), row);
    QCOMPARE(m_grid->currentIndex().row(), row);
    const QModelIndexList selected = m_grid->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), row);
    QVERIFY(m_grid->viewport()->rect().intersects(m_grid->visualRect(m_grid->currentIndex())));
    // The row indicator marks the current row only.
    for (int r = 0; r < m_grid->model()->rowCount(); ++r)
        QCOMPARE(m_grid->model()->headerData(r, Qt::Vertical).toString(), r == row ? marker : QString());
    // Rebuilding the rows keeps the column widths.
    QCOMPARE(m_grid->columnWidth(0), 268);
}

void TestGrid::userMovesCurrentRow_data()
{
    QTest::addColumn<bool>("wholeRows");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("row");
    for (const bool wholeRows : {true, false}) {
        const char* mode = wholeRows ? "rows" : "cells";
        QTest::addRow("%s: click on a cell", mode) << wholeRows << "cell" << 2;
        QTest::addRow("%s: click on the indicator", mode) << wholeRows << "indicator" << 1;
        QTest::addRow("%s: arrow down", mode) << wholeRows << "down" << 1;
    }
}

void TestGrid::userMovesCurrentRow()
{
    QFETCH(bool, wholeRows);
    QFETCH(QString, how);
    QFETCH(int, row);

    m_grid->setWholeRowSelection(wholeRows);
    if (how == QLatin1String("cell")) {
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                          m_grid->visualRect(m_grid->model()->index(row, 1)).center());
    } else if (how == QLatin1String("indicator")) {
        QHeaderView* indicator = m_grid->verticalHeader();
        QTest::mouseClick(
            indicator->viewport(), Qt::LeftButton, {},
            QPoint(indicator->width() / 2, indicator->sectionViewportPosition(row) + indicator->sectionSize(row) / 2));
    } else {
        m_grid->setFocus();
        QTest::keyClick(m_grid, Qt::Key_Down);
    }

    QCOMPARE(m_table->recNo(), row);
    QCOMPARE(m_table->field(QStringLiteral("classname"))->asString(), kClassNames.at(row));
    const QModelIndexList selected = m_grid->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), wholeRows ? 2 : 1);
    for (const QModelIndex& index : selected)
        QCOMPARE(index.row(), row);
}

void TestGrid::refusedMoveWhileEditing()
{
    m_table->edit();
    DialogSeam::queueAnswer(Win::IDOK);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                      m_grid->visualRect(m_grid->model()->index(2, 0)).center());

    QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
    QCOMPARE(m_table->recNo(), 0);
    QCOMPARE(m_table->state(), DataSetState::Edit);
    QTRY_COMPARE(m_grid->currentIndex().row(), 0);
    QCOMPARE(m_grid->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(m_grid->selectionModel()->selectedRows().first().row(), 0);
}

void TestGrid::titleClick_data()
{
    QTest::addColumn<bool>("sortable");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("reported");
    QTest::newRow("sortable grid") << true << true << true;
    QTest::newRow("grid that does not sort") << false << true << false;
    QTest::newRow("disabled while editing") << true << false << false;
}

void TestGrid::titleClick()
{
    QFETCH(bool, sortable);
    QFETCH(bool, enabled);
    QFETCH(bool, reported);

    m_grid->setSortable(sortable);
    m_grid->setEnabled(enabled);
    QSignalSpy clicks(m_grid, &DBGrid::titleClick);

    QMouseEvent hover(QEvent::MouseMove, titleCenter(1),
                      m_grid->horizontalHeader()->viewport()->mapToGlobal(titleCenter(1)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(m_grid->horizontalHeader()->viewport(), &hover);
    QCOMPARE(m_grid->gridModel()->hotColumn(), reported ? 1 : -1);
    QCOMPARE(m_grid->model()->headerData(1, Qt::Horizontal, Qt::BackgroundRole).isValid(), reported);
    QVERIFY(!m_grid->model()->headerData(0, Qt::Horizontal, Qt::BackgroundRole).isValid());

    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCenter(1));
    QCOMPARE(clicks.size(), reported ? 1 : 0);
    if (reported)
        QCOMPARE(clicks.first().first().toString(), QStringLiteral("teacher"));
    // A title click selects nothing by itself.
    QCOMPARE(m_table->recNo(), 0);
}

void TestGrid::largeTableScrolls()
{
    SandboxDb::exec(QStringLiteral("INSERT INTO watchlog (cpkey, spkey, point) "
                                   "SELECT seq, CONCAT('S', seq), -seq FROM seq_1_to_100000"));
    auto* log = new SnapshotTable(m_window);
    log->setObjectName(QStringLiteral("tblWatchlog"));
    log->setConnection(&m_connection);
    log->setTableName(QStringLiteral("watchlog"));
    log->addField(QStringLiteral("cpkey"), FieldType::Int32);
    log->addField(QStringLiteral("spkey"), FieldType::Text, 20);
    log->addField(QStringLiteral("point"), FieldType::Int32);
    m_grid->setColumns({{QStringLiteral("spkey"), QStringLiteral("學號"), 102},
                        {QStringLiteral("point"), QStringLiteral("點數"), 80}});
    const int widgets = int(m_grid->findChildren<QWidget*>().size());
    m_grid->setDataSource(new DataSource(log, m_window));
    log->open();

    const int last = 100005;
    QCOMPARE(m_grid->model()->rowCount(), last + 1);
    QCOMPARE(m_grid->rowHeight(0), m_grid->rowHeight(last));

    log->setRecNo(last);
    QCOMPARE(m_grid->currentIndex().row(), last);
    QVERIFY(m_grid->viewport()->rect().intersects(m_grid->visualRect(m_grid->currentIndex())));
    QCOMPARE(m_grid->verticalScrollBar()->value(), m_grid->verticalScrollBar()->maximum());
    QCOMPARE(m_grid->currentIndex().data().toString(), QStringLiteral("S100000"));

    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(log->recNo(), 0);
    QCOMPARE(m_grid->verticalScrollBar()->value(), 0);
    QTest::keyClick(m_grid, Qt::Key_PageDown);
    QVERIFY(log->recNo() > 0);
    QCOMPARE(m_grid->currentIndex().row(), log->recNo());

    QCOMPARE(int(m_grid->findChildren<QWidget*>().size()), widgets);
}

RYN_TEST_MAIN(TestGrid)
#include "tst_grid.moc"
