#pragma once
// Stable sorting of row numbers by one column. Each row's value is first turned into an unsigned
// key that orders as the values do (text ids into their rank), then the keys are radix-sorted, which
// is stable and does a million rows in a few passes over memory.

#include <QString>
#include <QtGlobal>
#include <vector>

class LookupFields;
class RowStore;
class SnapshotFields;

namespace SnapshotSort {
/// Sorts rows by keys (parallel arrays), stably.
void radixSort(std::vector<quint32>& rows, std::vector<quint32>& keys);
void radixSort(std::vector<quint32>& rows, std::vector<quint64>& keys);

inline quint32 signedKey(qint32 v)
{
    return quint32(v) ^ 0x80000000u;
}
inline quint64 signedKey(qint64 v)
{
    return quint64(v) ^ 0x8000000000000000ull;
}

/// Sorts rows stably: rows without a value first when ascending, last when descending. keyOf(row,
/// key) stores the row's key and returns false when the row has no value. Key is quint32 or quint64.
template <typename Key, typename KeyOf> void sortRows(std::vector<quint32>& rows, bool descending, KeyOf keyOf)
{
    std::vector<quint32> nulls;
    std::vector<quint32> valued;
    std::vector<Key> keys;
    valued.reserve(rows.size());
    keys.reserve(rows.size());
    for (const quint32 row : rows) {
        Key key = 0;
        if (keyOf(row, key)) {
            valued.push_back(row);
            keys.push_back(descending ? Key(~key) : key);
        } else {
            nulls.push_back(row);
        }
    }
    radixSort(valued, keys);
    std::vector<Key>().swap(keys);
    if (descending) {
        valued.insert(valued.end(), nulls.begin(), nulls.end());
        rows.swap(valued);
    } else {
        nulls.insert(nulls.end(), valued.begin(), valued.end());
        rows.swap(nulls);
    }
}
} // namespace SnapshotSort

/// The sort order of a snapshot table: one field, ascending or descending; none keeps reading order.
class SortOrder
{
public:
    QString text() const { return m_text; }
    /// Reads "field", "field ASC" or "field DESC"; throws DbError (the order unchanged) for another text.
    void set(const QString& text, const SnapshotFields& fields);
    /// Sorts stored row numbers (a lookup field by the values it shows).
    void apply(std::vector<quint32>& rows, const RowStore& store, const SnapshotFields& fields,
               const LookupFields& lookups) const;

private:
    QString m_text;
    int m_field = -1;
    bool m_descending = false;
};
