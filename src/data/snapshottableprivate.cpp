// The inside of SnapshotTable that the other parts share: state checks, the current row's values,
// storing a field, and the bookkeeping when editing ends.

#include "snapshottableprivate.h"
#include "connection.h"
#include "dberror.h"

#include <atomic>

namespace {
// One counter for all tables, so that a table closed and opened again never repeats a version
// that an index of another table still remembers.
std::atomic<quint64> s_versions{0};
} // namespace

void SnapshotTable::Private::requireActive() const
{
    if (state == DataSetState::Inactive)
        throw DbError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void SnapshotTable::Private::requireEditing() const
{
    if (!editing())
        throw DbError(QStringLiteral("Dataset not in edit or insert mode"));
}

void SnapshotTable::Private::requireWritable() const
{
    if (!sql.isEmpty() || tableName.isEmpty())
        throw DbError(QStringLiteral("The rows of a query cannot be changed"));
}

void SnapshotTable::Private::requireBrowse() const
{
    requireActive();
    if (editing())
        throw DbError(QStringLiteral("Save or cancel the changes to the current record first"));
    for (const QPointer<SnapshotTable>& detail : details) {
        if (detail && detail->d->editing())
            throw DbError(QStringLiteral("Save or cancel the changes to the detail records first"));
    }
}

void SnapshotTable::Private::checkStore(int field) const
{
    requireEditing();
    const Field* f = fields[size_t(field)];
    if (f->readOnly() || columnOf[size_t(field)] < 0)
        throw DbError(QStringLiteral("Field '%1' cannot be modified").arg(f->fieldName()));
}

int SnapshotTable::Private::fieldIndex(const Field* field) const
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == field)
            return int(i);
    }
    return -1;
}

int SnapshotTable::Private::fieldIndexByName(const QString& name) const
{
    const QString n = name.trimmed();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i]->fieldName().compare(n, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

bool SnapshotTable::Private::bufferRow(int row) const
{
    return (state == DataSetState::Edit && row == current)
           || (state == DataSetState::Insert && row == int(visible.size()));
}

CellValue SnapshotTable::Private::currentValue(int field) const
{
    const int col = columnOf[size_t(field)];
    if (col >= 0) {
        if (editing())
            return buffer[size_t(col)];
        if (current < 0)
            return CellValue();
        return store.cell(col, visible[size_t(current)]);
    }
    const LookupCache* cache = lookupCache(field);
    if (!cache)
        return CellValue();
    return lookupResult(field, lookupRowOfValue(field, currentValue(cache->keyField)));
}

void SnapshotTable::Private::storeField(int field, const CellValue& value)
{
    checkStore(field);
    Field* f = fields[size_t(field)];
    buffer[size_t(columnOf[size_t(field)])] = value;
    emit q->fieldChanged(f);
    notifyLookups(field);
    if (!inNewRecord)
        emit q->rowChanged(current);
    if (f->onChange)
        f->onChange(*f);
}

void SnapshotTable::Private::bumpVersion()
{
    version = ++s_versions;
}

void SnapshotTable::Private::notifyCurrent()
{
    emit q->currentChanged();
    if (q->events.afterScroll)
        q->events.afterScroll();
}

// A master link that moved while this table was editing is followed once the editing ends.
void SnapshotTable::Private::finishEditing()
{
    if (masterPending) {
        masterPending = false;
        masterApplied = false;
        refreshFromMaster();
    }
}

void SnapshotTable::Private::load(const QString& statement, const std::vector<LoadColumn>& columns, RowStore& into)
{
    try {
        SnapshotLoader::read(connection->nativeHandle(), statement, columns, into, what());
    } catch (const DbError& e) {
        connection->noteError(e);
        throw;
    }
}

std::vector<LoadColumn> SnapshotTable::Private::loadColumns() const
{
    std::vector<LoadColumn> columns;
    for (size_t col = 0; col < fieldOf.size(); ++col) {
        const Field* f = fields[size_t(fieldOf[col])];
        columns.push_back({f->fieldName(), f->type()});
    }
    return columns;
}

QString SnapshotTable::Private::what() const
{
    return tableName.isEmpty() || !sql.isEmpty() ? QStringLiteral("the query")
                                                 : QStringLiteral("table '%1'").arg(tableName);
}

void SnapshotTable::Private::detachFromMaster()
{
    if (!master)
        return;
    QObject::disconnect(masterMoved);
    QObject::disconnect(masterReset);
    QObject::disconnect(masterRowChanged);
    auto& list = master->d->details;
    list.erase(std::remove(list.begin(), list.end(), QPointer<SnapshotTable>(q)), list.end());
    master = nullptr;
}
