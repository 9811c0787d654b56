// Cells read in place for the export writers: numbers and date-times as stored, texts as views of
// the column's interned UTF-8, lookups as their result rows hold them.

#include "snapshottableprivate.h"

void SnapshotTable::cellView(int row, int fieldIndex, CellView& out) const
{
    out.null = true;
    out.number = 0;
    out.text = {};
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= int(d->fields.size()))
        return;
    const FieldType type = d->fields[size_t(fieldIndex)]->type();
    out.type = type;
    const auto fromValue = [&](const CellValue& v) {
        out.null = v.null;
        if (v.null)
            return;
        out.number = v.number;
        if (type == FieldType::Text) {
            out.storage = v.text.toUtf8();
            out.text = std::string_view(out.storage.constData(), size_t(out.storage.size()));
        }
    };
    if (d->bufferRow(row)) {
        fromValue(d->rowValue(row, fieldIndex));
        return;
    }
    const RowStore* store = &d->store;
    int col = d->columnOf[size_t(fieldIndex)];
    qint64 storeRow = d->visible[size_t(row)];
    if (col < 0) {
        Private::LookupCache* cache = d->lookupCache(fieldIndex);
        if (!cache)
            return;
        storeRow = d->lookupRowOfStored(*cache, quint32(storeRow));
        if (storeRow < 0)
            return;
        store = &cache->table->d->store;
        col = cache->resultColumn;
        if (store->type(col) != type) {
            fromValue(d->lookupResult(fieldIndex, storeRow));
            return;
        }
    }
    if (store->isNull(col, quint32(storeRow)))
        return;
    out.null = false;
    if (type == FieldType::Text)
        out.text = store->pool(col).view(store->textId(col, quint32(storeRow)));
    else
        out.number = store->number(col, quint32(storeRow));
}
