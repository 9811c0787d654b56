#include "dbgrid.h"

#include "data/datasource.h"
#include "gridcolumntitle.h"
#include "gridexport.h"
#include "gridfindbar.h"
#include "gridheader.h"
#include "ui/guard.h"
#include "ui/inputmethod.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const int kTitlePixelSize = 16;
} // namespace

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new GridModel(this))
    , m_header(new GridHeader(this))
    , m_layoutTimer(new QTimer(this))
{
    setHorizontalHeader(m_header);
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Clicked into, never reached by Tab; Tab inside it leaves it as well.
    setFocusPolicy(Qt::ClickFocus);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setImeMode(this, ImeMode::Closed);

    QHeaderView* titles = horizontalHeader();
    QFont titleFont = titles->font();
    titleFont.setPixelSize(kTitlePixelSize);
    titles->setFont(titleFont);
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setHighlightSections(false);
    titles->setSectionsClickable(false);
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->viewport()->setMouseTracking(true);
    titles->viewport()->installEventFilter(this);
    connect(titles, &QHeaderView::sectionClicked, this, &DBGrid::onTitleClicked);
    titles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(titles, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = makeColumnMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_header->mapToGlobal(pos));
    });
    connect(m_header, &GridHeader::filterEdited, this, [this] { guarded([this] { applyFilters(); }); });
    connect(m_header, &GridHeader::filterRowToggled, this, [this](bool shown) {
        showFilterCount();
        if (!shown && !hasFocus() && isVisible())
            setFocus(Qt::ShortcutFocusReason);
    });
    // The layout is stored a moment after the user changes it: a dragged border reports every pixel.
    m_layoutTimer->setSingleShot(true);
    m_layoutTimer->setInterval(400);
    connect(m_layoutTimer, &QTimer::timeout, this, [this] { guarded([this] { saveLayout(); }); });
    connect(titles, &QHeaderView::sectionMoved, this, &DBGrid::layoutChanged);
    connect(titles, &QHeaderView::sectionResized, this, &DBGrid::layoutChanged);

    // The row indicator: a narrow column with the current row's marker. Every row has the same
    // fixed height, so the header never measures rows and a million of them scroll smoothly.
    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setHighlightSections(false);
    indicator->setDefaultAlignment(Qt::AlignCenter);
    // Selecting single cells, the view ignores the indicator; a click there still picks the row.
    connect(indicator, &QHeaderView::sectionPressed, this, [this](int row) {
        if (!wholeRowSelection())
            setCurrentIndex(m_model->index(row, qMax(0, currentIndex().column())));
    });
    updateRowHeight();

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DBGrid::onCurrentRowChanged);
}

DataSource* DBGrid::dataSource() const
{
    return m_source;
}

SnapshotTable* DBGrid::table() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void DBGrid::setDataSource(DataSource* source)
{
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_source = source;
    SnapshotTable* t = table();
    // The model is connected first, so that it has taken the table's change when the grid follows.
    m_model->setTable(t);
    if (t) {
        m_connections << connect(t, &SnapshotTable::currentChanged, this, &DBGrid::followTable)
                      << connect(t, &SnapshotTable::rowsReset, this, &DBGrid::followTable)
                      << connect(t, &SnapshotTable::rowsReset, this, &DBGrid::showFilterCount)
                      << connect(t, &SnapshotTable::stateChanged, this, &DBGrid::followTable);
    }
    followTable();
}

void DBGrid::setColumns(const QList<GridColumn>& columns)
{
    m_model->setColumns(columns);
    qDeleteAll(m_columnObjects);
    m_columnObjects.clear();
    for (int c = 0; c < columns.size(); ++c)
        m_columnObjects.append(new GridColumnTitle(m_model, c, this));
    applyColumnWidths();
    followTable();
}

void DBGrid::applyColumnWidths()
{
    const QList<GridColumn>& columns = m_model->columns();
    for (int c = 0; c < columns.size(); ++c) {
        if (columns.at(c).width > 0)
            setColumnWidth(c, columns.at(c).width);
    }
}

void DBGrid::setSortable(bool on)
{
    m_sortable = on;
    horizontalHeader()->setSectionsClickable(on);
    if (!on)
        setHotTitle(-1);
}

bool DBGrid::wholeRowSelection() const
{
    return selectionBehavior() == QAbstractItemView::SelectRows;
}

void DBGrid::setWholeRowSelection(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    followTable();
}

bool DBGrid::columnsResizable() const
{
    return m_columnsResizable;
}

void DBGrid::setColumnsResizable(bool on)
{
    m_columnsResizable = on;
    horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void DBGrid::setCellFont(const QFont& font)
{
    setFont(font);
    updateRowHeight();
}

void DBGrid::updateRowHeight()
{
    QHeaderView* indicator = verticalHeader();
    const int height = fontMetrics().height() + 4;
    indicator->setMinimumSectionSize(qMin(height, indicator->minimumSectionSize()));
    indicator->setDefaultSectionSize(height);
    indicator->setFixedWidth(indicator->fontMetrics().horizontalAdvance(GridModel::rowMarker(DataSetState::Browse))
                             + 8);
}

void DBGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
    else if (event->type() == QEvent::EnabledChange && !isEnabled())
        setHotTitle(-1);
    // The find bar may not move the row while the grid may not either (a row is being edited).
    if (event->type() == QEvent::EnabledChange && m_findBar)
        m_findBar->setEnabled(isEnabled());
}

QVariantList DBGrid::columnObjects() const
{
    QVariantList list;
    for (QObject* column : m_columnObjects)
        list.append(QVariant::fromValue(column));
    return list;
}

GridFindBar* DBGrid::findBar()
{
    if (m_findBar)
        return m_findBar;
    QWidget* parent = parentWidget();
    QLayout* layout = parent ? parent->layout() : nullptr;
    if (!layout) {
        // A grid placed by hand: the bar covers its lowest line while it is shown.
        m_findBar = new GridFindBar(this, parent ? parent : this);
        const int height = m_findBar->sizeHint().height();
        m_findBar->setGeometry(parent ? x() : 0, (parent ? y() : 0) + this->height() - height, width(), height);
        return m_findBar;
    }
    // In a layout: the grid and the bar go into a box that takes the grid's place.
    auto* box = new QWidget(parent);
    box->setObjectName(objectName() + QStringLiteral("Box"));
    const bool hadFocus = hasFocus();
    delete layout->replaceWidget(this, box);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(this, 1);
    m_findBar = new GridFindBar(this, box);
    column->addWidget(m_findBar);
    box->show();
    show();
    if (hadFocus)
        setFocus();
    return m_findBar;
}

DBGrid::~DBGrid()
{
    // A change made just before the window closed is still kept.
    if (m_layoutTimer->isActive()) {
        m_layoutTimer->stop();
        try {
            saveLayout();
        } catch (...) {
            // The window is going; a layout that cannot be stored is the one thing lost.
        }
    }
}

void DBGrid::showExportMenu(const QPoint& viewportPos)
{
    if (!replaceClosedMenus(QStringLiteral("mnuExport")))
        return;
    QMenu* menu = GridExport::menuFor(this, this);
    menu->setObjectName(QStringLiteral("mnuExport"));
    menu->popup(viewport()->mapToGlobal(viewportPos));
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    const QKeyCombination key = event->keyCombination();
    if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_F)) {
        findBar()->open();
        return;
    }
    if (key == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F)) {
        setFilterRowShown(!filterRowShown());
        return;
    }
    if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_C)) {
        guarded([this] { copySelection(); });
        return;
    }
    if (key == QKeyCombination(Qt::NoModifier, Qt::Key_Menu)
        || key == QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)) {
        const QRect cell = visualRect(currentIndex());
        showContextMenu(cell.isValid() ? cell.center() : QPoint(0, 0), true);
        return;
    }
    if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_E)) {
        const QRect cell = visualRect(currentIndex());
        showExportMenu(cell.isValid() ? cell.center() : QPoint(0, 0));
        return;
    }
    if (event->key() == Qt::Key_F3 && m_findBar && !m_findBar->txtFind->text().isEmpty()) {
        guarded([&] {
            m_findBar->find(event->modifiers() & Qt::ShiftModifier ? GridFindBar::From::Previous
                                                                   : GridFindBar::From::Next);
        });
        return;
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::contextMenuEvent(QContextMenuEvent* event)
{
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QRect cell = visualRect(currentIndex());
    if (byKeyboard)
        showContextMenu(cell.isValid() ? cell.center() : QPoint(0, 0), true);
    else
        showContextMenu(viewport()->mapFrom(this, event->pos()), false);
}

void DBGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    if (!m_layoutRestored) {
        guarded([this] { restoreLayout(); });
        m_layoutRestored = true;
    }
}

void DBGrid::followTable()
{
    const QScopedValueRollback<bool> following(m_following, true);
    SnapshotTable* t = table();
    const int row = t && t->active() ? t->recNo() : -1;
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0) {
        selectionModel()->clear();
        return;
    }
    // The grid's own move (a click, with Shift or Ctrl too): its selection stays as the view makes it.
    if (currentIndex().isValid() && currentIndex().row() == row)
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = m_model->index(row, column);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (wholeRowSelection())
        flags |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(index, flags);
    scrollTo(index);
}

void DBGrid::onCurrentRowChanged(const QModelIndex& current)
{
    SnapshotTable* t = table();
    if (m_following || !t || !current.isValid() || current.row() == t->recNo())
        return;
    // A window whose handler lets events run (the point query) may be closed during the move.
    const QPointer<DBGrid> self(this);
    const QPointer<SnapshotTable> table(t);
    guarded([&] { t->setRecNo(current.row()); });
    if (!self || !table)
        return;
    // A move the table refused (it is being edited): the selection goes back to its row once the
    // click that made it has been handled.
    if (t->recNo() != current.row())
        QMetaObject::invokeMethod(this, &DBGrid::followTable, Qt::QueuedConnection);
}

void DBGrid::onTitleClicked(int section)
{
    if (!m_sortable || !isEnabled())
        return;
    const QString field = m_model->fieldName(section);
    if (!field.isEmpty()) {
        emit titleClick(field);
        layoutChanged();
    }
}

void DBGrid::setHotTitle(int section)
{
    QColor highlight = palette().color(QPalette::Highlight);
    m_model->setHotColumn(section, QBrush(highlight.lighter(170)));
}

bool DBGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseMove && m_sortable && isEnabled()) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            setHotTitle(horizontalHeader()->logicalIndexAt(pos));
        } else if (event->type() == QEvent::Leave) {
            setHotTitle(-1);
        }
    }
    return QTableView::eventFilter(watched, event);
}
