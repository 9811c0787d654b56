#pragma once
// The read-only grid of a record window: the rows of a table, one line each, with a row indicator
// at the left that marks the current row. The grid's selection and the table's current row move
// together: a click in the grid makes that row current, and a move of the table selects its row.

#include "gridmodel.h"

#include <QPointer>
#include <QTableView>

class DataSource;
class GridFindBar;
class QMenu;

class DBGrid : public QTableView
{
    Q_OBJECT
    // The column titles for the translation tables: "Columns[0].Title.Caption".
    Q_PROPERTY(QVariantList Columns READ columnObjects)

public:
    explicit DBGrid(QWidget* parent = nullptr);

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
    /// The export menu (right click, Ctrl+E) at a point of the grid's viewport.
    void showExportMenu(const QPoint& viewportPos);

signals:
    /// A column title was clicked in a sortable, enabled grid.
    void titleClick(const QString& fieldName);
    /// The grid's menu is about to pop up: a window may add its own items.
    void menuAboutToShow(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void followTable();
    void onCurrentRowChanged(const QModelIndex& current);
    void onTitleClicked(int section);
    void applyColumnWidths();
    void updateRowHeight();
    void setHotTitle(int section);

    GridModel* m_model;
    QPointer<DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
    bool m_following = false;
    bool m_sortable = false;
    bool m_columnsResizable = false;
    GridFindBar* m_findBar = nullptr;
    QList<QObject*> m_columnObjects;
};
