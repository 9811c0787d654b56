// The table's declaration, opening and closing, moving between rows, and the interface its fields
// and the parts of other tables use.

#include "snapshottable.h"
#include "platform/messages.h"

#include "connection.h"
#include "dberror.h"
#include "snapshotparts.h"

#include "platform/errors.h"

#include <atomic>

namespace {
// One counter for all tables, so that a table closed and opened again never repeats a version
// that an index of another table still remembers.
std::atomic<quint64> s_versions{0};
} // namespace

SnapshotTable::SnapshotTable(QObject* parent)
    : QObject(parent)
    , m(std::make_unique<Parts>())
{}

SnapshotTable::~SnapshotTable()
{
    detachFromMaster();
}

void SnapshotTable::setConnection(Connection* connection)
{
    m->connection = connection;
}

Connection* SnapshotTable::connection() const
{
    return m->connection;
}

QString SnapshotTable::tableName() const
{
    return m->tableName;
}

void SnapshotTable::setTableName(const QString& name)
{
    m->tableName = name.trimmed();
}

QString SnapshotTable::sql() const
{
    return m->sql;
}

void SnapshotTable::setSql(const QString& statement)
{
    setSql(statement, {});
}

void SnapshotTable::setSql(const QString& statement, const QVariantList& values)
{
    m->sql = statement;
    m->sqlValues = values;
}

QVariantList SnapshotTable::sqlValues() const
{
    return m->sqlValues;
}

Field* SnapshotTable::declareField(const QString& fieldName, FieldType type, int size, bool lookup,
                                   SnapshotTable* lookupTable)
{
    if (m->state != DataSetState::Inactive)
        throw DbError(Msg::fieldsOnOpenTable());
    if (m->fields.indexByName(fieldName) >= 0)
        throw DbError(Msg::duplicateField(fieldName));
    if (lookup && !lookupTable)
        throw DbError(Msg::lookupWithoutTable(fieldName));
    auto* field = new Field(this, fieldName, type, size);
    field->setObjectName(objectName() + fieldName);
    m->fields.add(field, !lookup);
    return field;
}

Field* SnapshotTable::addField(const QString& fieldName, FieldType type, int size)
{
    return declareField(fieldName, type, size, false, nullptr);
}

Field* SnapshotTable::addLookupField(const QString& fieldName, FieldType type, int size, SnapshotTable* lookupTable,
                                     const QString& keyFields, const QString& lookupKeyFields,
                                     const QString& lookupResultField)
{
    Field* field = declareField(fieldName, type, size, true, lookupTable);
    field->setLookup(lookupTable, keyFields, lookupKeyFields, lookupResultField);
    // Windows destroy their tables in any order; a lookup whose table is gone shows no value.
    connect(lookupTable, &QObject::destroyed, field, [field] {
        field->setLookup(nullptr, field->keyFields(), field->lookupKeyFields(), field->lookupResultField());
    });
    return field;
}

void SnapshotTable::setKeyField(const QString& fieldName)
{
    m->writer.setKeyField(fieldName);
}

void SnapshotTable::setInsertToken(const QString& tokenTable, const QString& keyColumn)
{
    m->writer.setInsertToken(tokenTable, keyColumn);
}

const std::vector<Field*>& SnapshotTable::fields() const
{
    return m->fields.all();
}

Field* SnapshotTable::findField(const QString& fieldName) const
{
    const int i = m->fields.indexByName(fieldName);
    return i < 0 ? nullptr : m->fields.at(i);
}

Field* SnapshotTable::field(const QString& fieldName) const
{
    Field* f = findField(fieldName);
    if (!f)
        throw DbError(Msg::fieldNotFound(fieldName));
    return f;
}

void SnapshotTable::open()
{
    if (m->state != DataSetState::Inactive)
        return;
    if (!m->connection)
        throw DbError(Msg::noConnection());
    if (m->sql.trimmed().isEmpty() && m->tableName.isEmpty())
        throw DbError(Msg::noTableNorStatement());
    openFilled([this](RowStore& store, const QString& what) {
        m->connection->open();
        const bool whole = m->sql.trimmed().isEmpty();
        const QString statement =
            whole ? QStringLiteral("SELECT * FROM ") + SnapshotValue::quotedIdentifier(m->tableName) : m->sql;
        SnapshotLoader::read(m->connection, statement, whole ? QVariantList() : m->sqlValues, m->fields.loadColumns(),
                             store, what);
    });
}

void SnapshotTable::openFilled(const std::function<void(RowStore&, const QString&)>& fill)
{
    if (m->state != DataSetState::Inactive)
        return;
    // Lookup fields read other snapshots: those are opened first, in the order of the fields.
    for (Field* f : m->fields.all()) {
        if (f->isLookup() && !f->lookupTable()->active())
            f->lookupTable()->open();
    }
    m->store.reset(m->fields.columnTypes());
    try {
        fill(m->store, what());
        m->state = DataSetState::Browse;
        bumpVersion();
        m->link.reset();
        rebuildVisible(std::nullopt);
    } catch (...) {
        m->store.clear();
        m->visible.clear();
        m->state = DataSetState::Inactive;
        throw;
    }
    m->current = m->visible.empty() ? -1 : 0;
    m->link.choose(m->link.masterValue(m->fields));
    emit rowsReset();
    emit currentChanged();
    try {
        emit afterOpen();
    } catch (...) {
        emit stateChanged();
        throw;
    }
    emit stateChanged();
    emit afterScroll();
}

void SnapshotTable::close()
{
    if (m->state == DataSetState::Inactive)
        return;
    m->state = DataSetState::Inactive;
    m->store.clear();
    std::vector<quint32>().swap(m->visible);
    std::vector<quint32>().swap(m->unfiltered);
    m->savedWhileFiltered.clear();
    m->buffer.clear();
    m->writer.forgetUncertainInsert();
    m->current = -1;
    m->link.reset();
    m->keys.clear();
    m->lookups.clear();
    bumpVersion();
    emit rowsReset();
    emit currentChanged();
    emit stateChanged();
}

bool SnapshotTable::active() const
{
    return m->state != DataSetState::Inactive;
}

DataSetState SnapshotTable::state() const
{
    return m->state;
}

bool SnapshotTable::editing() const
{
    return m->editing();
}

int SnapshotTable::recordCount() const
{
    return int(m->visible.size()) + (m->state == DataSetState::Insert ? 1 : 0);
}

bool SnapshotTable::isEmpty() const
{
    return recordCount() == 0;
}

int SnapshotTable::recNo() const
{
    return m->current;
}

void SnapshotTable::setRecNo(int row)
{
    requireBrowse();
    if (row < 0 || row >= int(m->visible.size()))
        throw DbError(Msg::noSuchRecord(row + 1));
    if (row == m->current)
        return;
    m->current = row;
    notifyCurrent();
}

bool SnapshotTable::locate(const QString& fieldName, const QVariant& value)
{
    requireActive();
    const int field = m->fields.indexByName(fieldName);
    if (field < 0)
        throw DbError(Msg::fieldNotFound(fieldName));
    const FieldType type = m->fields.type(field);
    CellValue wanted;
    if (value.isValid() && !value.isNull()) {
        if (type == FieldType::Text)
            wanted = CellValue::ofText(value.toString());
        else if (type == FieldType::DateTime && value.canConvert<QDateTime>() && value.typeId() != QMetaType::QString)
            wanted = CellValue::ofNumber(SnapshotValue::fromDateTime(value.toDateTime()));
        else
            wanted = SnapshotValue::convert(CellValue::ofText(value.toString()), FieldType::Text, type);
    }
    for (int row = 0; row < int(m->visible.size()); ++row) {
        if (rowValue(row, field) == wanted) {
            setRecNo(row);
            return true;
        }
    }
    return false;
}

int SnapshotTable::addUpdateHook(std::function<void()> hook)
{
    const int id = m->nextHookId++;
    m->hooks.emplace(id, std::move(hook));
    return id;
}

void SnapshotTable::removeUpdateHook(int id)
{
    m->hooks.erase(id);
}

int SnapshotTable::addVeto(VetoStep step, Veto veto)
{
    const int id = m->nextHookId++;
    m->vetoes.emplace(id, std::make_pair(step, std::move(veto)));
    return id;
}

void SnapshotTable::removeVeto(int id)
{
    m->vetoes.erase(id);
}

void SnapshotTable::askVetoes(VetoStep step)
{
    // A veto may remove itself or others while it is asked.
    const auto vetoes = m->vetoes;
    for (const auto& entry : vetoes) {
        if (entry.second.first != step)
            continue;
        QString reason;
        if (!entry.second.second(&reason)) {
            if (reason.isEmpty())
                throw Abort();
            throw DbError(reason);
        }
    }
}

void PostOutcome::requireReadBack() const
{
    if (status == Status::SavedNotReadBack)
        throw DbError(notice);
}

int SnapshotTable::fieldIndex(const Field* field) const
{
    return m->fields.indexOf(field);
}

int SnapshotTable::fieldIndexByName(const QString& name) const
{
    return m->fields.indexByName(name);
}

const RowStore& SnapshotTable::rows() const
{
    return m->store;
}

quint64 SnapshotTable::rowsVersion() const
{
    return m->version;
}

int SnapshotTable::columnOf(int field) const
{
    return m->fields.column(field);
}

qint64 SnapshotTable::findRow(int column, const CellValue& key) const
{
    if (m->state == DataSetState::Inactive)
        return -1;
    return m->keys.find(m->store, m->version, column, key);
}

qint64 SnapshotTable::findRowByTextId(int column, quint32 id) const
{
    if (m->state == DataSetState::Inactive)
        return -1;
    return m->keys.findTextId(m->store, m->version, column, id);
}

void SnapshotTable::requireActive() const
{
    if (m->state == DataSetState::Inactive)
        throw DbError(Msg::tableClosed());
}

void SnapshotTable::requireWritable() const
{
    if (!m->sql.isEmpty() || m->tableName.isEmpty())
        throw DbError(Msg::queryReadOnly());
}

void SnapshotTable::requireBrowse() const
{
    requireActive();
    if (m->editing())
        throw DbError(Msg::saveCurrentFirst());
    for (const QPointer<SnapshotTable>& detail : m->details) {
        if (detail && detail->editing())
            throw DbError(Msg::saveDetailsFirst());
    }
}

void SnapshotTable::bumpVersion()
{
    m->version = ++s_versions;
}

void SnapshotTable::notifyCurrent()
{
    emit currentChanged();
    emit afterScroll();
}

QString SnapshotTable::what() const
{
    return m->tableName.isEmpty() || !m->sql.isEmpty() ? QStringLiteral("the query")
                                                       : QStringLiteral("table '%1'").arg(m->tableName);
}
