#pragma once
// The detail side of a master/detail pair: the master table and the two fields, the master value
// the visible rows were last chosen by, and an index from the detail field's values to the rows
// holding them, so that following the master does not scan the whole table.

#include "snapshotvalue.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <optional>
#include <unordered_map>
#include <vector>

class RowStore;
class SnapshotFields;
class SnapshotTable;

class MasterLink
{
public:
    SnapshotTable* master() const { return m_master; }
    /// Follows master through the given connections to its signals (dropped by release()).
    void setMaster(SnapshotTable* master, std::vector<QMetaObject::Connection> connections);
    /// Drops the connections and returns the master that was followed.
    SnapshotTable* release();

    QString masterField() const { return m_masterField; }
    void setMasterField(const QString& name);
    QString detailField() const { return m_detailField; }
    void setDetailField(const QString& name);

    /// The master's current value of the master field, as the detail field holds it; nullopt when the
    /// master is closed, has no current row, or one of the fields is unknown.
    std::optional<CellValue> masterValue(const SnapshotFields& fields) const;
    /// True when the stored row follows the master's current value (always without a master).
    bool matches(const RowStore& store, const SnapshotFields& fields, quint32 row) const;
    /// The stored rows following the master's current value, in stored order.
    std::vector<quint32> rowsFollowing(const RowStore& store, const SnapshotFields& fields);

    /// Keep the index up to date when a row is added or is about to change or go.
    void indexAdd(const RowStore& store, quint32 row);
    void indexRemove(const RowStore& store, quint32 row);

    /// Records the value the rows are now chosen by; false when they already were chosen by it.
    bool choose(const std::optional<CellValue>& value);
    /// The next choose() chooses again, whatever the value.
    void forgetChoice() { m_chosen = false; }
    /// The master moved while this table was editing: it is followed once the editing ends.
    void setPending() { m_pending = true; }
    bool takePending();
    /// Closed: nothing chosen, nothing pending, no index.
    void reset();

private:
    void ensureIndex(const RowStore& store, int column);

    QPointer<SnapshotTable> m_master;
    std::vector<QMetaObject::Connection> m_connections;
    QString m_masterField;
    QString m_detailField;
    bool m_pending = false;
    bool m_chosen = false;
    std::optional<CellValue> m_chosenValue;
    bool m_indexBuilt = false;
    int m_indexColumn = -1;
    std::unordered_map<qint64, std::vector<quint32>> m_index;
};
