#pragma once
// The rows of a snapshot table as a grid shows them: one column per declared column definition,
// cells read straight from the snapshot on demand, a marker on the current row in the row
// indicator (the vertical header), and nothing held per row. An item model needs Qt Core only, so it
// lives beside the table it reads.

#include "data/snapshottable.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QVariant>
#include <vector>

/// One column of a grid: the field it shows, its title, its width and how its title is aligned.
struct GridColumn {
    QString fieldName;
    QString title;
    int width = 0; ///< pixels; 0 leaves the grid's default width
    Qt::Alignment titleAlignment = Qt::AlignCenter;
};

class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(QObject* parent = nullptr);

    SnapshotTable* table() const { return m_table; }
    void setTable(SnapshotTable* table);
    const QList<GridColumn>& columns() const { return m_columns; }
    void setColumns(const QList<GridColumn>& columns);
    /// Changes the title of a column (a translation).
    void setColumnTitle(int column, const QString& title);
    /// The field name of a column, or an empty text.
    QString fieldName(int column) const;

    /// The title shown highlighted (the one under the mouse in a grid that sorts); -1 for none.
    void setHotColumn(int column, const QVariant& background);
    int hotColumn() const { return m_hotColumn; }

    /// The marker of the current row in the row indicator, by edit state.
    static QString rowMarker(DataSetState state);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void reload();
    void resolveColumns();
    void onStateChanged();
    void onRowChanged(int row);
    void onCurrentChanged();
    void markerChanged(int row);
    int tableRows() const;

    QPointer<SnapshotTable> m_table;
    QList<QMetaObject::Connection> m_connections;
    QList<GridColumn> m_columns;
    std::vector<int> m_fieldIndex;              ///< per column; -1 when the table has no such field
    std::vector<Qt::Alignment> m_cellAlignment; ///< per column, from the field's type
    int m_rowCount = 0;
    int m_currentRow = -1;
    DataSetState m_state = DataSetState::Inactive;
    int m_hotColumn = -1;
    QVariant m_hotBackground; // a brush, given by the grid
};
