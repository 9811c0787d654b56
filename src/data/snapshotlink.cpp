#include "snapshotlink.h"

#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshottable.h"

#include <algorithm>

namespace {
// The index key of a stored cell: the number, or the text id for a text column.
qint64 keyOf(const RowStore& store, int column, quint32 row)
{
    return store.type(column) == FieldType::Text ? qint64(store.textId(column, row)) : store.number(column, row);
}
} // namespace

void MasterLink::setMaster(SnapshotTable* master, std::vector<QMetaObject::Connection> connections)
{
    m_master = master;
    m_connections = std::move(connections);
    m_indexBuilt = false;
    m_chosen = false;
}

SnapshotTable* MasterLink::release()
{
    for (const QMetaObject::Connection& c : m_connections)
        QObject::disconnect(c);
    m_connections.clear();
    SnapshotTable* master = m_master;
    m_master = nullptr;
    return master;
}

void MasterLink::setMasterField(const QString& name)
{
    m_masterField = name.trimmed();
    m_chosen = false;
}

void MasterLink::setDetailField(const QString& name)
{
    m_detailField = name.trimmed();
    m_indexBuilt = false;
    m_chosen = false;
}

std::optional<CellValue> MasterLink::masterValue(const SnapshotFields& fields) const
{
    if (!m_master || !m_master->active())
        return std::nullopt;
    const int masterIndex = m_master->fieldIndexByName(m_masterField);
    const int detailIndex = fields.indexByName(m_detailField);
    if (masterIndex < 0 || detailIndex < 0)
        return std::nullopt;
    if (!m_master->editing() && m_master->recNo() < 0)
        return std::nullopt;
    return SnapshotValue::convert(m_master->currentValue(masterIndex), m_master->fields()[size_t(masterIndex)]->type(),
                                  fields.type(detailIndex));
}

bool MasterLink::matches(const RowStore& store, const SnapshotFields& fields, quint32 row) const
{
    if (!m_master)
        return true;
    const std::optional<CellValue> value = masterValue(fields);
    const int column = fields.columnByName(m_detailField);
    if (!value || value->null || column < 0)
        return false;
    return store.holds(column, row, *value);
}

std::vector<quint32> MasterLink::rowsFollowing(const RowStore& store, const SnapshotFields& fields)
{
    const std::optional<CellValue> value = masterValue(fields);
    const int column = fields.columnByName(m_detailField);
    if (!value || value->null || column < 0)
        return {};
    ensureIndex(store, column);
    qint64 key = value->number;
    if (store.type(column) == FieldType::Text) {
        const quint32 id = store.pool(column).find(value->text);
        if (id == TextPool::kNone)
            return {};
        key = qint64(id);
    }
    const auto it = m_index.find(key);
    return it == m_index.end() ? std::vector<quint32>() : it->second;
}

void MasterLink::ensureIndex(const RowStore& store, int column)
{
    if (m_indexBuilt && m_indexColumn == column)
        return;
    m_index.clear();
    m_indexColumn = column;
    m_indexBuilt = true;
    for (quint32 r = 0; r < store.rowCount(); ++r) {
        if (!store.isDeleted(r) && !store.isNull(column, r))
            m_index[keyOf(store, column, r)].push_back(r);
    }
}

void MasterLink::indexAdd(const RowStore& store, quint32 row)
{
    if (!m_indexBuilt || m_indexColumn < 0 || store.isNull(m_indexColumn, row))
        return;
    std::vector<quint32>& bucket = m_index[keyOf(store, m_indexColumn, row)];
    bucket.insert(std::upper_bound(bucket.begin(), bucket.end(), row), row);
}

void MasterLink::indexRemove(const RowStore& store, quint32 row)
{
    if (!m_indexBuilt || m_indexColumn < 0 || store.isNull(m_indexColumn, row))
        return;
    const auto it = m_index.find(keyOf(store, m_indexColumn, row));
    if (it == m_index.end())
        return;
    std::vector<quint32>& bucket = it->second;
    const auto pos = std::lower_bound(bucket.begin(), bucket.end(), row);
    if (pos != bucket.end() && *pos == row)
        bucket.erase(pos);
}

bool MasterLink::choose(const std::optional<CellValue>& value)
{
    if (m_chosen && m_chosenValue == value)
        return false;
    m_chosen = true;
    m_chosenValue = value;
    return true;
}

bool MasterLink::takePending()
{
    const bool pending = m_pending;
    m_pending = false;
    return pending;
}

void MasterLink::reset()
{
    m_pending = false;
    m_chosen = false;
    m_index.clear();
    m_indexBuilt = false;
}
