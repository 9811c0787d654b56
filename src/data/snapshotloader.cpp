#include "snapshotloader.h"
#include "platform/messages.h"

#include "connection.h"
#include "dberror.h"
#include "boundstatement.h"
#include "rowstore.h"

#include <charconv>
#include <limits>
#include <memory>
#include <mysql.h>

namespace {
QString serverText(MYSQL* mysql)
{
    return QString::fromUtf8(mysql_error(mysql));
}

// Frees the result however reading ends. Freeing an unbuffered result makes the client library
// read and drop the rows still on the wire; any further results of the statement go the same way.
class ResultGuard
{
public:
    ResultGuard(MYSQL* mysql, MYSQL_RES* result)
        : m_mysql(mysql)
        , m_result(result)
    {}
    ~ResultGuard()
    {
        if (m_result)
            mysql_free_result(m_result);
        while (mysql_more_results(m_mysql) && mysql_next_result(m_mysql) == 0) {
            if (MYSQL_RES* more = mysql_use_result(m_mysql))
                mysql_free_result(more);
        }
    }
    ResultGuard(const ResultGuard&) = delete;
    ResultGuard& operator=(const ResultGuard&) = delete;

private:
    MYSQL* m_mysql;
    MYSQL_RES* m_result;
};

enum class Kind { Narrow, Wide, DateTime, Text };

struct Target {
    unsigned resultIndex;
    int column;
    Kind kind;
    qint64 minimum;
    qint64 maximum;
};

[[noreturn]] void badValue(const QString& what, const QString& column, const char* data, unsigned long size)
{
    throw DbError(Msg::valueUnreadable(QString::fromUtf8(data, qsizetype(size)), column, what));
}

// Where each wanted column is found in the result, and how its text is read.
std::vector<Target> targetsOf(const MYSQL_FIELD* resultFields, unsigned fieldCount,
                              const std::vector<LoadColumn>& columns, const QString& what)
{
    std::vector<QString> names(fieldCount);
    for (unsigned i = 0; i < fieldCount; ++i)
        names[i] = QString::fromUtf8(resultFields[i].name, qsizetype(resultFields[i].name_length));
    std::vector<Target> targets;
    for (size_t col = 0; col < columns.size(); ++col) {
        unsigned found = fieldCount;
        for (unsigned i = 0; i < fieldCount && found == fieldCount; ++i) {
            if (names[i].compare(columns[col].name, Qt::CaseInsensitive) == 0)
                found = i;
        }
        if (found == fieldCount)
            throw DbError(Msg::fieldNotFoundIn(columns[col].name, what));
        Target t{found, int(col), Kind::Narrow, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
        switch (columns[col].type) {
        case FieldType::Text:
            t.kind = Kind::Text;
            break;
        case FieldType::DateTime:
            t.kind = Kind::DateTime;
            break;
        case FieldType::Int64:
            t.kind = Kind::Wide;
            t.minimum = std::numeric_limits<qint64>::min();
            t.maximum = std::numeric_limits<qint64>::max();
            break;
        default:
            break;
        }
        targets.push_back(t);
    }
    return targets;
}

// One cell in the server's text form (data null: no value) into its column.
void appendCell(RowStore& store, const Target& t, const char* data, unsigned long size,
                const std::vector<LoadColumn>& columns, const QString& what)
{
    if (!data) {
        store.appendNull(t.column);
        return;
    }
    switch (t.kind) {
    case Kind::Text:
        store.appendText(t.column, data, size);
        break;
    case Kind::Narrow:
    case Kind::Wide: {
        qint64 value = 0;
        const auto [end, ec] = std::from_chars(data, data + size, value);
        if (ec != std::errc() || end != data + size || value < t.minimum || value > t.maximum)
            badValue(what, columns[size_t(t.column)].name, data, size);
        store.appendNumber(t.column, value);
        break;
    }
    case Kind::DateTime: {
        qint64 packed = 0;
        bool zero = false;
        if (!SnapshotValue::parseWireDateTime(data, size, packed, zero))
            badValue(what, columns[size_t(t.column)].name, data, size);
        if (zero)
            store.appendNull(t.column);
        else
            store.appendNumber(t.column, packed);
        break;
    }
    }
}

void readText(MYSQL* mysql, const QByteArray& sql, const std::vector<LoadColumn>& columns, RowStore& store,
              const QString& what)
{
    if (mysql_real_query(mysql, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
        throw DbError(Msg::readFailed(what, serverText(mysql)), int(mysql_errno(mysql)));
    MYSQL_RES* result = mysql_use_result(mysql);
    ResultGuard guard(mysql, result);
    if (!result) {
        if (mysql_errno(mysql) != 0)
            throw DbError(Msg::readFailed(what, serverText(mysql)), int(mysql_errno(mysql)));
        throw DbError(Msg::returnsNoRows(what));
    }
    const std::vector<Target> targets = targetsOf(mysql_fetch_fields(result), mysql_num_fields(result), columns, what);
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        for (const Target& t : targets)
            appendCell(store, t, row[t.resultIndex], lengths[t.resultIndex], columns, what);
        store.endRow();
    }
    // A null row also ends the loop when the connection broke in the middle of the result.
    if (mysql_errno(mysql) != 0)
        throw DbError(Msg::readFailed(what, serverText(mysql)), int(mysql_errno(mysql)));
}
} // namespace

namespace {
void readBound(BoundStatement& bound, const QByteArray& sql, const QVariantList& values,
               const std::vector<LoadColumn>& columns, RowStore& store, const QString& what)
{
    bound.run(sql, values);
    const std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> meta(bound.resultColumns(), mysql_free_result);
    const std::vector<Target> targets =
        targetsOf(mysql_fetch_fields(meta.get()), mysql_num_fields(meta.get()), columns, what);
    while (bound.fetch()) {
        for (const Target& t : targets) {
            unsigned long size = 0;
            const char* data = bound.cell(t.resultIndex, size);
            appendCell(store, t, data, size, columns, what);
        }
        store.endRow();
    }
}
} // namespace

void SnapshotLoader::read(st_mysql* mysql, const QString& statement, const QVariantList& values,
                          const std::vector<LoadColumn>& columns, RowStore& store, const QString& what)
{
    if (!mysql)
        throw DbError(Msg::connectionNotOpen());
    const QByteArray sql = statement.toUtf8();
    if (values.isEmpty()) {
        readText(mysql, sql, columns, store, what);
        return;
    }
    BoundStatement bound(mysql, what);
    readBound(bound, sql, values, columns, store, what);
}

void SnapshotLoader::read(Connection* connection, const QString& statement, const QVariantList& values,
                          const std::vector<LoadColumn>& columns, RowStore& store, const QString& what)
{
    try {
        if (values.isEmpty()) {
            read(connection->nativeHandle(), statement, values, columns, store, what);
            return;
        }
        // The session keeps the statement prepared: a read-back after each save sends only its key.
        const QByteArray sql = statement.toUtf8();
        BoundStatement& bound = connection->preparedRead(sql, what);
        try {
            readBound(bound, sql, values, columns, store, what);
        } catch (...) {
            connection->dropPreparedRead(sql);
            throw;
        }
    } catch (const DbError& e) {
        connection->noteError(e);
        throw;
    }
}
