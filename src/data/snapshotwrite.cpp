// The statements that write one row: INSERT, UPDATE of the changed columns, DELETE. An UPDATE or
// DELETE names the row by its key and by the values it had when it was read, so that a row another
// workstation changed or deleted meanwhile is not overwritten: the statement then matches no row
// (the connection counts matched rows, not changed ones) and the user is told.

#include "connection.h"
#include "dberror.h"
#include "snapshottableprivate.h"
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
        throw DbError(QStringLiteral("The dataset has no connection"));
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

const QString kChangedMeanwhile = QStringLiteral(
    "The row was changed or deleted by another user since it was read; %1 Read the table again to see the "
    "current values.");

const QString kNotReadBack =
    QStringLiteral("這筆資料已經儲存，但無法從資料庫讀回它的鍵值與預設值，畫面上顯示的是輸入的內容。"
                   "請關閉視窗再開啟，重新讀取之後再修改或刪除這筆資料。");
} // namespace

int SnapshotTable::Private::keyColumn() const
{
    if (keyFieldName.isEmpty())
        return -1;
    const int field = fieldIndexByName(keyFieldName);
    if (field < 0 || columnOf[size_t(field)] < 0)
        throw DbError(QStringLiteral("Key field '%1' not found").arg(keyFieldName));
    return columnOf[size_t(field)];
}

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

quint32 SnapshotTable::Private::writeInsert(QString& notice)
{
    requireWritable();
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (int col = 0; col < int(fieldOf.size()); ++col) {
        const Field* f = fields[size_t(fieldOf[size_t(col)])];
        if (!sentOnInsert(buffer, col))
            continue;
        names << quotedIdentifier(f->fieldName());
        marks << QStringLiteral("?");
        values << toBindValue(buffer[size_t(col)], f->type());
    }
    // Columns left without a value are left out, so that the server's defaults apply.
    const QString statement =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quotedIdentifier(tableName), names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    const int key = keyColumn();
    bool uncertain = false;
    Outcome outcome;
    try {
        outcome =
            execute(connection, statement, values, key >= 0 ? WriteKind::CheckedInsert : WriteKind::Save, &uncertain);
    } catch (...) {
        if (uncertain)
            uncertainInsert = buffer;
        throw;
    }

    std::vector<CellValue> row = buffer;
    if (key >= 0 && row[size_t(key)].null && store.type(key) != FieldType::Text
        && store.type(key) != FieldType::DateTime && outcome.insertId.isValid())
        row[size_t(key)] = CellValue::ofNumber(outcome.insertId.toLongLong());

    // The row is stored by now whatever happens below, so it goes into the snapshot in any case
    // (a second Save must not insert it again); when the server's values cannot be read back the
    // row keeps the values as typed and the user is told.
    try {
        if (key >= 0) {
            if (row[size_t(key)].null) {
                notice = kNotReadBack;
            } else if (std::optional<quint32> stored = readBackByKey(row, key)) {
                return *stored;
            } else {
                notice = kNotReadBack;
            }
        } else {
            readBackDefaults(row);
        }
    } catch (const DbError& e) {
        notice = kNotReadBack + QLatin1Char('\n') + e.message();
    } catch (const std::exception& e) {
        notice = kNotReadBack + QLatin1Char('\n') + QString::fromLocal8Bit(e.what());
    }
    return store.appendRow(row);
}

quint32 SnapshotTable::Private::insertRow(QString& notice)
{
    // After an insert that may have been stored, the server is asked first: sending it again could
    // store it twice.
    const bool recheck = uncertainInsert && keyColumn() >= 0;
    std::optional<quint32> found;
    if (recheck) {
        found = findUncertainInsert();
        uncertainInsert.reset();
    }
    const quint32 row = found ? *found : writeInsert(notice);
    if (recheck)
        lastRecheck = found ? SnapshotTable::InsertRecheck::FoundStored : SnapshotTable::InsertRecheck::NowStored;
    uncertainInsert.reset();
    return row;
}

bool SnapshotTable::Private::sentOnInsert(const std::vector<CellValue>& row, int col) const
{
    return !row[size_t(col)].null && fields[size_t(fieldOf[size_t(col)])]->type() != FieldType::AutoInc;
}

std::optional<quint32> SnapshotTable::Private::findUncertainInsert()
{
    const int key = keyColumn();
    const std::vector<CellValue>& sent = *uncertainInsert;
    QString where;
    for (int col = 0; col < int(fieldOf.size()); ++col) {
        const Field* f = fields[size_t(fieldOf[size_t(col)])];
        if (!sentOnInsert(sent, col))
            continue;
        // Text byte for byte, as the update and delete compare it.
        where += where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ");
        where += quotedIdentifier(f->fieldName())
                 + (f->type() == FieldType::Text ? QLatin1String(" <=> BINARY ") : QLatin1String(" <=> "))
                 + SnapshotValue::toSqlLiteral(sent[size_t(col)], f->type());
    }
    if (where.isEmpty())
        return std::nullopt; // a row of defaults only cannot be told from any other
    RowStore fresh;
    std::vector<FieldType> types;
    for (int col = 0; col < store.columnCount(); ++col)
        types.push_back(store.type(col));
    fresh.reset(types);
    const QString keyName = quotedIdentifier(fields[size_t(fieldOf[size_t(key)])]->fieldName());
    load(QStringLiteral("SELECT * FROM %1%2 ORDER BY %3").arg(quotedIdentifier(tableName), where, keyName),
         loadColumns(), fresh);
    // A row with the same values that this snapshot already holds was there before the insert.
    for (quint32 r = 0; r < fresh.rowCount(); ++r) {
        if (findRowByKey(key, fresh.cell(key, r)) < 0)
            return store.appendRowFrom(fresh, r);
    }
    return std::nullopt;
}

std::optional<quint32> SnapshotTable::Private::readBackByKey(const std::vector<CellValue>& row, int key)
{
    RowStore fresh;
    std::vector<FieldType> types;
    for (int col = 0; col < store.columnCount(); ++col)
        types.push_back(store.type(col));
    fresh.reset(types);
    load(QStringLiteral("SELECT * FROM %1 WHERE %2 = %3 LIMIT 2")
             .arg(quotedIdentifier(tableName), quotedIdentifier(fields[size_t(fieldOf[size_t(key)])]->fieldName()),
                  SnapshotValue::toSqlLiteral(row[size_t(key)], store.type(key))),
         loadColumns(), fresh);
    if (fresh.rowCount() != 1)
        return std::nullopt;
    return store.appendRowFrom(fresh, 0);
}

void SnapshotTable::Private::readBackDefaults(std::vector<CellValue>& row)
{
    // Without a key the row cannot be found again; the columns left out take the server's defaults.
    std::vector<LoadColumn> omitted;
    std::vector<int> omittedColumns;
    QStringList defaults;
    const std::vector<LoadColumn> all = loadColumns();
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
    load(QStringLiteral("SELECT %1 FROM %2 LIMIT 1")
             .arg(defaults.join(QLatin1String(", ")), quotedIdentifier(tableName)),
         omitted, fresh);
    if (fresh.rowCount() != 1)
        throw DbError(QStringLiteral("The defaults of %1 could not be read.").arg(what()));
    for (size_t i = 0; i < omittedColumns.size(); ++i)
        row[size_t(omittedColumns[i])] = fresh.cell(int(i), 0);
}

void SnapshotTable::Private::writeUpdate(const std::vector<int>& changed)
{
    requireWritable();
    QStringList assignments;
    QVariantList values;
    for (const int col : changed) {
        const Field* f = fields[size_t(fieldOf[size_t(col)])];
        assignments << quotedIdentifier(f->fieldName()) + QStringLiteral(" = ?");
        values << toBindValue(buffer[size_t(col)], f->type());
    }
    QString where;
    const int key = keyColumn();
    if (key >= 0) {
        appendOriginal(where, values, fields[size_t(fieldOf[size_t(key)])], store.cell(key, editRow));
        for (const int col : changed) {
            if (col != key)
                appendOriginal(where, values, fields[size_t(fieldOf[size_t(col)])], store.cell(col, editRow));
        }
    } else {
        for (int col = 0; col < store.columnCount(); ++col)
            appendOriginal(where, values, fields[size_t(fieldOf[size_t(col)])], store.cell(col, editRow));
    }
    QString statement = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                            .arg(quotedIdentifier(tableName), assignments.join(QLatin1String(", ")), where);
    if (key < 0)
        statement += QLatin1String(" LIMIT 1");
    if (execute(connection, statement, values, WriteKind::Save).rows == 0)
        throw DbError(kChangedMeanwhile.arg(QStringLiteral("nothing was saved.")));
}

void SnapshotTable::Private::writeDelete(quint32 row)
{
    requireWritable();
    QString where;
    QVariantList values;
    const int key = keyColumn();
    if (key >= 0)
        appendOriginal(where, values, fields[size_t(fieldOf[size_t(key)])], store.cell(key, row));
    for (int col = 0; col < store.columnCount(); ++col) {
        if (col != key)
            appendOriginal(where, values, fields[size_t(fieldOf[size_t(col)])], store.cell(col, row));
    }
    QString statement = QStringLiteral("DELETE FROM %1 WHERE %2").arg(quotedIdentifier(tableName), where);
    if (key < 0)
        statement += QLatin1String(" LIMIT 1");
    if (execute(connection, statement, values, WriteKind::Delete).rows == 0)
        throw DbError(kChangedMeanwhile.arg(QStringLiteral("it was not deleted.")));
}
