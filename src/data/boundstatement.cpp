#include "boundstatement.h"
#include "platform/messages.h"

#include "dberror.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <mysql.h>

namespace {
// A result column's first buffer; a longer value is read again into a buffer of its size.
constexpr unsigned long kFirstBuffer = 64;

MYSQL_TIME timeOf(const QDate& date, const QTime& time, enum_mysql_timestamp_type type)
{
    MYSQL_TIME t;
    std::memset(&t, 0, sizeof t);
    t.year = unsigned(date.year());
    t.month = unsigned(date.month());
    t.day = unsigned(date.day());
    t.hour = unsigned(time.hour());
    t.minute = unsigned(time.minute());
    t.second = unsigned(time.second());
    t.second_part = static_cast<unsigned long>(time.msec()) * 1000;
    t.time_type = type;
    return t;
}
} // namespace

struct BoundStatement::Column {
    std::vector<char> buffer;
    unsigned long length = 0;
    my_bool null = 0;
    my_bool truncated = 0;
};

BoundStatement::BoundStatement(st_mysql* mysql, const QString& what)
    : m_stmt(mysql_stmt_init(mysql))
    , m_what(what)
{
    if (!m_stmt)
        throw DbError(Msg::readFailed(what, QString::fromUtf8(mysql_error(mysql))), int(mysql_errno(mysql)));
}

BoundStatement::~BoundStatement()
{
    // Closing reads and drops the rows still on the wire, so that the connection stays usable.
    mysql_stmt_close(m_stmt);
}

void BoundStatement::fail() const
{
    throw DbError(Msg::readFailed(m_what, QString::fromUtf8(mysql_stmt_error(m_stmt))), int(mysql_stmt_errno(m_stmt)));
}

void BoundStatement::run(const QByteArray& statement, const QVariantList& values)
{
    const size_t count = size_t(values.size());
    std::vector<MYSQL_BIND> binds(count);
    std::memset(binds.data(), 0, sizeof(MYSQL_BIND) * count);
    std::vector<long long> numbers(count);
    std::vector<double> doubles(count);
    std::vector<MYSQL_TIME> times(count);
    m_texts.assign(count, QByteArray());
    for (size_t i = 0; i < count; ++i) {
        const QVariant& v = values[qsizetype(i)];
        MYSQL_BIND& b = binds[i];
        if (!v.isValid() || v.isNull()) {
            b.buffer_type = MYSQL_TYPE_NULL;
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
            numbers[i] = v.toLongLong();
            b.buffer_type = MYSQL_TYPE_LONGLONG;
            b.buffer = &numbers[i];
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            numbers[i] = static_cast<long long>(v.toULongLong());
            b.buffer_type = MYSQL_TYPE_LONGLONG;
            b.buffer = &numbers[i];
            b.is_unsigned = 1;
            break;
        case QMetaType::Float:
        case QMetaType::Double:
            doubles[i] = v.toDouble();
            b.buffer_type = MYSQL_TYPE_DOUBLE;
            b.buffer = &doubles[i];
            break;
        case QMetaType::QDate:
            times[i] = timeOf(v.toDate(), QTime(0, 0), MYSQL_TIMESTAMP_DATE);
            b.buffer_type = MYSQL_TYPE_DATE;
            b.buffer = &times[i];
            break;
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            times[i] = timeOf(dt.date(), dt.time(), MYSQL_TIMESTAMP_DATETIME);
            b.buffer_type = MYSQL_TYPE_DATETIME;
            b.buffer = &times[i];
            break;
        }
        case QMetaType::QByteArray:
            m_texts[i] = v.toByteArray();
            b.buffer_type = MYSQL_TYPE_BLOB;
            break;
        default:
            m_texts[i] = v.toString().toUtf8();
            b.buffer_type = MYSQL_TYPE_STRING;
            break;
        }
        if (b.buffer_type == MYSQL_TYPE_BLOB || b.buffer_type == MYSQL_TYPE_STRING) {
            b.buffer = m_texts[i].data();
            b.buffer_length = static_cast<unsigned long>(m_texts[i].size());
        }
    }
    m_finished = false;
    const bool prepared = !m_text.isEmpty();
    if (prepared && statement != m_text)
        throw DbError(Msg::readFailed(m_what, QStringLiteral("another statement on a prepared one")));
    // The first run prepares and runs in one round trip: both commands go out together and the
    // server answers both. No prepare has told the library how many marks there are then; it
    // takes the number of values, and the server's count is compared once it has answered.
    unsigned int params = static_cast<unsigned int>(count);
    if (prepared)
        checkMarks(count);
    else if (mysql_stmt_attr_set(m_stmt, STMT_ATTR_PREBIND_PARAMS, &params) != 0)
        fail();
    // The library copies the values when the statement runs; the buffers live until then.
    if (count > 0 && mysql_stmt_bind_param(m_stmt, binds.data()) != 0)
        fail();
    if (prepared ? mysql_stmt_execute(m_stmt) != 0
                 : mariadb_stmt_execute_direct(m_stmt, statement.constData(), size_t(statement.size())) != 0)
        fail();
    if (!prepared) {
        m_text = statement;
        checkMarks(count);
    }
}

void BoundStatement::checkMarks(size_t values) const
{
    const unsigned long marks = mysql_stmt_param_count(m_stmt);
    if (marks != values)
        throw DbError(Msg::readFailed(m_what, QStringLiteral("%1 values for %2 marks").arg(values).arg(marks)));
}

st_mysql_res* BoundStatement::resultColumns()
{
    MYSQL_RES* meta = mysql_stmt_result_metadata(m_stmt);
    if (!meta) {
        if (mysql_stmt_errno(m_stmt) != 0)
            fail();
        throw DbError(Msg::returnsNoRows(m_what));
    }
    m_columns.resize(mysql_num_fields(meta));
    for (Column& c : m_columns)
        c.buffer.resize(kFirstBuffer);
    m_rebind = true;
    return meta;
}

bool BoundStatement::fetch()
{
    if (m_rebind) {
        std::vector<MYSQL_BIND> binds(m_columns.size());
        std::memset(binds.data(), 0, sizeof(MYSQL_BIND) * binds.size());
        for (size_t i = 0; i < m_columns.size(); ++i) {
            Column& c = m_columns[i];
            binds[i].buffer_type = MYSQL_TYPE_STRING;
            binds[i].buffer = c.buffer.data();
            binds[i].buffer_length = static_cast<unsigned long>(c.buffer.size());
            binds[i].length = &c.length;
            binds[i].is_null = &c.null;
            binds[i].error = &c.truncated;
        }
        if (mysql_stmt_bind_result(m_stmt, binds.data()) != 0)
            fail();
        m_rebind = false;
    }
    const int rc = mysql_stmt_fetch(m_stmt);
    if (rc == MYSQL_NO_DATA) {
        m_finished = true;
        return false;
    }
    if (rc == 1)
        fail();
    // The longer values are read again whole (the length tells, whether or not the library reports
    // truncation); the buffers keep their new size for the rows after.
    for (size_t i = 0; i < m_columns.size(); ++i) {
        Column& c = m_columns[i];
        if (c.null || c.length <= c.buffer.size())
            continue;
        c.buffer.resize(c.length);
        MYSQL_BIND b;
        std::memset(&b, 0, sizeof b);
        b.buffer_type = MYSQL_TYPE_STRING;
        b.buffer = c.buffer.data();
        b.buffer_length = c.length;
        b.length = &c.length;
        if (mysql_stmt_fetch_column(m_stmt, &b, unsigned(i), 0) != 0)
            fail();
        m_rebind = true;
    }
    return true;
}

const char* BoundStatement::cell(unsigned column, unsigned long& size) const
{
    const Column& c = m_columns[column];
    if (c.null)
        return nullptr;
    size = std::min<unsigned long>(c.length, static_cast<unsigned long>(c.buffer.size()));
    return c.buffer.data();
}
