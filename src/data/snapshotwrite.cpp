// The statements that write one row: INSERT, UPDATE of the changed columns, DELETE. An UPDATE or
// DELETE names the row by its key and by the values it had when it was read, so that a row another
// workstation changed or deleted meanwhile is not overwritten: the statement then matches no row
// (the connection counts matched rows, not changed ones) and the user is told.

#include "snapshotwrite.h"
#include "platform/messages.h"

#include "connection.h"
#include "dberror.h"
#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshotloader.h"
#include "transaction.h"

#include <QSqlError>
#include <QSqlQuery>

using SnapshotValue::quotedIdentifier;
using SnapshotValue::toBindValue;

namespace {
struct Outcome {
    int rows = 0;
    QVariant insertId;
};

Outcome execute(Connection* connection, const QString& statement, const QVariantList& values, WriteKind kind,
                bool* uncertain = nullptr)
{
    if (!connection)
        throw DbError(Msg::noConnection());
    QSqlDatabase db;
    try {
        db = connection->database();
    } catch (const DbError& error) {
        // The connection could not be opened again: nothing was sent.
        throw lostDuringWrite(error, kind, false);
    }
    QSqlQuery query(db);
    // Preparing is a round trip of its own: a connection lost there never carried the statement out.
    if (!query.prepare(statement)) {
        const DbError error = connection->failure(query.lastError());
        throw error.connectionLost() ? lostDuringWrite(error, kind, false) : error;
    }
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        const DbError error = connection->failure(query.lastError());
        if (!error.connectionLost())
            throw error;
        if (uncertain)
            *uncertain = true;
        throw lostDuringWrite(error, kind, true);
    }
    return {query.numRowsAffected(), query.lastInsertId()};
}

} // namespace

int RowWriter::keyColumn(const SnapshotFields& fields) const
{
    if (m_keyField.isEmpty())
        return -1;
    const int column = fields.columnByName(m_keyField);
    if (column < 0)
        throw DbError(Msg::keyFieldNotFound(m_keyField));
    return column;
}

namespace {
QString what(const RowWriter::Target& target)
{
    return QStringLiteral("table '%1'").arg(target.tableName);
}
} // namespace

namespace {
// Text is compared byte for byte: the columns' collation would take 'abc' and 'ABC' for the same.
void appendOriginal(QString& where, QVariantList& values, const Field* field, const CellValue& original)
{
    if (!where.isEmpty())
        where += QLatin1String(" AND ");
    where += quotedIdentifier(field->fieldName());
    where += field->type() == FieldType::Text ? QLatin1String(" <=> BINARY ?") : QLatin1String(" <=> ?");
    values << toBindValue(original, field->type());
}
} // namespace

namespace {
// Whether an insert statement carries this column of row: a value, and not one the server assigns.
bool sentOnInsert(const SnapshotFields& fields, const std::vector<CellValue>& row, int col)
{
    return !row[size_t(col)].null && fields.ofColumn(col)->type() != FieldType::AutoInc;
}
} // namespace

quint32 RowWriter::insert(const Target& target, const std::vector<CellValue>& values, QString& notice)
{
    // After an insert that may have been stored, the server is asked first: sending it again could
    // store it twice.
    m_lastRecheck = InsertRecheck::None;
    const int key = keyColumn(target.fields);
    if (m_token)
        return sendWithToken(target, values, notice, key);
    if (!m_uncertain || key < 0) {
        m_uncertain.reset();
        return send(target, values, notice);
    }
    const std::optional<quint32> found = findUncertainInsert(target, key);
    m_uncertain.reset();
    const quint32 row = found ? *found : send(target, values, notice);
    m_lastRecheck = found ? InsertRecheck::FoundStored : InsertRecheck::NowStored;
    return row;
}

std::optional<quint32> RowWriter::findUncertainInsert(const Target& target, int key) const
{
    const std::vector<CellValue>& sent = *m_uncertain;
    QString where;
    QVariantList binds;
    for (int col = 0; col < target.fields.columnCount(); ++col) {
        // Text byte for byte, as the update and delete compare it.
        if (sentOnInsert(target.fields, sent, col))
            appendOriginal(where, binds, target.fields.ofColumn(col), sent[size_t(col)]);
    }
    if (where.isEmpty())
        return std::nullopt; // a row of defaults only cannot be told from any other
    RowStore fresh;
    fresh.reset(target.fields.columnTypes());
    SnapshotLoader::read(
        target.connection,
        QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY %3")
            .arg(quotedIdentifier(target.tableName), where, quotedIdentifier(target.fields.ofColumn(key)->fieldName())),
        binds, target.fields.loadColumns(), fresh, what(target));
    // A row with the same values that the store already holds was there before the insert. This
    // runs only after a lost connection, so a plain scan of the store will do.
    RowStore& store = target.store;
    for (quint32 r = 0; r < fresh.rowCount(); ++r) {
        bool held = false;
        for (quint32 s = 0; s < store.rowCount() && !held; ++s)
            held = store.holds(key, s, fresh.cell(key, r));
        if (!held)
            return store.appendRowFrom(fresh, r);
    }
    return std::nullopt;
}

namespace {
QString insertStatement(const RowWriter::Target& target, const std::vector<CellValue>& values, QVariantList& binds)
{
    const SnapshotFields& fields = target.fields;
    QStringList names;
    QStringList marks;
    for (int col = 0; col < fields.columnCount(); ++col) {
        const Field* f = fields.ofColumn(col);
        if (!sentOnInsert(fields, values, col))
            continue;
        names << quotedIdentifier(f->fieldName());
        marks << QStringLiteral("?");
        binds << toBindValue(values[size_t(col)], f->type());
    }
    // Columns left without a value are left out, so that the server's defaults apply.
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quotedIdentifier(target.tableName), names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
}
} // namespace

quint32 RowWriter::sendWithToken(const Target& target, const std::vector<CellValue>& values, QString& notice, int key)
{
    if (!m_pendingToken)
        m_pendingToken = InsertToken::make();
    const bool retry = m_lostBefore;
    QVariantList binds;
    const QString statement = insertStatement(target, values, binds);
    QVariant insertId;
    bool fresh = false;
    try {
        // The row and its token commit together or not at all. A connection lost before COMMIT takes
        // the transaction with it; one lost during COMMIT leaves the outcome to the token.
        Transaction transaction(target.connection, WriteKind::CheckedInsert);
        insertId = transaction.exec(statement, binds).lastInsertId();
        // A table without a key (the company's one row) records its token under 0.
        if (key < 0)
            insertId = QVariant(0);
        fresh = m_token->record(transaction, *m_pendingToken, insertId);
        if (fresh)
            transaction.commit();
    } catch (const DbError& e) {
        m_lostBefore = m_lostBefore || e.connectionLost();
        throw;
    }
    if (!fresh) {
        // An earlier attempt was committed: this one is rolled back, and the row stored then is shown.
        insertId = m_token->storedKey(target.connection, *m_pendingToken);
        if (!insertId.isValid())
            throw DbError(Msg::storedRowNotFound(m_token->table()));
    }
    m_lastRecheck = !fresh ? InsertRecheck::FoundStored : retry ? InsertRecheck::NowStored : InsertRecheck::None;
    m_pendingToken.reset();
    m_lostBefore = false;
    m_token->prune(target.connection);
    std::vector<CellValue> row = values;
    if (key >= 0)
        row[size_t(key)] = CellValue();
    return addStored(target, std::move(row), insertId, notice);
}

quint32 RowWriter::send(const Target& target, const std::vector<CellValue>& values, QString& notice)
{
    QVariantList binds;
    const QString statement = insertStatement(target, values, binds);
    const int key = keyColumn(target.fields);
    bool uncertain = false;
    Outcome outcome;
    try {
        outcome = execute(target.connection, statement, binds, key >= 0 ? WriteKind::CheckedInsert : WriteKind::Save,
                          &uncertain);
    } catch (...) {
        if (uncertain)
            m_uncertain = values;
        throw;
    }
    return addStored(target, values, outcome.insertId, notice);
}

quint32 RowWriter::addStored(const Target& target, std::vector<CellValue> row, const QVariant& insertId,
                             QString& notice) const
{
    RowStore& store = target.store;
    const int key = keyColumn(target.fields);
    if (key >= 0 && row[size_t(key)].null && store.type(key) != FieldType::Text
        && store.type(key) != FieldType::DateTime && insertId.isValid())
        row[size_t(key)] = CellValue::ofNumber(insertId.toLongLong());

    // The row is stored by now whatever happens below, so it goes into the snapshot in any case
    // (a second Save must not insert it again); when the server's values cannot be read back the
    // row keeps the values as typed and the user is told.
    try {
        if (key >= 0) {
            if (row[size_t(key)].null) {
                notice = Msg::savedNotReadBack();
            } else if (std::optional<quint32> stored = readBackByKey(target, row, key)) {
                return *stored;
            } else {
                notice = Msg::savedNotReadBack();
            }
        } else {
            readBackDefaults(target, row);
        }
    } catch (const DbError& e) {
        notice = Msg::savedNotReadBack(e.message());
    } catch (const std::exception& e) {
        notice = Msg::savedNotReadBack(QString::fromLocal8Bit(e.what()));
    }
    return store.appendRow(row);
}

std::optional<quint32> RowWriter::readBackByKey(const Target& target, const std::vector<CellValue>& row, int key) const
{
    RowStore& store = target.store;
    RowStore fresh;
    fresh.reset(target.fields.columnTypes());
    SnapshotLoader::read(
        target.connection,
        QStringLiteral("SELECT * FROM %1 WHERE %2 = ? LIMIT 2")
            .arg(quotedIdentifier(target.tableName), quotedIdentifier(target.fields.ofColumn(key)->fieldName())),
        {toBindValue(row[size_t(key)], store.type(key))}, target.fields.loadColumns(), fresh, what(target));
    if (fresh.rowCount() != 1)
        return std::nullopt;
    return store.appendRowFrom(fresh, 0);
}

void RowWriter::readBackDefaults(const Target& target, std::vector<CellValue>& row) const
{
    // Without a key the row cannot be found again; the columns left out take the server's defaults.
    std::vector<LoadColumn> omitted;
    std::vector<int> omittedColumns;
    QStringList defaults;
    const std::vector<LoadColumn> all = target.fields.loadColumns();
    for (int col = 0; col < int(all.size()); ++col) {
        if (!row[size_t(col)].null)
            continue;
        omitted.push_back(all[size_t(col)]);
        omittedColumns.push_back(col);
        defaults << QStringLiteral("DEFAULT(%1) AS %1").arg(quotedIdentifier(all[size_t(col)].name));
    }
    if (omitted.empty())
        return;
    std::vector<FieldType> types;
    for (const LoadColumn& c : omitted)
        types.push_back(c.type);
    RowStore fresh;
    fresh.reset(types);
    SnapshotLoader::read(target.connection,
                         QStringLiteral("SELECT %1 FROM %2 LIMIT 1")
                             .arg(defaults.join(QLatin1String(", ")), quotedIdentifier(target.tableName)),
                         {}, omitted, fresh, what(target));
    if (fresh.rowCount() != 1)
        throw DbError(Msg::defaultsUnreadable(what(target)));
    for (size_t i = 0; i < omittedColumns.size(); ++i)
        row[size_t(omittedColumns[i])] = fresh.cell(int(i), 0);
}

void RowWriter::update(const Target& target, quint32 row, const std::vector<CellValue>& values,
                       const std::vector<int>& changed) const
{
    const SnapshotFields& fields = target.fields;
    const RowStore& store = target.store;
    QStringList assignments;
    QVariantList binds;
    for (const int col : changed) {
        const Field* f = fields.ofColumn(col);
        assignments << quotedIdentifier(f->fieldName()) + QStringLiteral(" = ?");
        binds << toBindValue(values[size_t(col)], f->type());
    }
    QString where;
    const int key = keyColumn(fields);
    if (key >= 0) {
        appendOriginal(where, binds, fields.ofColumn(key), store.cell(key, row));
        for (const int col : changed) {
            if (col != key)
                appendOriginal(where, binds, fields.ofColumn(col), store.cell(col, row));
        }
    } else {
        for (int col = 0; col < store.columnCount(); ++col)
            appendOriginal(where, binds, fields.ofColumn(col), store.cell(col, row));
    }
    QString statement = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                            .arg(quotedIdentifier(target.tableName), assignments.join(QLatin1String(", ")), where);
    if (key < 0)
        statement += QLatin1String(" LIMIT 1");
    if (execute(target.connection, statement, binds, WriteKind::Save).rows == 0)
        throw DbError(Msg::changedMeanwhileNotSaved());
}

void RowWriter::remove(const Target& target, quint32 row) const
{
    const SnapshotFields& fields = target.fields;
    const RowStore& store = target.store;
    QString where;
    QVariantList binds;
    const int key = keyColumn(fields);
    if (key >= 0)
        appendOriginal(where, binds, fields.ofColumn(key), store.cell(key, row));
    for (int col = 0; col < store.columnCount(); ++col) {
        if (col != key)
            appendOriginal(where, binds, fields.ofColumn(col), store.cell(col, row));
    }
    QString statement = QStringLiteral("DELETE FROM %1 WHERE %2").arg(quotedIdentifier(target.tableName), where);
    if (key < 0)
        statement += QLatin1String(" LIMIT 1");
    if (execute(target.connection, statement, binds, WriteKind::Delete).rows == 0)
        throw DbError(Msg::changedMeanwhileNotDeleted());
}
