// Cells read in place for the export writers: numbers and date-times as stored, texts as views of
// the column's interned UTF-8, lookups as their result rows hold them.

#include "snapshotparts.h"

void SnapshotTable::cellView(int row, int fieldIndex, CellView& out) const
{
    out.null = true;
    out.number = 0;
    out.text = {};
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= m->fields.count())
        return;
    const FieldType type = m->fields.type(fieldIndex);
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
    if (bufferRow(row)) {
        fromValue(rowValue(row, fieldIndex));
        return;
    }
    const RowStore* store = &m->store;
    int col = m->fields.column(fieldIndex);
    qint64 storeRow = m->visible[size_t(row)];
    if (col < 0) {
        LookupFields::Source source;
        if (!m->lookups.source(fieldIndex, source))
            return;
        storeRow = m->lookups.rowOfStored(fieldIndex, quint32(storeRow));
        if (storeRow < 0)
            return;
        store = &source.table->rows();
        col = source.resultColumn;
        if (store->type(col) != type) {
            fromValue(m->lookups.result(fieldIndex, storeRow));
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
