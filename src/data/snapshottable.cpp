#include "snapshottable.h"

#include "connection.h"
#include "dberror.h"
#include "snapshottableprivate.h"

#include <algorithm>

namespace {
// The row current after the rows changed: the wanted one, kept within the visible rows.
int clampedRow(int wanted, int count)
{
    if (count == 0)
        return -1;
    return std::clamp(wanted, 0, count - 1);
}
} // namespace

SnapshotTable::SnapshotTable(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{}

SnapshotTable::~SnapshotTable()
{
    d->detachFromMaster();
}

void SnapshotTable::setConnection(Connection* connection)
{
    d->connection = connection;
}

Connection* SnapshotTable::connection() const
{
    return d->connection;
}

QString SnapshotTable::tableName() const
{
    return d->tableName;
}

void SnapshotTable::setTableName(const QString& name)
{
    d->tableName = name.trimmed();
}

QString SnapshotTable::sql() const
{
    return d->sql;
}

void SnapshotTable::setSql(const QString& statement)
{
    d->sql = statement;
}

Field* SnapshotTable::addField(const QString& fieldName, FieldType type, int size)
{
    if (d->state != DataSetState::Inactive)
        throw DbError(QStringLiteral("Cannot add fields to an open dataset"));
    if (d->fieldIndexByName(fieldName) >= 0)
        throw DbError(QStringLiteral("Duplicate field name '%1'").arg(fieldName));
    auto* field = new Field(this, fieldName, type, size);
    field->setObjectName(objectName() + fieldName);
    d->columnOf.push_back(int(d->fieldOf.size()));
    d->fieldOf.push_back(int(d->fields.size()));
    d->fields.push_back(field);
    return field;
}

Field* SnapshotTable::addLookupField(const QString& fieldName, FieldType type, int size, SnapshotTable* lookupTable,
                                     const QString& keyFields, const QString& lookupKeyFields,
                                     const QString& lookupResultField)
{
    if (d->state != DataSetState::Inactive)
        throw DbError(QStringLiteral("Cannot add fields to an open dataset"));
    if (d->fieldIndexByName(fieldName) >= 0)
        throw DbError(QStringLiteral("Duplicate field name '%1'").arg(fieldName));
    if (!lookupTable)
        throw DbError(QStringLiteral("Lookup field '%1' has no lookup table").arg(fieldName));
    auto* field = new Field(this, fieldName, type, size);
    field->setObjectName(objectName() + fieldName);
    field->setLookup(lookupTable, keyFields, lookupKeyFields, lookupResultField);
    // Windows destroy their tables in any order; a lookup whose table is gone shows no value.
    connect(lookupTable, &QObject::destroyed, field, [field] {
        field->setLookup(nullptr, field->keyFields(), field->lookupKeyFields(), field->lookupResultField());
    });
    d->columnOf.push_back(-1);
    d->fields.push_back(field);
    return field;
}

void SnapshotTable::setKeyField(const QString& fieldName)
{
    d->keyFieldName = fieldName.trimmed();
}

const std::vector<Field*>& SnapshotTable::fields() const
{
    return d->fields;
}

Field* SnapshotTable::findField(const QString& fieldName) const
{
    const int i = d->fieldIndexByName(fieldName);
    return i < 0 ? nullptr : d->fields[size_t(i)];
}

Field* SnapshotTable::fieldByName(const QString& fieldName) const
{
    Field* f = findField(fieldName);
    if (!f)
        throw DbError(QStringLiteral("Field '%1' not found").arg(fieldName));
    return f;
}

void SnapshotTable::open()
{
    if (d->state != DataSetState::Inactive)
        return;
    if (!d->connection)
        throw DbError(QStringLiteral("The dataset has no connection"));
    if (d->sql.trimmed().isEmpty() && d->tableName.isEmpty())
        throw DbError(QStringLiteral("The dataset has neither a table name nor a statement"));
    // Lookup fields read other snapshots: those are opened first, in the order of the fields.
    for (Field* f : d->fields) {
        if (f->isLookup() && !f->lookupTable()->active())
            f->lookupTable()->open();
    }
    d->connection->open();
    const QString statement = d->sql.trimmed().isEmpty()
                                  ? QStringLiteral("SELECT * FROM ") + SnapshotValue::quotedIdentifier(d->tableName)
                                  : d->sql;
    std::vector<FieldType> types;
    for (const int f : d->fieldOf)
        types.push_back(d->fields[size_t(f)]->type());
    d->store.reset(types);
    try {
        d->load(statement, d->loadColumns(), d->store);
        d->state = DataSetState::Browse;
        d->bumpVersion();
        d->linkIndexBuilt = false;
        d->rebuildVisible(std::nullopt);
    } catch (...) {
        d->store.clear();
        d->visible.clear();
        d->state = DataSetState::Inactive;
        throw;
    }
    d->current = d->visible.empty() ? -1 : 0;
    d->masterApplied = true;
    d->appliedMasterValue = d->masterValue();
    emit rowsReset();
    emit currentChanged();
    try {
        if (events.afterOpen)
            events.afterOpen();
    } catch (...) {
        emit stateChanged();
        throw;
    }
    emit stateChanged();
    if (events.afterScroll)
        events.afterScroll();
}

void SnapshotTable::close()
{
    if (d->state == DataSetState::Inactive)
        return;
    d->state = DataSetState::Inactive;
    d->store.clear();
    std::vector<quint32>().swap(d->visible);
    d->buffer.clear();
    d->uncertainInsert.reset();
    d->current = -1;
    d->linkIndex.clear();
    d->linkIndexBuilt = false;
    d->keyIndexes.clear();
    d->lookupCaches.clear();
    d->masterPending = false;
    d->masterApplied = false;
    d->bumpVersion();
    emit rowsReset();
    emit currentChanged();
    emit stateChanged();
}

bool SnapshotTable::active() const
{
    return d->state != DataSetState::Inactive;
}

DataSetState SnapshotTable::state() const
{
    return d->state;
}

bool SnapshotTable::editing() const
{
    return d->editing();
}

int SnapshotTable::recordCount() const
{
    return int(d->visible.size()) + (d->state == DataSetState::Insert ? 1 : 0);
}

bool SnapshotTable::isEmpty() const
{
    return recordCount() == 0;
}

int SnapshotTable::recNo() const
{
    return d->current;
}

void SnapshotTable::setRecNo(int row)
{
    d->requireBrowse();
    if (row < 0 || row >= int(d->visible.size()))
        throw DbError(QStringLiteral("There is no record %1").arg(row + 1));
    if (row == d->current)
        return;
    d->current = row;
    d->notifyCurrent();
}

bool SnapshotTable::locate(const QString& fieldName, const QVariant& value)
{
    d->requireActive();
    const int field = d->fieldIndexByName(fieldName);
    if (field < 0)
        throw DbError(QStringLiteral("Field '%1' not found").arg(fieldName));
    const FieldType type = d->fields[size_t(field)]->type();
    CellValue wanted;
    if (value.isValid() && !value.isNull()) {
        if (type == FieldType::Text)
            wanted = CellValue::ofText(value.toString());
        else if (type == FieldType::DateTime && value.canConvert<QDateTime>() && value.typeId() != QMetaType::QString)
            wanted = CellValue::ofNumber(SnapshotValue::fromDateTime(value.toDateTime()));
        else
            wanted = SnapshotValue::convert(CellValue::ofText(value.toString()), FieldType::Text, type);
    }
    for (int row = 0; row < int(d->visible.size()); ++row) {
        if (d->rowValue(row, field) == wanted) {
            setRecNo(row);
            return true;
        }
    }
    return false;
}

void SnapshotTable::append()
{
    d->requireActive();
    d->requireWritable();
    if (d->editing())
        post();
    d->savedCurrent = d->current;
    d->buffer.assign(d->fieldOf.size(), CellValue());
    if (d->master) {
        const int link = d->fieldIndexByName(d->detailField);
        const std::optional<CellValue> value = d->masterValue();
        if (link >= 0 && d->columnOf[size_t(link)] >= 0 && value)
            d->buffer[size_t(d->columnOf[size_t(link)])] = *value;
    }
    d->state = DataSetState::Insert;
    d->current = int(d->visible.size());
    d->inNewRecord = true;
    try {
        if (events.onNewRecord)
            events.onNewRecord();
    } catch (...) {
        d->inNewRecord = false;
        d->state = DataSetState::Browse;
        d->buffer.clear();
        d->current = d->savedCurrent;
        throw;
    }
    d->inNewRecord = false;
    emit rowsReset();
    emit currentChanged();
    emit stateChanged();
    if (events.afterInsert)
        events.afterInsert();
}

void SnapshotTable::edit()
{
    d->requireActive();
    d->requireWritable();
    if (d->editing())
        return;
    if (d->current < 0)
        throw DbError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    d->editRow = d->visible[size_t(d->current)];
    d->buffer.resize(d->fieldOf.size());
    for (int col = 0; col < int(d->fieldOf.size()); ++col)
        d->buffer[size_t(col)] = d->store.cell(col, d->editRow);
    d->state = DataSetState::Edit;
    emit stateChanged();
}

void SnapshotTable::post()
{
    d->requireActive();
    if (!d->editing())
        return;
    // A hook may remove itself or others while running.
    const std::map<int, std::function<void()>> hooks = d->hooks;
    for (const auto& hook : hooks)
        hook.second();
    if (events.beforePost)
        events.beforePost();
    QString notice;
    d->lastRecheck = InsertRecheck::None;
    if (d->state == DataSetState::Insert) {
        const quint32 row = d->insertRow(notice);
        d->bumpVersion();
        d->linkAdd(row);
        d->state = DataSetState::Browse;
        d->buffer.clear();
        if (d->stillVisible(row)) {
            d->visible.push_back(row);
            d->current = int(d->visible.size()) - 1;
        } else {
            d->current = clampedRow(d->savedCurrent, int(d->visible.size()));
        }
        emit rowsReset();
        emit currentChanged();
    } else {
        std::vector<int> changed;
        for (int col = 0; col < int(d->fieldOf.size()); ++col) {
            if (!d->store.holds(col, d->editRow, d->buffer[size_t(col)]))
                changed.push_back(col);
        }
        if (!changed.empty()) {
            d->writeUpdate(changed);
            d->linkRemove(d->editRow);
            for (const int col : changed)
                d->store.setCell(col, d->editRow, d->buffer[size_t(col)]);
            d->linkAdd(d->editRow);
            d->bumpVersion();
        }
        d->state = DataSetState::Browse;
        d->buffer.clear();
        if (d->stillVisible(d->editRow)) {
            emit rowChanged(d->current);
        } else {
            d->visible.erase(d->visible.begin() + d->current);
            d->current = clampedRow(d->current, int(d->visible.size()));
            emit rowsReset();
            emit currentChanged();
        }
    }
    try {
        if (events.afterPost)
            events.afterPost();
    } catch (...) {
        emit stateChanged();
        d->finishEditing();
        throw;
    }
    emit stateChanged();
    d->finishEditing();
    // The row is saved and the table is back in browse; what could not be read back is told last.
    if (!notice.isEmpty())
        throw DbError(notice);
}

SnapshotTable::InsertRecheck SnapshotTable::lastInsertRecheck() const
{
    return d->lastRecheck;
}

void SnapshotTable::cancel()
{
    if (!d->editing())
        return;
    d->uncertainInsert.reset();
    if (d->state == DataSetState::Insert) {
        d->state = DataSetState::Browse;
        d->buffer.clear();
        d->current = clampedRow(d->savedCurrent, int(d->visible.size()));
        emit rowsReset();
        emit currentChanged();
    } else {
        d->state = DataSetState::Browse;
        d->buffer.clear();
        emit rowChanged(d->current);
    }
    emit stateChanged();
    d->finishEditing();
}

void SnapshotTable::remove()
{
    d->requireActive();
    d->requireWritable();
    if (d->state == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel();
    if (d->current < 0)
        throw DbError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (events.beforeDelete)
        events.beforeDelete();
    const quint32 row = d->visible[size_t(d->current)];
    d->writeDelete(row);
    d->linkRemove(row);
    d->store.markDeleted(row);
    d->bumpVersion();
    d->visible.erase(d->visible.begin() + d->current);
    d->current = clampedRow(d->current, int(d->visible.size()));
    emit rowsReset();
    d->notifyCurrent();
}

QString SnapshotTable::sort() const
{
    return d->sortText;
}

void SnapshotTable::setSort(const QString& sortText)
{
    const QStringList parts = sortText.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int field = -1;
    bool descending = false;
    if (!parts.isEmpty()) {
        field = d->fieldIndexByName(parts[0]);
        if (field < 0)
            throw DbError(QStringLiteral("Field '%1' not found").arg(parts[0]));
        if (parts.size() > 2
            || (parts.size() == 2 && parts[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0
                && parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) != 0))
            throw DbError(QStringLiteral("'%1' is not a valid sort order").arg(sortText));
        descending = parts.size() == 2 && parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    }
    d->sortText = sortText;
    d->sortField = field;
    d->sortDescending = descending;
    if (d->state == DataSetState::Inactive)
        return;
    std::optional<quint32> anchor;
    const int anchorIndex = d->state == DataSetState::Insert ? d->savedCurrent : d->current;
    if (anchorIndex >= 0 && anchorIndex < int(d->visible.size()))
        anchor = d->visible[size_t(anchorIndex)];
    d->rebuildVisible(anchor);
    if (d->state == DataSetState::Insert) {
        d->savedCurrent = d->current;
        d->current = int(d->visible.size());
    }
    emit rowsReset();
    emit currentChanged();
}

QString SnapshotTable::filter() const
{
    return d->filterText;
}

void SnapshotTable::setFilter(const QString& expression)
{
    const QString previous = d->filterText;
    d->filterText = expression;
    if (d->state == DataSetState::Inactive || !d->filtered)
        return;
    try {
        d->requireBrowse();
        d->parsedFilter();
    } catch (...) {
        d->filterText = previous;
        throw;
    }
    d->rebuildVisible(d->current >= 0 ? std::optional<quint32>(d->visible[size_t(d->current)]) : std::nullopt);
    emit rowsReset();
    d->notifyCurrent();
}

bool SnapshotTable::filtered() const
{
    return d->filtered;
}

void SnapshotTable::setFiltered(bool on)
{
    if (on == d->filtered)
        return;
    if (d->state != DataSetState::Inactive) {
        d->requireBrowse();
        if (on) {
            d->filtered = true;
            try {
                d->parsedFilter();
            } catch (...) {
                d->filtered = false;
                throw;
            }
        }
    }
    d->filtered = on;
    if (d->state == DataSetState::Inactive)
        return;
    d->rebuildVisible(d->current >= 0 ? std::optional<quint32>(d->visible[size_t(d->current)]) : std::nullopt);
    emit rowsReset();
    d->notifyCurrent();
}

void SnapshotTable::setMaster(SnapshotTable* master, const QString& masterField, const QString& detailField)
{
    d->detachFromMaster();
    d->master = master;
    d->masterField = masterField.trimmed();
    d->detailField = detailField.trimmed();
    d->linkIndexBuilt = false;
    if (master) {
        d->masterMoved = connect(master, &SnapshotTable::currentChanged, this, [this] { d->refreshFromMaster(); });
        d->masterReset = connect(master, &SnapshotTable::rowsReset, this, [this] { d->refreshFromMaster(); });
        // A typed master key takes the detail rows with it, as the master's value is what they follow.
        d->masterRowChanged = connect(master, &SnapshotTable::rowChanged, this, [this] { d->refreshFromMaster(); });
        master->d->details.push_back(this);
    }
    d->masterApplied = false;
    d->refreshFromMaster();
}

QString SnapshotTable::masterFields() const
{
    return d->masterField;
}

void SnapshotTable::setMasterFields(const QString& fields)
{
    d->masterField = fields.trimmed();
    d->masterApplied = false;
    d->refreshFromMaster();
}

QString SnapshotTable::indexFieldNames() const
{
    return d->detailField;
}

void SnapshotTable::setIndexFieldNames(const QString& fields)
{
    d->detailField = fields.trimmed();
    d->linkIndexBuilt = false;
    d->masterApplied = false;
    d->refreshFromMaster();
}

QVariant SnapshotTable::cellValue(int row, int fieldIndex) const
{
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= int(d->fields.size()))
        return QVariant();
    return SnapshotValue::toVariant(d->rowValue(row, fieldIndex), d->fields[size_t(fieldIndex)]->type());
}

QString SnapshotTable::cellText(int row, int fieldIndex) const
{
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= int(d->fields.size()))
        return QString();
    return d->rowText(row, fieldIndex);
}

int SnapshotTable::addUpdateHook(std::function<void()> hook)
{
    const int id = d->nextHookId++;
    d->hooks.emplace(id, std::move(hook));
    return id;
}

void SnapshotTable::removeUpdateHook(int id)
{
    d->hooks.erase(id);
}
