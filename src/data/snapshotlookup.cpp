#include "snapshotlookup.h"

#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshottable.h"

using SnapshotValue::convert;

qint64 KeyIndex::find(const RowStore& store, quint64 version, int column, const CellValue& key)
{
    if (key.null || column < 0)
        return -1;
    if (store.type(column) == FieldType::Text)
        return findTextId(store, version, column, store.pool(column).find(key.text));
    Column& index = m_columns[column];
    if (index.version != version) {
        index = Column();
        index.byNumber.reserve(store.rowCount());
        for (quint32 r = 0; r < store.rowCount(); ++r) {
            if (!store.isDeleted(r) && !store.isNull(column, r))
                index.byNumber.emplace(store.number(column, r), r);
        }
        index.version = version;
    }
    const auto it = index.byNumber.find(key.number);
    return it == index.byNumber.end() ? -1 : qint64(it->second);
}

qint64 KeyIndex::findTextId(const RowStore& store, quint64 version, int column, quint32 id)
{
    if (id == TextPool::kNone)
        return -1;
    Column& index = m_columns[column];
    if (index.version != version) {
        index = Column();
        index.byTextId.assign(store.pool(column).size(), -1);
        for (quint32 r = 0; r < store.rowCount(); ++r) {
            if (store.isDeleted(r) || store.isNull(column, r))
                continue;
            qint32& slot = index.byTextId[store.textId(column, r)];
            if (slot < 0)
                slot = qint32(r);
        }
        index.version = version;
    }
    return id < index.byTextId.size() ? index.byTextId[id] : -1;
}

LookupFields::Cache* LookupFields::cache(int field) const
{
    const Field* f = m_fields.at(field);
    SnapshotTable* table = f->lookupTable();
    if (!table || !table->active())
        return nullptr;
    Cache& c = m_caches[field];
    if (c.table != table || c.version != table->rowsVersion() || c.keyName != f->keyFields()
        || c.lookupKeyName != f->lookupKeyFields() || c.resultName != f->lookupResultField()) {
        c = Cache();
        c.table = table;
        c.version = table->rowsVersion();
        c.keyName = f->keyFields();
        c.lookupKeyName = f->lookupKeyFields();
        c.resultName = f->lookupResultField();
        const int key = m_fields.indexByName(c.keyName);
        c.keyField = key >= 0 && m_fields.column(key) >= 0 ? key : -1;
        const int lookupKey = table->fieldIndexByName(c.lookupKeyName);
        c.lookupColumn = lookupKey < 0 ? -1 : table->columnOf(lookupKey);
        const int result = table->fieldIndexByName(c.resultName);
        c.resultColumn = result < 0 ? -1 : table->columnOf(result);
    }
    return c.valid() ? &c : nullptr;
}

int LookupFields::keyField(int field) const
{
    const Cache* c = cache(field);
    return c ? c->keyField : -1;
}

qint64 LookupFields::rowOfStored(int field, quint32 row) const
{
    Cache* c = cache(field);
    return c ? rowOfStored(*c, row) : -1;
}

qint64 LookupFields::rowOfStored(Cache& c, quint32 row) const
{
    const int keyColumn = m_fields.column(c.keyField);
    if (m_store.isNull(keyColumn, row))
        return -1;
    const RowStore& l = c.table->rows();
    const FieldType lookupType = l.type(c.lookupColumn);
    if (m_store.type(keyColumn) == FieldType::Text && lookupType == FieldType::Text) {
        // Each text of the key column is looked up once, whatever the number of rows holding it.
        const quint32 id = m_store.textId(keyColumn, row);
        if (id >= c.byTextId.size())
            c.byTextId.resize(m_store.pool(keyColumn).size(), -2);
        qint32& slot = c.byTextId[id];
        if (slot == -2) {
            const std::string_view text = m_store.pool(keyColumn).view(id);
            slot =
                qint32(c.table->findRowByTextId(c.lookupColumn, l.pool(c.lookupColumn).find(text.data(), text.size())));
        }
        return slot;
    }
    return c.table->findRow(c.lookupColumn, convert(m_store.cell(keyColumn, row), m_store.type(keyColumn), lookupType));
}

qint64 LookupFields::rowOfValue(int field, const CellValue& key) const
{
    const Cache* c = cache(field);
    if (!c)
        return -1;
    return c->table->findRow(c->lookupColumn,
                             convert(key, m_fields.type(c->keyField), c->table->rows().type(c->lookupColumn)));
}

CellValue LookupFields::result(int field, qint64 lookupRow) const
{
    if (lookupRow < 0)
        return CellValue();
    const Cache* c = cache(field);
    if (!c)
        return CellValue();
    const RowStore& l = c->table->rows();
    return convert(l.cell(c->resultColumn, quint32(lookupRow)), l.type(c->resultColumn), m_fields.type(field));
}

QString LookupFields::textOfStored(int field, quint32 row) const
{
    Cache* c = cache(field);
    if (!c)
        return QString();
    const qint64 lookupRow = rowOfStored(*c, row);
    if (lookupRow < 0)
        return QString();
    const RowStore& l = c->table->rows();
    const FieldType type = m_fields.type(field);
    if (l.type(c->resultColumn) == type)
        return l.cellText(c->resultColumn, quint32(lookupRow));
    return SnapshotValue::toText(result(field, lookupRow), type);
}

bool LookupFields::resultSource(int field, const RowStore*& store, int& column) const
{
    const Cache* c = cache(field);
    if (!c)
        return false;
    store = &c->table->rows();
    column = c->resultColumn;
    return true;
}

bool LookupFields::source(int field, Source& out) const
{
    const Cache* c = cache(field);
    if (!c)
        return false;
    out = {c->table, c->keyField, c->lookupColumn, c->resultColumn};
    return true;
}
