#pragma once
// The read-only grid of a record window: the rows of a table, one line each, with a row indicator
// at the left that marks the current row. The grid's selection and the table's current row move
// together: a click in the grid makes that row current, and a move of the table selects its row.
// Shift and Ctrl with a click or the arrows select several rows (Ctrl+C copies them); the current
// row stays the one with the indicator.
//
// Every grid offers its tools: the find bar (Ctrl+F), the filter row (Ctrl+Shift+F), the context
// menu (right click, the Menu key, Shift+F10) with the filter, export and copy and any items the
// window adds, the column menu on the title row (shown columns, the built layout back), titles
// dragged to reorder the columns, and a layout remembered per window and grid (gridlayout.h).

#include "gridlayout.h"
#include "data/gridmodel.h"

#include <QPointer>
#include <QTableView>

class DataSource;
class GridFindBar;
class GridHeader;
class QLabel;
class QMenu;
class QTimer;

class DBGrid : public QTableView
{
    Q_OBJECT
    // The column titles for the translation tables: "Columns[0].Title.Caption".
    Q_PROPERTY(QVariantList Columns READ columnObjects)

public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    SnapshotTable* table() const;
    GridModel* gridModel() const { return m_model; }

    /// The columns in order, with their titles, widths and title alignments.
    void setColumns(const QList<GridColumn>& columns);

    /// A grid that sorts reports clicks on its titles (titleClick) and highlights the title under
    /// the mouse; in any other grid a title click does nothing. Off by default.
    bool sortable() const { return m_sortable; }
    void setSortable(bool on);
    /// Whole rows are selected by default; off, single cells are.
    bool wholeRowSelection() const;
    void setWholeRowSelection(bool on);
    /// Whether the user may drag column borders; off by default.
    bool columnsResizable() const;
    void setColumnsResizable(bool on);
    /// The font of the cells (titles keep 16 pixels); rows take their height from it.
    void setCellFont(const QFont& font);

    /// One object per column whose Title.Caption is the column's title, for the translation tables.
    QVariantList columnObjects() const;

    /// The find bar under the grid (Ctrl+F), made and placed on first use.
    GridFindBar* findBar();
    /// The export menu (Ctrl+E) at a point of the grid's viewport.
    void showExportMenu(const QPoint& viewportPos);

    /// The title row, with the filter row under it.
    GridHeader* titleBar() const { return m_header; }
    /// Shows or hides the filter row (Ctrl+Shift+F); hiding it clears every box and shows every row.
    bool filterRowShown() const;
    void setFilterRowShown(bool shown);
    /// The shown columns (model columns), leftmost first: what export, find and copy take.
    QList<int> shownColumns() const;

    /// Adds a window's own item at the end of the context menu, after the grid's items and a
    /// separator, in the order added. The action stays the window's; the grid only shows it.
    void addMenuAction(QAction* action);
    /// The context menu as it pops up now (the grid's items, then the window's), owned by parent,
    /// for row (-1: no row; by default the current row).
    QMenu* makeContextMenu(QWidget* parent, int row = -2);
    /// The row the context menu being made is for (under the mouse, or the current row when opened
    /// by keyboard); -1 when it is for no row. Read it in contextMenuAboutToShow.
    int contextRow() const { return m_contextRow; }
    /// Pops the context menu up at a point of the viewport; by keyboard its first item is highlighted.
    void showContextMenu(const QPoint& viewportPos, bool byKeyboard);
    /// The column menu of the title row at a point of the header.
    QMenu* makeColumnMenu(QWidget* parent);

    /// Copies the selected rows (the current one when none is selected) with the titles.
    void copySelection();
    /// The columns back as built: order, widths, every one shown.
    void restoreDefaultColumns();
    /// The name the layout is kept under: the window's and the grid's ("frmStudent.grdStudent");
    /// empty for a grid outside a named window.
    QString layoutKey() const;
    /// Stores the layout now (it is stored a moment after each change, and when the grid goes).
    void saveLayout();

signals:
    /// A column title was clicked in a sortable, enabled grid.
    void titleClick(const QString& fieldName);
    /// The context menu is about to pop up: a window may enable or disable its items.
    void contextMenuAboutToShow(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void followTable();
    void onCurrentRowChanged(const QModelIndex& current);
    void onTitleClicked(int section);
    void applyColumnWidths();
    void updateRowHeight();
    void setHotTitle(int section);
    // dbgridtools.cpp
    /// Deletes the closed menus named `name` (so one lives until the next opens); false, deleting
    /// nothing, while one of them is still open.
    bool replaceClosedMenus(const QString& name);
    void applyFilters();
    void showFilterCount();
    void restoreLayout();
    void layoutChanged();
    GridLayout currentLayout() const;

    GridModel* m_model;
    QPointer<DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
    bool m_following = false;
    bool m_sortable = false;
    bool m_columnsResizable = false;
    GridFindBar* m_findBar = nullptr;
    QList<QObject*> m_columnObjects;
    GridHeader* m_header;
    QPointer<QLabel> m_filterCount;
    QList<QPointer<QAction>> m_menuActions;
    int m_contextRow = -1;
    QTimer* m_layoutTimer;
    bool m_layoutRestored = false;
    bool m_restoringLayout = false;
};
