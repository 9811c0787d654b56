// The statements that write one row: INSERT, UPDATE of the changed columns, DELETE. An UPDATE or
// DELETE names the row by its key and by the values it had when it was read, so that a row another
// workstation changed or deleted meanwhile is not overwritten: the statement then matches no row
// (the connection counts matched rows, not changed ones) and the user is told.

#include "snapshotwrite.h"

#include "connection.h"
#include "dberror.h"
#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshotloader.h"

#include <QSqlError>
#include <QSqlQuery>

using SnapshotValue::quotedIdentifier;
using SnapshotValue::toBindValue;

namespace {
struct Outcome {
    int rows = 0;
    QVariant insertId;
};

enum class Write { Save, Delete };

// The connection broke during a row write. Whether the statement can have reached the server
// decides what the user is to do; the program itself never sends it again.
DbError lostDuringWrite(const DbError& error, Write kind, bool maybeCarriedOut)
{
    QString text;
    if (kind == Write::Save)
        text = maybeCarriedOut
                   ? QStringLiteral("與資料庫伺服器的連線中斷，無法確定這筆資料是否已經儲存，畫面上的內容都還在。"
                                    "請先確認這筆資料是否已存入資料庫，再決定是否重新儲存，以免重複儲存。")
                   : QStringLiteral("與資料庫伺服器的連線中斷，這筆資料沒有儲存，畫面上的內容都還在。"
                                    "請再按一次儲存，程式會重新連線。");
    else
        text = maybeCarriedOut
                   ? QStringLiteral("與資料庫伺服器的連線中斷，無法確定這筆資料是否已經刪除。"
                                    "請先確認，再決定是否重新刪除。")
                   : QStringLiteral("與資料庫伺服器的連線中斷，這筆資料沒有刪除。請再刪除一次，程式會重新連線。");
    return DbError(text + QLatin1Char('\n') + error.message(), error.code());
}

Outcome execute(Connection* connection, const QString& statement, const QVariantList& values, Write kind)
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
        throw error.connectionLost() ? lostDuringWrite(error, kind, true) : error;
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

int RowWriter::keyColumn(const SnapshotFields& fields) const
{
    if (m_keyField.isEmpty())
        return -1;
    const int column = fields.columnByName(m_keyField);
    if (column < 0)
        throw DbError(QStringLiteral("Key field '%1' not found").arg(m_keyField));
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

quint32 RowWriter::insert(const Target& target, const std::vector<CellValue>& values, QString& notice) const
{
    const SnapshotFields& fields = target.fields;
    RowStore& store = target.store;
    QStringList names;
    QStringList marks;
    QVariantList binds;
    for (int col = 0; col < fields.columnCount(); ++col) {
        const Field* f = fields.ofColumn(col);
        if (values[size_t(col)].null || f->type() == FieldType::AutoInc)
            continue;
        names << quotedIdentifier(f->fieldName());
        marks << QStringLiteral("?");
        binds << toBindValue(values[size_t(col)], f->type());
    }
    // Columns left without a value are left out, so that the server's defaults apply.
    const QString statement =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quotedIdentifier(target.tableName), names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    const Outcome outcome = execute(target.connection, statement, binds, Write::Save);

    std::vector<CellValue> row = values;
    const int key = keyColumn(fields);
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
            } else if (std::optional<quint32> stored = readBackByKey(target, row, key)) {
                return *stored;
            } else {
                notice = kNotReadBack;
            }
        } else {
            readBackDefaults(target, row);
        }
    } catch (const DbError& e) {
        notice = kNotReadBack + QLatin1Char('\n') + e.message();
    } catch (const std::exception& e) {
        notice = kNotReadBack + QLatin1Char('\n') + QString::fromLocal8Bit(e.what());
    }
    return store.appendRow(row);
}

std::optional<quint32> RowWriter::readBackByKey(const Target& target, const std::vector<CellValue>& row, int key) const
{
    RowStore& store = target.store;
    RowStore fresh;
    fresh.reset(target.fields.columnTypes());
    SnapshotLoader::read(target.connection,
                         QStringLiteral("SELECT * FROM %1 WHERE %2 = %3 LIMIT 2")
                             .arg(quotedIdentifier(target.tableName),
                                  quotedIdentifier(target.fields.ofColumn(key)->fieldName()),
                                  SnapshotValue::toSqlLiteral(row[size_t(key)], store.type(key))),
                         target.fields.loadColumns(), fresh, what(target));
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
                         omitted, fresh, what(target));
    if (fresh.rowCount() != 1)
        throw DbError(QStringLiteral("The defaults of %1 could not be read.").arg(what(target)));
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
    if (execute(target.connection, statement, binds, Write::Save).rows == 0)
        throw DbError(kChangedMeanwhile.arg(QStringLiteral("nothing was saved.")));
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
    if (execute(target.connection, statement, binds, Write::Delete).rows == 0)
        throw DbError(kChangedMeanwhile.arg(QStringLiteral("it was not deleted.")));
}
