// Which rows are visible and in what order (filter, master link, sort), and the lookup fields.

#include "dberror.h"
#include "snapshotsort.h"
#include "snapshottableprivate.h"

#include <QRegularExpression>
#include <algorithm>

using SnapshotValue::convert;

void SnapshotTable::Private::rebuildVisible(std::optional<quint32> anchor)
{
    std::vector<quint32> rows;
    if (master) {
        const std::optional<CellValue> value = masterValue();
        const int link = fieldIndexByName(detailField);
        if (value && !value->null && link >= 0 && columnOf[size_t(link)] >= 0) {
            ensureLinkIndex();
            const std::optional<qint64> key = linkKey(linkColumn, *value);
            if (key) {
                const auto it = linkIndex.find(*key);
                if (it != linkIndex.end())
                    rows = it->second;
            }
        }
    } else {
        rows.reserve(store.rowCount());
        for (quint32 r = 0; r < store.rowCount(); ++r) {
            if (!store.isDeleted(r))
                rows.push_back(r);
        }
    }
    if (filtered) {
        if (const std::optional<FilterCondition> condition = parsedFilter()) {
            rows.erase(
                std::remove_if(rows.begin(), rows.end(), [&](quint32 r) { return !matchesFilter(r, *condition); }),
                rows.end());
        }
    }
    sortRows(rows);
    visible.swap(rows);
    std::vector<quint32>().swap(rows);
    current = visible.empty() ? -1 : 0;
    if (anchor) {
        const auto it = std::find(visible.begin(), visible.end(), *anchor);
        if (it != visible.end())
            current = int(it - visible.begin());
    }
}

std::optional<SnapshotTable::Private::FilterCondition> SnapshotTable::Private::parsedFilter() const
{
    if (filterText.trimmed().isEmpty())
        return std::nullopt;
    static const QRegularExpression form(QStringLiteral("^\\s*(\\w+)\\s*(<>|=)\\s*'((?:[^']|'')*)'\\s*$"));
    const QRegularExpressionMatch m = form.match(filterText);
    if (!m.hasMatch())
        throw DbError(QStringLiteral("The filter '%1' is not understood").arg(filterText));
    FilterCondition condition;
    condition.field = fieldIndexByName(m.captured(1));
    if (condition.field < 0)
        throw DbError(QStringLiteral("Field '%1' not found").arg(m.captured(1)));
    condition.notEqual = m.captured(2) == QLatin1String("<>");
    condition.literal = m.captured(3).replace(QLatin1String("''"), QLatin1String("'"));
    condition.literalUtf8 = condition.literal.toUtf8();
    return condition;
}

// A row without a value compares as an empty text, so that uid<>'admin' keeps a user row that has
// no login name yet.
bool SnapshotTable::Private::matchesFilter(quint32 row, const FilterCondition& condition) const
{
    const int col = columnOf[size_t(condition.field)];
    bool equal;
    if (col < 0) {
        equal = SnapshotValue::toText(lookupResult(condition.field, lookupRowOfStored(condition.field, row)),
                                      fields[size_t(condition.field)]->type())
                == condition.literal;
    } else if (store.isNull(col, row)) {
        equal = condition.literal.isEmpty();
    } else if (store.type(col) == FieldType::Text) {
        const std::string_view v = store.pool(col).view(store.textId(col, row));
        equal = v == std::string_view(condition.literalUtf8.constData(), size_t(condition.literalUtf8.size()));
    } else {
        equal = store.cellText(col, row) == condition.literal;
    }
    return condition.notEqual ? !equal : equal;
}

bool SnapshotTable::Private::stillVisible(quint32 row) const
{
    if (filtered) {
        const std::optional<FilterCondition> condition = parsedFilter();
        if (condition && !matchesFilter(row, *condition))
            return false;
    }
    return matchesMaster(row);
}

void SnapshotTable::Private::sortRows(std::vector<quint32>& rows) const
{
    if (sortField < 0 || rows.size() < 2)
        return;
    const RowStore* source = &store;
    int col = columnOf[size_t(sortField)];
    const LookupCache* cache = nullptr;
    if (col < 0) {
        cache = lookupCache(sortField);
        if (!cache)
            return;
        source = &cache->table->d->store;
        col = cache->resultColumn;
    }
    // The row of source that holds a row's value: itself, or its lookup row.
    const auto sourceRow = [&](quint32 row) -> qint64 {
        return cache ? lookupRowOfStored(sortField, row) : qint64(row);
    };
    const RowStore& s = *source;
    const FieldType type = s.type(col);
    if (type == FieldType::Text) {
        const std::vector<quint32>& ranks = s.pool(col).ranks();
        SnapshotSort::sortRows<quint32>(rows, sortDescending, [&](quint32 row, quint32& key) {
            const qint64 r = sourceRow(row);
            if (r < 0 || s.isNull(col, quint32(r)))
                return false;
            key = ranks[s.textId(col, quint32(r))];
            return true;
        });
    } else if (SnapshotValue::isNarrow(type)) {
        SnapshotSort::sortRows<quint32>(rows, sortDescending, [&](quint32 row, quint32& key) {
            const qint64 r = sourceRow(row);
            if (r < 0 || s.isNull(col, quint32(r)))
                return false;
            key = SnapshotSort::signedKey(qint32(s.number(col, quint32(r))));
            return true;
        });
    } else {
        SnapshotSort::sortRows<quint64>(rows, sortDescending, [&](quint32 row, quint64& key) {
            const qint64 r = sourceRow(row);
            if (r < 0 || s.isNull(col, quint32(r)))
                return false;
            key = SnapshotSort::signedKey(s.number(col, quint32(r)));
            return true;
        });
    }
}

// ---- master link ----

std::optional<CellValue> SnapshotTable::Private::masterValue() const
{
    if (!master || master->d->state == DataSetState::Inactive)
        return std::nullopt;
    const Private& m = *master->d;
    const int masterIndex = m.fieldIndexByName(masterField);
    const int detailIndex = fieldIndexByName(detailField);
    if (masterIndex < 0 || detailIndex < 0)
        return std::nullopt;
    if (!m.editing() && m.current < 0)
        return std::nullopt;
    return convert(m.currentValue(masterIndex), m.fields[size_t(masterIndex)]->type(),
                   fields[size_t(detailIndex)]->type());
}

bool SnapshotTable::Private::matchesMaster(quint32 row) const
{
    if (!master)
        return true;
    const std::optional<CellValue> value = masterValue();
    const int link = fieldIndexByName(detailField);
    if (!value || value->null || link < 0 || columnOf[size_t(link)] < 0)
        return false;
    return store.holds(columnOf[size_t(link)], row, *value);
}

void SnapshotTable::Private::refreshFromMaster()
{
    if (state == DataSetState::Inactive)
        return;
    if (editing()) {
        masterPending = true;
        return;
    }
    const std::optional<CellValue> value = masterValue();
    // The master reports both a reset and a move for one change; the rows follow its value only.
    if (masterApplied && appliedMasterValue == value)
        return;
    masterApplied = true;
    appliedMasterValue = value;
    rebuildVisible(std::nullopt);
    emit q->rowsReset();
    notifyCurrent();
}

void SnapshotTable::Private::ensureLinkIndex()
{
    const int link = fieldIndexByName(detailField);
    const int col = link < 0 ? -1 : columnOf[size_t(link)];
    if (linkIndexBuilt && linkColumn == col)
        return;
    linkIndex.clear();
    linkColumn = col;
    linkIndexBuilt = true;
    if (col < 0)
        return;
    const bool text = store.type(col) == FieldType::Text;
    for (quint32 r = 0; r < store.rowCount(); ++r) {
        if (store.isDeleted(r) || store.isNull(col, r))
            continue;
        linkIndex[text ? qint64(store.textId(col, r)) : store.number(col, r)].push_back(r);
    }
}

std::optional<qint64> SnapshotTable::Private::linkKey(int column, const CellValue& value) const
{
    if (column < 0 || value.null)
        return std::nullopt;
    if (store.type(column) != FieldType::Text)
        return value.number;
    const quint32 id = store.pool(column).find(value.text);
    if (id == TextPool::kNone)
        return std::nullopt;
    return qint64(id);
}

void SnapshotTable::Private::linkAdd(quint32 row)
{
    if (!linkIndexBuilt || linkColumn < 0 || store.isNull(linkColumn, row))
        return;
    const qint64 key = store.type(linkColumn) == FieldType::Text ? qint64(store.textId(linkColumn, row))
                                                                 : store.number(linkColumn, row);
    std::vector<quint32>& bucket = linkIndex[key];
    bucket.insert(std::upper_bound(bucket.begin(), bucket.end(), row), row);
}

void SnapshotTable::Private::linkRemove(quint32 row)
{
    if (!linkIndexBuilt || linkColumn < 0 || store.isNull(linkColumn, row))
        return;
    const qint64 key = store.type(linkColumn) == FieldType::Text ? qint64(store.textId(linkColumn, row))
                                                                 : store.number(linkColumn, row);
    const auto it = linkIndex.find(key);
    if (it == linkIndex.end())
        return;
    std::vector<quint32>& bucket = it->second;
    const auto pos = std::lower_bound(bucket.begin(), bucket.end(), row);
    if (pos != bucket.end() && *pos == row)
        bucket.erase(pos);
}

// ---- lookups ----

qint64 SnapshotTable::Private::findRowByKey(int column, const CellValue& key)
{
    if (key.null || state == DataSetState::Inactive || column < 0)
        return -1;
    if (store.type(column) == FieldType::Text)
        return findRowByTextId(column, store.pool(column).find(key.text));
    KeyIndex& index = keyIndexes[column];
    if (index.version != version) {
        index = KeyIndex();
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

qint64 SnapshotTable::Private::findRowByTextId(int column, quint32 id)
{
    if (id == TextPool::kNone || state == DataSetState::Inactive)
        return -1;
    KeyIndex& index = keyIndexes[column];
    if (index.version != version) {
        index = KeyIndex();
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

SnapshotTable::Private::LookupCache* SnapshotTable::Private::lookupCache(int field) const
{
    const Field* f = fields[size_t(field)];
    SnapshotTable* table = f->lookupTable();
    if (!table || table->d->state == DataSetState::Inactive)
        return nullptr;
    LookupCache& c = lookupCaches[field];
    if (c.table != table || c.version != table->d->version || c.keyName != f->keyFields()
        || c.lookupKeyName != f->lookupKeyFields() || c.resultName != f->lookupResultField()) {
        c = LookupCache();
        c.table = table;
        c.version = table->d->version;
        c.keyName = f->keyFields();
        c.lookupKeyName = f->lookupKeyFields();
        c.resultName = f->lookupResultField();
        const int key = fieldIndexByName(c.keyName);
        c.keyField = key >= 0 && columnOf[size_t(key)] >= 0 ? key : -1;
        const Private& l = *table->d;
        const int lookupKey = l.fieldIndexByName(c.lookupKeyName);
        c.lookupColumn = lookupKey < 0 ? -1 : l.columnOf[size_t(lookupKey)];
        const int result = l.fieldIndexByName(c.resultName);
        c.resultColumn = result < 0 ? -1 : l.columnOf[size_t(result)];
    }
    return c.valid() ? &c : nullptr;
}

qint64 SnapshotTable::Private::lookupRowOfStored(int field, quint32 row) const
{
    LookupCache* c = lookupCache(field);
    return c ? lookupRowOfStored(*c, row) : -1;
}

qint64 SnapshotTable::Private::lookupRowOfStored(LookupCache& cache, quint32 row) const
{
    LookupCache* c = &cache;
    const int keyColumn = columnOf[size_t(c->keyField)];
    if (store.isNull(keyColumn, row))
        return -1;
    Private& l = *c->table->d;
    const FieldType lookupType = l.store.type(c->lookupColumn);
    if (store.type(keyColumn) == FieldType::Text && lookupType == FieldType::Text) {
        const quint32 id = store.textId(keyColumn, row);
        if (id >= c->byTextId.size())
            c->byTextId.resize(store.pool(keyColumn).size(), -2);
        qint32& slot = c->byTextId[id];
        if (slot == -2) {
            const std::string_view text = store.pool(keyColumn).view(id);
            slot = qint32(
                l.findRowByTextId(c->lookupColumn, l.store.pool(c->lookupColumn).find(text.data(), text.size())));
        }
        return slot;
    }
    return l.findRowByKey(c->lookupColumn, convert(store.cell(keyColumn, row), store.type(keyColumn), lookupType));
}

qint64 SnapshotTable::Private::lookupRowOfValue(int field, const CellValue& key) const
{
    LookupCache* c = lookupCache(field);
    if (!c)
        return -1;
    Private& l = *c->table->d;
    return l.findRowByKey(c->lookupColumn,
                          convert(key, fields[size_t(c->keyField)]->type(), l.store.type(c->lookupColumn)));
}

CellValue SnapshotTable::Private::lookupResult(int field, qint64 lookupRow) const
{
    if (lookupRow < 0)
        return CellValue();
    const LookupCache* c = lookupCache(field);
    if (!c)
        return CellValue();
    const RowStore& l = c->table->d->store;
    return convert(l.cell(c->resultColumn, quint32(lookupRow)), l.type(c->resultColumn), fields[size_t(field)]->type());
}

CellValue SnapshotTable::Private::rowValue(int row, int field) const
{
    const int col = columnOf[size_t(field)];
    if (col >= 0)
        return bufferRow(row) ? buffer[size_t(col)] : store.cell(col, visible[size_t(row)]);
    if (bufferRow(row)) {
        const LookupCache* c = lookupCache(field);
        if (!c)
            return CellValue();
        return lookupResult(field, lookupRowOfValue(field, buffer[size_t(columnOf[size_t(c->keyField)])]));
    }
    return lookupResult(field, lookupRowOfStored(field, visible[size_t(row)]));
}

QString SnapshotTable::Private::rowText(int row, int field) const
{
    const FieldType type = fields[size_t(field)]->type();
    if (bufferRow(row))
        return SnapshotValue::toText(rowValue(row, field), type);
    const int col = columnOf[size_t(field)];
    if (col >= 0)
        return store.cellText(col, visible[size_t(row)]);
    LookupCache* c = lookupCache(field);
    if (!c)
        return QString();
    const qint64 lookupRow = lookupRowOfStored(*c, visible[size_t(row)]);
    if (lookupRow < 0)
        return QString();
    const RowStore& l = c->table->d->store;
    if (l.type(c->resultColumn) == type)
        return l.cellText(c->resultColumn, quint32(lookupRow));
    return SnapshotValue::toText(lookupResult(field, lookupRow), type);
}

void SnapshotTable::Private::notifyLookups(int keyField)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        Field* f = fields[i];
        if (f->isLookup() && fieldIndexByName(f->keyFields()) == keyField)
            emit q->fieldChanged(f);
    }
}
