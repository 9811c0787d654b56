// Finding a text in the shown cells of the visible rows. Each searched field gets a matcher made
// once per search (cellmatch.h), so that a scan over a million rows costs a few lookups per cell; a
// lookup field first finds the rows of its lookup table whose result holds the text, and then only
// compares each row's key with their keys (nothing to compare: the field is skipped).

#include "cellmatch.h"
#include "snapshotparts.h"

#include <algorithm>

using CellMatch::ColumnMatch;
using CellMatch::Needle;

SnapshotTable::FindHit SnapshotTable::findText(const QString& text, const std::vector<int>& fieldIndexes, int from,
                                               bool forward) const
{
    const int count = recordCount();
    if (text.isEmpty() || count == 0)
        return {};
    const Needle needle(text);

    // One matcher per searched field: its own column, a lookup compared by key, or (a lookup whose
    // key or result needs converting) the shown text itself.
    struct FieldMatch {
        enum Kind { Never, Stored, LookupText, LookupNumber, Shown };
        Kind kind = Never;
        int field = -1;
        ColumnMatch column;
        int keyCol = -1;
        std::vector<quint8> keyIds;
        std::vector<qint64> keyNumbers;
    };
    std::vector<FieldMatch> matchers;
    for (const int field : fieldIndexes) {
        if (field < 0 || field >= this->m->fields.count())
            continue;
        FieldMatch m;
        m.field = field;
        const int col = this->m->fields.column(field);
        if (col >= 0) {
            m.kind = FieldMatch::Stored;
            m.column = ColumnMatch(this->m->store, col, needle);
            if (m.column.kind != ColumnMatch::Never)
                matchers.push_back(std::move(m));
            continue;
        }
        LookupFields::Source source;
        if (!this->m->lookups.source(field, source))
            continue;
        const SnapshotTable& lookup = *source.table;
        const RowStore& lookupRows = lookup.rows();
        m.keyCol = this->m->fields.column(source.keyField);
        const FieldType keyType = this->m->store.type(m.keyCol);
        const FieldType lookupKeyType = lookupRows.type(source.lookupColumn);
        const bool textKeys = keyType == FieldType::Text && lookupKeyType == FieldType::Text;
        const bool numberKeys = keyType != FieldType::Text && keyType != FieldType::DateTime
                                && lookupKeyType != FieldType::Text && lookupKeyType != FieldType::DateTime;
        if (lookupRows.type(source.resultColumn) != this->m->fields.type(field) || !(textKeys || numberKeys)) {
            m.kind = FieldMatch::Shown;
            matchers.push_back(std::move(m));
            continue;
        }
        // The lookup rows whose result holds the text and that a key finds (the first of its key).
        ColumnMatch result(lookupRows, source.resultColumn, needle);
        const int lookupCol = source.lookupColumn;
        for (quint32 r = 0; result.kind != ColumnMatch::Never && r < lookupRows.rowCount(); ++r) {
            if (lookupRows.isDeleted(r) || lookupRows.isNull(lookupCol, r) || !result.matches(r, needle))
                continue;
            if (textKeys) {
                const quint32 id = lookupRows.textId(lookupCol, r);
                if (lookup.findRowByTextId(lookupCol, id) != qint64(r))
                    continue;
                const std::string_view key = lookupRows.pool(lookupCol).view(id);
                const quint32 own = this->m->store.pool(m.keyCol).find(key.data(), key.size());
                if (own == TextPool::kNone)
                    continue;
                if (own >= m.keyIds.size())
                    m.keyIds.resize(own + 1, 0);
                m.keyIds[own] = 1;
            } else {
                const qint64 key = lookupRows.number(lookupCol, r);
                if (lookup.findRow(lookupCol, CellValue::ofNumber(key)) == qint64(r))
                    m.keyNumbers.push_back(key);
            }
        }
        if (m.keyIds.empty() && m.keyNumbers.empty())
            continue;
        std::sort(m.keyNumbers.begin(), m.keyNumbers.end());
        m.kind = textKeys ? FieldMatch::LookupText : FieldMatch::LookupNumber;
        matchers.push_back(std::move(m));
    }

    const auto holds = [&](FieldMatch& m, int row) {
        if (m.kind == FieldMatch::Shown || bufferRow(row))
            return needle.in(cellText(row, m.field));
        const quint32 storeRow = this->m->visible[size_t(row)];
        switch (m.kind) {
        case FieldMatch::Stored:
            return m.column.matches(storeRow, needle);
        case FieldMatch::LookupText: {
            if (this->m->store.isNull(m.keyCol, storeRow))
                return false;
            const quint32 id = this->m->store.textId(m.keyCol, storeRow);
            return id < m.keyIds.size() && m.keyIds[id] != 0;
        }
        case FieldMatch::LookupNumber:
            return !this->m->store.isNull(m.keyCol, storeRow)
                   && std::binary_search(m.keyNumbers.begin(), m.keyNumbers.end(),
                                         this->m->store.number(m.keyCol, storeRow));
        default:
            return false;
        }
    };

    if (matchers.empty())
        return {};
    from = std::clamp(from, -1, count);
    // Just before the start going forwards, or past the end going backwards, is no wrap yet.
    if (forward && from < 0)
        from = 0;
    if (!forward && from >= count)
        from = count - 1;
    for (int step = 0; step < count; ++step) {
        int row = forward ? from + step : from - step;
        const bool wrapped = row < 0 || row >= count;
        row = (row % count + count) % count;
        for (FieldMatch& m : matchers) {
            if (holds(m, row))
                return {row, m.field, wrapped};
        }
    }
    return {};
}
