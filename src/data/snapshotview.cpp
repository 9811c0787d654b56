// Which rows are visible and in what order (master link, filter, sort), and the cells of the
// visible rows as the grid reads them.

#include "dberror.h"
#include "snapshotparts.h"

#include <algorithm>

void SnapshotTable::rebuildVisible(std::optional<quint32> anchor)
{
    std::vector<quint32> rows;
    if (m->link.master()) {
        rows = m->link.rowsFollowing(m->store, m->fields);
    } else {
        rows.reserve(m->store.rowCount());
        for (quint32 r = 0; r < m->store.rowCount(); ++r) {
            if (!m->store.isDeleted(r))
                rows.push_back(r);
        }
    }
    if (const std::optional<RowFilter::Condition> condition = m->filter.applied(m->fields)) {
        rows.erase(std::remove_if(
                       rows.begin(), rows.end(),
                       [&](quint32 r) { return !RowFilter::matches(*condition, m->fields, m->store, m->lookups, r); }),
                   rows.end());
    }
    m->sort.apply(rows, m->store, m->fields, m->lookups);
    m->unfiltered.swap(rows);
    std::vector<quint32>().swap(rows);
    showColumnFiltered(anchor);
}

// The visible rows from the unfiltered ones: all of them, or those the filter boxes choose and the
// rows saved meanwhile.
void SnapshotTable::showColumnFiltered(std::optional<quint32> anchor)
{
    if (m->columnFilters.empty()) {
        m->visible.swap(m->unfiltered);
        std::vector<quint32>().swap(m->unfiltered);
    } else {
        m->visible = m->columnFilters.apply(m->unfiltered, m->fields, m->store, m->lookups, m->savedWhileFiltered);
    }
    m->current = m->visible.empty() ? -1 : 0;
    if (anchor) {
        const auto it = std::find(m->visible.begin(), m->visible.end(), *anchor);
        if (it != m->visible.end())
            m->current = int(it - m->visible.begin());
    }
}

void SnapshotTable::setColumnFilters(std::vector<ColumnFilters::Entry> entries)
{
    if (m->state != DataSetState::Inactive)
        requireBrowse();
    const bool wasEmpty = m->columnFilters.empty();
    if (!m->columnFilters.set(std::move(entries)))
        return;
    m->savedWhileFiltered.clear();
    if (m->state == DataSetState::Inactive)
        return;
    // Without boxes the visible rows are the ones to choose from.
    if (wasEmpty)
        m->unfiltered = m->visible;
    const std::optional<quint32> anchor =
        m->current >= 0 ? std::optional<quint32>(m->visible[size_t(m->current)]) : std::nullopt;
    showColumnFiltered(anchor);
    emit rowsReset();
    notifyCurrent();
}

bool SnapshotTable::columnFiltered() const
{
    return !m->columnFilters.empty();
}

int SnapshotTable::unfilteredCount() const
{
    if (m->columnFilters.empty())
        return recordCount();
    return int(m->unfiltered.size()) + (m->state == DataSetState::Insert ? 1 : 0);
}

// A row just saved: among the rows the boxes choose from (when it meets the table's filter and
// master link) and shown whatever the boxes say, until they change.
void SnapshotTable::keepSavedRow(quint32 row, bool added)
{
    if (m->columnFilters.empty())
        return;
    if (added)
        m->unfiltered.push_back(row);
    const auto at = std::lower_bound(m->savedWhileFiltered.begin(), m->savedWhileFiltered.end(), row);
    if (at == m->savedWhileFiltered.end() || *at != row)
        m->savedWhileFiltered.insert(at, row);
}

// A row no longer visible at all (deleted, or no longer meeting the table's filter).
void SnapshotTable::forgetRow(quint32 row)
{
    if (m->columnFilters.empty())
        return;
    const auto it = std::find(m->unfiltered.begin(), m->unfiltered.end(), row);
    if (it != m->unfiltered.end())
        m->unfiltered.erase(it);
    const auto at = std::lower_bound(m->savedWhileFiltered.begin(), m->savedWhileFiltered.end(), row);
    if (at != m->savedWhileFiltered.end() && *at == row)
        m->savedWhileFiltered.erase(at);
}

void SnapshotTable::rebuildKeepingCurrent()
{
    rebuildVisible(m->current >= 0 ? std::optional<quint32>(m->visible[size_t(m->current)]) : std::nullopt);
    emit rowsReset();
    notifyCurrent();
}

bool SnapshotTable::stillVisible(quint32 row) const
{
    const std::optional<RowFilter::Condition> condition = m->filter.applied(m->fields);
    if (condition && !RowFilter::matches(*condition, m->fields, m->store, m->lookups, row))
        return false;
    return m->link.matches(m->store, m->fields, row);
}

QString SnapshotTable::sort() const
{
    return m->sort.text();
}

void SnapshotTable::setSort(const QString& sortText)
{
    m->sort.set(sortText, m->fields);
    if (m->state == DataSetState::Inactive)
        return;
    std::optional<quint32> anchor;
    const int anchorIndex = m->state == DataSetState::Insert ? m->savedCurrent : m->current;
    if (anchorIndex >= 0 && anchorIndex < int(m->visible.size()))
        anchor = m->visible[size_t(anchorIndex)];
    rebuildVisible(anchor);
    if (m->state == DataSetState::Insert) {
        m->savedCurrent = m->current;
        m->current = int(m->visible.size());
    }
    emit rowsReset();
    emit currentChanged();
}

QString SnapshotTable::filter() const
{
    return m->filter.text();
}

void SnapshotTable::setFilter(const QString& expression)
{
    const QString previous = m->filter.text();
    m->filter.setText(expression);
    if (m->state == DataSetState::Inactive || !m->filter.on())
        return;
    try {
        requireBrowse();
        m->filter.parse(m->fields);
    } catch (...) {
        m->filter.setText(previous);
        throw;
    }
    rebuildKeepingCurrent();
}

bool SnapshotTable::filtered() const
{
    return m->filter.on();
}

void SnapshotTable::setFiltered(bool on)
{
    if (on == m->filter.on())
        return;
    if (m->state != DataSetState::Inactive) {
        requireBrowse();
        if (on)
            m->filter.parse(m->fields);
    }
    m->filter.setOn(on);
    if (m->state != DataSetState::Inactive)
        rebuildKeepingCurrent();
}

void SnapshotTable::setMaster(SnapshotTable* master, const QString& masterField, const QString& detailField)
{
    detachFromMaster();
    std::vector<QMetaObject::Connection> connections;
    if (master) {
        connections.push_back(connect(master, &SnapshotTable::currentChanged, this, [this] { followMaster(); }));
        connections.push_back(connect(master, &SnapshotTable::rowsReset, this, [this] { followMaster(); }));
        // A typed master key takes the detail rows with it, as the master's value is what they follow.
        connections.push_back(connect(master, &SnapshotTable::rowChanged, this, [this] { followMaster(); }));
        master->m->details.push_back(this);
    }
    m->link.setMaster(master, std::move(connections));
    m->link.setMasterField(masterField);
    m->link.setDetailField(detailField);
    followMaster();
}

void SnapshotTable::detachFromMaster()
{
    if (SnapshotTable* master = m->link.release()) {
        auto& list = master->m->details;
        list.erase(std::remove(list.begin(), list.end(), QPointer<SnapshotTable>(this)), list.end());
    }
}

QString SnapshotTable::masterFields() const
{
    return m->link.masterField();
}

void SnapshotTable::setMasterFields(const QString& fields)
{
    m->link.setMasterField(fields);
    followMaster();
}

QString SnapshotTable::indexFieldNames() const
{
    return m->link.detailField();
}

void SnapshotTable::setIndexFieldNames(const QString& fields)
{
    m->link.setDetailField(fields);
    followMaster();
}

void SnapshotTable::followMaster()
{
    if (m->state == DataSetState::Inactive)
        return;
    if (m->editing()) {
        m->link.setPending();
        return;
    }
    // The master reports both a reset and a move for one change; the rows follow its value only.
    if (!m->link.choose(m->link.masterValue(m->fields)))
        return;
    rebuildVisible(std::nullopt);
    emit rowsReset();
    notifyCurrent();
}

QVariant SnapshotTable::cellValue(int row, int fieldIndex) const
{
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= m->fields.count())
        return QVariant();
    return SnapshotValue::toVariant(rowValue(row, fieldIndex), m->fields.type(fieldIndex));
}

QString SnapshotTable::cellText(int row, int fieldIndex) const
{
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= m->fields.count())
        return QString();
    if (bufferRow(row))
        return SnapshotValue::toText(rowValue(row, fieldIndex), m->fields.type(fieldIndex));
    const int col = m->fields.column(fieldIndex);
    if (col >= 0)
        return m->store.cellText(col, m->visible[size_t(row)]);
    return m->lookups.textOfStored(fieldIndex, m->visible[size_t(row)]);
}

CellValue SnapshotTable::rowValue(int row, int field) const
{
    const int col = m->fields.column(field);
    if (col >= 0)
        return bufferRow(row) ? m->buffer[size_t(col)] : m->store.cell(col, m->visible[size_t(row)]);
    if (bufferRow(row)) {
        const int key = m->lookups.keyField(field);
        if (key < 0)
            return CellValue();
        return m->lookups.result(field, m->lookups.rowOfValue(field, m->buffer[size_t(m->fields.column(key))]));
    }
    return m->lookups.result(field, m->lookups.rowOfStored(field, m->visible[size_t(row)]));
}
