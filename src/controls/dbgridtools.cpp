// The grid's tools beyond showing rows: the filter row and its count, the context and column
// menus, copying rows, and the remembered layout.

#include "dbgrid.h"

#include "data/datasource.h"
#include "gridcopy.h"
#include "gridexport.h"
#include "gridheader.h"
#include "gridtooltexts.h"
#include "ui/guard.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>
#include <set>

bool DBGrid::filterRowShown() const
{
    return m_header->filterRowShown();
}

void DBGrid::setFilterRowShown(bool shown)
{
    m_header->setFilterRowShown(shown);
    if (!shown)
        return;
    // The box of the current column, or of the leftmost shown one.
    const QList<int> shownList = shownColumns();
    int column = currentIndex().isValid() ? currentIndex().column() : -1;
    if (!shownList.contains(column))
        column = shownList.isEmpty() ? -1 : shownList.first();
    if (QLineEdit* box = m_header->filterBox(column))
        box->setFocus(Qt::ShortcutFocusReason);
}

QList<int> DBGrid::shownColumns() const
{
    QList<int> columns;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (logical >= 0 && logical < m_model->columnCount() && !m_header->isSectionHidden(logical))
            columns << logical;
    }
    return columns;
}

void DBGrid::applyFilters()
{
    SnapshotTable* t = table();
    if (!t)
        return;
    const QStringList texts = m_header->filterTexts();
    std::vector<ColumnFilters::Entry> entries;
    for (int c = 0; c < texts.size(); ++c) {
        if (texts.at(c).trimmed().isEmpty())
            continue;
        const int field = t->fieldIndexByName(m_model->fieldName(c));
        if (field >= 0)
            entries.push_back({field, ColumnTest::parse(texts.at(c), t->fields()[size_t(field)]->type())});
    }
    t->setColumnFilters(std::move(entries));
    showFilterCount();
}

void DBGrid::showFilterCount()
{
    SnapshotTable* t = table();
    if (!filterRowShown() || !t) {
        delete m_filterCount;
        return;
    }
    if (!m_filterCount) {
        // In the status bar of the window the grid is in.
        QStatusBar* bar = nullptr;
        for (QWidget* w = parentWidget(); w && !bar; w = w->parentWidget())
            bar = w->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
        if (!bar)
            return;
        m_filterCount = new QLabel(bar);
        m_filterCount->setObjectName(QStringLiteral("lblFilterCount"));
        bar->addPermanentWidget(m_filterCount);
    }
    m_filterCount->setText(GridToolTexts::text("lblFilterCount")
                               .arg(t->active() ? t->recordCount() : 0)
                               .arg(t->active() ? t->unfilteredCount() : 0));
    m_filterCount->show();
}

void DBGrid::addMenuAction(QAction* action)
{
    if (action && !m_menuActions.contains(action))
        m_menuActions.append(action);
}

QMenu* DBGrid::makeContextMenu(QWidget* parent, int row)
{
    m_contextRow = row == -2 ? currentIndex().row() : row;
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("mnuGrid"));
    QAction* filter = menu->addAction(GridToolTexts::text("mitFilter"));
    filter->setObjectName(QStringLiteral("mitFilter"));
    filter->setCheckable(true);
    filter->setChecked(filterRowShown());
    filter->setShortcut(QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_F));
    const QPointer<DBGrid> self(this);
    connect(filter, &QAction::triggered, menu, [self] {
        if (self)
            self->setFilterRowShown(!self->filterRowShown());
    });
    GridExport::addExportActions(menu, this);
    QAction* copy = menu->addAction(GridToolTexts::text("mitCopy"));
    copy->setObjectName(QStringLiteral("mitCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(table() && table()->active() && table()->recordCount() > 0);
    connect(copy, &QAction::triggered, menu, [self] {
        if (self)
            guarded([&] { self->copySelection(); });
    });
    bool separated = false;
    for (const QPointer<QAction>& action : std::as_const(m_menuActions)) {
        if (!action)
            continue;
        if (!separated)
            menu->addSeparator();
        separated = true;
        menu->addAction(action);
    }
    emit contextMenuAboutToShow(menu);
    return menu;
}

bool DBGrid::replaceClosedMenus(const QString& name)
{
    // One menu of a kind at a time: the Menu key may also arrive as a context-menu event.
    const QList<QMenu*> menus = findChildren<QMenu*>(name, Qt::FindDirectChildrenOnly);
    for (QMenu* open : menus) {
        if (open->isVisible())
            return false;
    }
    // The menu closed before lives until the next one opens, not until it closes: an item's
    // handler may open the system's file dialog, whose own message loop (Windows) would
    // otherwise delete the menu while the menu is still running that handler.
    qDeleteAll(menus);
    return true;
}

void DBGrid::showContextMenu(const QPoint& viewportPos, bool byKeyboard)
{
    if (!replaceClosedMenus(QStringLiteral("mnuGrid")))
        return;
    const QModelIndex under = byKeyboard ? currentIndex() : indexAt(viewportPos);
    QMenu* menu = makeContextMenu(this, under.isValid() ? under.row() : -1);
    menu->popup(viewport()->mapToGlobal(viewportPos));
    // Opened by keyboard, Return takes the first item at once.
    if (byKeyboard && !menu->actions().isEmpty())
        menu->setActiveAction(menu->actions().first());
}

QMenu* DBGrid::makeColumnMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("mnuColumns"));
    const int shownCount = int(shownColumns().size());
    const QPointer<DBGrid> self(this);
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        QAction* item = menu->addAction(m_model->headerData(logical, Qt::Horizontal).toString());
        item->setObjectName(QStringLiteral("mitColumn%1").arg(logical));
        item->setCheckable(true);
        const bool shown = !m_header->isSectionHidden(logical);
        item->setChecked(shown);
        // The last shown column stays.
        item->setEnabled(!(shown && shownCount == 1));
        connect(item, &QAction::toggled, menu, [self, logical](bool on) {
            if (!self || (!on && self->shownColumns().size() <= 1))
                return;
            self->m_header->setSectionHidden(logical, !on);
            // A hidden column filters nothing.
            if (!on)
                self->m_header->clearFilterBox(logical);
            self->layoutChanged();
        });
    }
    menu->addSeparator();
    QAction* restore = menu->addAction(GridToolTexts::text("mitRestoreColumns"));
    restore->setObjectName(QStringLiteral("mitRestoreColumns"));
    connect(restore, &QAction::triggered, menu, [self] {
        if (self)
            self->restoreDefaultColumns();
    });
    return menu;
}

void DBGrid::copySelection()
{
    std::set<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && currentIndex().isValid())
        rows.insert(currentIndex().row());
    if (rows.empty())
        return;
    const QList<int> columns = shownColumns();
    QStringList titles;
    for (const int c : columns)
        titles << m_model->headerData(c, Qt::Horizontal).toString();
    QList<QStringList> lines;
    for (const int row : rows) {
        QStringList cells;
        // The shown texts: numbers as digits alone, dates as the grid writes them.
        for (const int c : columns)
            cells << m_model->data(m_model->index(row, c)).toString();
        lines << cells;
    }
    QApplication::clipboard()->setMimeData(GridCopy::mimeData(titles, lines));
}

void DBGrid::restoreDefaultColumns()
{
    {
        const QScopedValueRollback<bool> restoring(m_restoringLayout, true);
        for (int logical = 0; logical < m_header->count(); ++logical) {
            m_header->setSectionHidden(logical, false);
            m_header->moveSection(m_header->visualIndex(logical), logical);
            const int width = m_model->columns().at(logical).width;
            m_header->resizeSection(logical, width > 0 ? width : m_header->defaultSectionSize());
        }
    }
    layoutChanged();
}

QString DBGrid::layoutKey() const
{
    if (objectName().isEmpty())
        return QString();
    for (const QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (w->objectName().startsWith(QLatin1String("frm")))
            return w->objectName() + QLatin1Char('.') + objectName();
    }
    return QString();
}

GridLayout DBGrid::currentLayout() const
{
    GridLayout layout;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        const QString name = m_model->fieldName(logical);
        layout.order << name;
        if (m_header->isSectionHidden(logical))
            layout.hidden << name;
        else
            layout.widths.append({name, m_header->sectionSize(logical)});
    }
    if (m_sortable && table())
        layout.sort = table()->sort();
    return layout;
}

void DBGrid::layoutChanged()
{
    if (m_layoutRestored && !m_restoringLayout && !layoutKey().isEmpty())
        m_layoutTimer->start();
}

void DBGrid::saveLayout()
{
    m_layoutTimer->stop();
    const QString key = layoutKey();
    if (!key.isEmpty())
        GridLayout::write(key, currentLayout());
}

void DBGrid::restoreLayout()
{
    const QString key = layoutKey();
    if (key.isEmpty())
        return;
    const GridLayout layout = GridLayout::read(key);
    if (layout.isEmpty())
        return;
    const QScopedValueRollback<bool> restoring(m_restoringLayout, true);
    const auto columnOf = [this](const QString& name) {
        for (int c = 0; c < m_model->columnCount(); ++c) {
            if (m_model->fieldName(c).compare(name, Qt::CaseInsensitive) == 0)
                return c;
        }
        return -1;
    };
    // Names the grid no longer has are passed over.
    int visual = 0;
    for (const QString& name : layout.order) {
        const int logical = columnOf(name);
        if (logical >= 0)
            m_header->moveSection(m_header->visualIndex(logical), visual++);
    }
    for (const QString& name : layout.hidden) {
        const int logical = columnOf(name);
        if (logical >= 0 && shownColumns().size() > 1)
            m_header->setSectionHidden(logical, true);
    }
    if (m_columnsResizable) {
        for (const auto& [name, width] : layout.widths) {
            const int logical = columnOf(name);
            if (logical >= 0)
                m_header->resizeSection(logical, width);
        }
    }
    SnapshotTable* t = table();
    const QString sortField = layout.sort.section(QLatin1Char(' '), 0, 0);
    const bool sortForm =
        layout.sort == sortField + QLatin1String(" ASC") || layout.sort == sortField + QLatin1String(" DESC");
    if (m_sortable && t && t->active() && !t->editing() && sortForm && columnOf(sortField) >= 0
        && t->findField(sortField)) {
        t->setSort(layout.sort);
        if (t->recordCount() > 0)
            t->setRecNo(0);
    }
}
