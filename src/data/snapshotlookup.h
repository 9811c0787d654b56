#pragma once
// Lookup fields show a value of another table: the result field of the row of the lookup table
// whose key equals this row's key field. Both sides keep an index: the lookup table maps key values
// to its rows (KeyIndex), and this table remembers per lookup field the resolved columns and, for a
// text key, the lookup row of each text of its key column (LookupFields).

#include "snapshotvalue.h"

#include <QString>
#include <map>
#include <unordered_map>
#include <vector>

class RowStore;
class SnapshotFields;
class SnapshotTable;

/// As a lookup table: from a key column's values to the first row holding each, built on first use
/// and again whenever the rows' version changes.
class KeyIndex
{
public:
    /// The first row whose column holds key; -1 when none.
    qint64 find(const RowStore& store, quint64 version, int column, const CellValue& key);
    /// The first row whose text column holds the text of id; -1 when none.
    qint64 findTextId(const RowStore& store, quint64 version, int column, quint32 id);
    void clear() { m_columns.clear(); }

private:
    struct Column {
        quint64 version = ~quint64(0);
        std::vector<qint32> byTextId;
        std::unordered_map<qint64, quint32> byNumber;
    };
    std::map<int, Column> m_columns;
};

/// The lookup fields of one table, resolved against their lookup tables' public interface.
class LookupFields
{
public:
    LookupFields(const SnapshotFields& fields, const RowStore& store)
        : m_fields(fields)
        , m_store(store)
    {}

    void clear() { m_caches.clear(); }
    /// The key field (of this table) of a lookup field whose lookup can be read now; -1 otherwise.
    int keyField(int field) const;
    /// The lookup table's row for a stored row of this table; -1 when there is none.
    qint64 rowOfStored(int field, quint32 row) const;
    /// The lookup table's row for a value of the key field; -1 when there is none.
    qint64 rowOfValue(int field, const CellValue& key) const;
    /// The field's value from a row of the lookup table (no value for -1).
    CellValue result(int field, qint64 lookupRow) const;
    /// The field's text for a stored row of this table, read straight from the lookup table's column.
    QString textOfStored(int field, quint32 row) const;
    /// The lookup table's rows and result column, for sorting by a lookup field; false when the
    /// lookup cannot be read now.
    bool resultSource(int field, const RowStore*& store, int& column) const;
    /// Where a lookup field's values come from: the lookup table, the key field of this table, and
    /// the lookup table's key and result columns.
    struct Source {
        const SnapshotTable* table = nullptr;
        int keyField = -1;
        int lookupColumn = -1;
        int resultColumn = -1;
    };
    /// False when the lookup cannot be read now.
    bool source(int field, Source& out) const;

private:
    struct Cache {
        SnapshotTable* table = nullptr;
        quint64 version = ~quint64(0);
        QString keyName, lookupKeyName, resultName;
        int keyField = -1;
        int lookupColumn = -1;
        int resultColumn = -1;
        std::vector<qint32> byTextId; ///< by text id of the key column: the lookup row, -2 not yet known
        bool valid() const { return keyField >= 0 && lookupColumn >= 0 && resultColumn >= 0; }
    };
    Cache* cache(int field) const;
    qint64 rowOfStored(Cache& cache, quint32 row) const;

    const SnapshotFields& m_fields;
    const RowStore& m_store;
    mutable std::map<int, Cache> m_caches;
};
