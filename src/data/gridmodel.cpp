#include "gridmodel.h"

#include <algorithm>

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent)
{}

void GridModel::setTable(SnapshotTable* table)
{
    if (table == m_table)
        return;
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_table = table;
    if (table) {
        m_connections << connect(table, &SnapshotTable::rowsReset, this, &GridModel::reload)
                      << connect(table, &SnapshotTable::stateChanged, this, &GridModel::onStateChanged)
                      << connect(table, &SnapshotTable::rowChanged, this, &GridModel::onRowChanged)
                      << connect(table, &SnapshotTable::currentChanged, this, &GridModel::onCurrentChanged)
                      << connect(table, &QObject::destroyed, this, [this] {
                             m_table = nullptr;
                             reload();
                         });
    }
    reload();
}

void GridModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    m_hotColumn = -1;
    resolveColumns();
    endResetModel();
}

void GridModel::setColumnTitle(int column, const QString& title)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].title = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString GridModel::fieldName(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns.at(column).fieldName : QString();
}

void GridModel::setHotColumn(int column, const QVariant& background)
{
    if (column >= m_columns.size())
        column = -1;
    if (column == m_hotColumn)
        return;
    const int old = m_hotColumn;
    m_hotColumn = column;
    m_hotBackground = background;
    if (old >= 0)
        emit headerDataChanged(Qt::Horizontal, old, old);
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

QString GridModel::rowMarker(DataSetState state)
{
    switch (state) {
    case DataSetState::Edit:
        return QStringLiteral("I");
    case DataSetState::Insert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("▶");
    }
}

int GridModel::tableRows() const
{
    return m_table && m_table->active() ? m_table->recordCount() : 0;
}

void GridModel::resolveColumns()
{
    m_fieldIndex.assign(size_t(m_columns.size()), -1);
    m_cellAlignment.assign(size_t(m_columns.size()), Qt::AlignLeft | Qt::AlignVCenter);
    if (!m_table)
        return;
    const std::vector<Field*>& fields = m_table->fields();
    for (int c = 0; c < m_columns.size(); ++c) {
        Field* f = m_table->findField(m_columns.at(c).fieldName);
        const auto it = std::find(fields.begin(), fields.end(), f);
        if (!f || it == fields.end())
            continue;
        m_fieldIndex[size_t(c)] = int(it - fields.begin());
        // Numbers line up on their last digit.
        if (f->isNumeric())
            m_cellAlignment[size_t(c)] = Qt::AlignRight | Qt::AlignVCenter;
    }
}

void GridModel::reload()
{
    beginResetModel();
    resolveColumns();
    m_rowCount = tableRows();
    m_state = m_table ? m_table->state() : DataSetState::Inactive;
    m_currentRow = m_table && m_table->active() ? m_table->recNo() : -1;
    endResetModel();
}

void GridModel::onStateChanged()
{
    // Opening and closing change the rows; the other changes only the marker.
    if (!m_table || tableRows() != m_rowCount || (m_state == DataSetState::Inactive) != !m_table->active()) {
        reload();
        return;
    }
    m_state = m_table->state();
    markerChanged(m_currentRow);
}

void GridModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rowCount || m_columns.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1), {Qt::DisplayRole});
}

void GridModel::onCurrentChanged()
{
    const int old = m_currentRow;
    m_currentRow = m_table && m_table->active() ? m_table->recNo() : -1;
    if (old == m_currentRow)
        return;
    markerChanged(old);
    markerChanged(m_currentRow);
}

void GridModel::markerChanged(int row)
{
    if (row >= 0 && row < m_rowCount)
        emit headerDataChanged(Qt::Vertical, row, row);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    // The columns stay while the table is closed, so that the grid keeps their widths.
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_table || index.row() >= m_rowCount || index.column() >= m_columns.size())
        return QVariant();
    const size_t column = size_t(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        const int fieldIndex = m_fieldIndex[column];
        // The table announces a change after making it: a view asking in between gets nothing.
        if (fieldIndex < 0 || index.row() >= m_table->recordCount())
            return QVariant();
        return m_table->cellText(index.row(), fieldIndex);
    }
    case Qt::TextAlignmentRole:
        return int(m_cellAlignment[column]);
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (section < 0 || section >= m_rowCount)
            return QVariant();
        if (role == Qt::DisplayRole)
            return section == m_currentRow ? rowMarker(m_state) : QString();
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return QVariant();
    }
    if (section < 0 || section >= m_columns.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_columns.at(section).title;
    case Qt::TextAlignmentRole:
        return int(m_columns.at(section).titleAlignment | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return section == m_hotColumn ? m_hotBackground : QVariant();
    default:
        return QVariant();
    }
}
