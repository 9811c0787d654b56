#include "snapshotsort.h"
#include "platform/messages.h"

#include "dberror.h"
#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshotlookup.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {
template <typename Key> void lsdRadixSort(std::vector<quint32>& rows, std::vector<Key>& keys)
{
    const size_t n = rows.size();
    if (n < 2)
        return;
    if (n < 64) {
        std::vector<size_t> order(n);
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
        std::vector<quint32> r(n);
        std::vector<Key> k(n);
        for (size_t i = 0; i < n; ++i) {
            r[i] = rows[order[i]];
            k[i] = keys[order[i]];
        }
        rows.swap(r);
        keys.swap(k);
        return;
    }
    constexpr int passes = int(sizeof(Key));
    std::vector<std::array<size_t, 256>> counts(passes);
    for (auto& c : counts)
        c.fill(0);
    for (const Key key : keys) {
        for (int p = 0; p < passes; ++p)
            ++counts[p][(key >> (8 * p)) & 0xFF];
    }
    std::vector<quint32> rowsOut(n);
    std::vector<Key> keysOut(n);
    for (int p = 0; p < passes; ++p) {
        std::array<size_t, 256>& c = counts[p];
        // A byte that is the same in every key leaves the order as it is.
        if (std::find(c.begin(), c.end(), n) != c.end())
            continue;
        size_t sum = 0;
        for (size_t& v : c) {
            const size_t count = v;
            v = sum;
            sum += count;
        }
        const int shift = 8 * p;
        for (size_t i = 0; i < n; ++i) {
            const size_t dest = c[(keys[i] >> shift) & 0xFF]++;
            rowsOut[dest] = rows[i];
            keysOut[dest] = keys[i];
        }
        rows.swap(rowsOut);
        keys.swap(keysOut);
    }
}
} // namespace

void SnapshotSort::radixSort(std::vector<quint32>& rows, std::vector<quint32>& keys)
{
    lsdRadixSort(rows, keys);
}

void SnapshotSort::radixSort(std::vector<quint32>& rows, std::vector<quint64>& keys)
{
    lsdRadixSort(rows, keys);
}

void SortOrder::set(const QString& text, const SnapshotFields& fields)
{
    const QStringList parts = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int field = -1;
    bool descending = false;
    if (!parts.isEmpty()) {
        field = fields.indexByName(parts[0]);
        if (field < 0)
            throw DbError(Msg::fieldNotFound(parts[0]));
        if (parts.size() > 2
            || (parts.size() == 2 && parts[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0
                && parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) != 0))
            throw DbError(Msg::invalidSortOrder(text));
        descending = parts.size() == 2 && parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    }
    m_text = text;
    m_field = field;
    m_descending = descending;
}

void SortOrder::apply(std::vector<quint32>& rows, const RowStore& store, const SnapshotFields& fields,
                      const LookupFields& lookups) const
{
    if (m_field < 0 || rows.size() < 2)
        return;
    const RowStore* source = &store;
    int col = fields.column(m_field);
    const bool lookup = col < 0;
    if (lookup && !lookups.resultSource(m_field, source, col))
        return;
    // The row of source that holds a row's value: itself, or its lookup row.
    const auto sourceRow = [&](quint32 row) -> qint64 {
        return lookup ? lookups.rowOfStored(m_field, row) : qint64(row);
    };
    const RowStore& s = *source;
    const FieldType type = s.type(col);
    if (type == FieldType::Text) {
        const std::vector<quint32>& ranks = s.pool(col).ranks();
        SnapshotSort::sortRows<quint32>(rows, m_descending, [&](quint32 row, quint32& key) {
            const qint64 r = sourceRow(row);
            if (r < 0 || s.isNull(col, quint32(r)))
                return false;
            key = ranks[s.textId(col, quint32(r))];
            return true;
        });
    } else if (SnapshotValue::isNarrow(type)) {
        SnapshotSort::sortRows<quint32>(rows, m_descending, [&](quint32 row, quint32& key) {
            const qint64 r = sourceRow(row);
            if (r < 0 || s.isNull(col, quint32(r)))
                return false;
            key = SnapshotSort::signedKey(qint32(s.number(col, quint32(r))));
            return true;
        });
    } else {
        SnapshotSort::sortRows<quint64>(rows, m_descending, [&](quint32 row, quint64& key) {
            const qint64 r = sourceRow(row);
            if (r < 0 || s.isNull(col, quint32(r)))
                return false;
            key = SnapshotSort::signedKey(s.number(col, quint32(r)));
            return true;
        });
    }
}
