#pragma once
// A statement read with values bound to its "?" marks, straight on the client library's handle: the
// statement is prepared on the server, the values travel apart from its text, and every column of
// the result comes back as the server's text form of the value, as a plain query gives it.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

struct st_mysql;
struct st_mysql_stmt;
struct st_mysql_res;

class BoundStatement
{
public:
    /// what names the rows in messages ("table 'stud'").
    BoundStatement(st_mysql* mysql, const QString& what);
    ~BoundStatement();
    BoundStatement(const BoundStatement&) = delete;
    BoundStatement& operator=(const BoundStatement&) = delete;

    /// Prepares the statement, binds the values in order (null, integers, doubles, dates,
    /// date-times, bytes and text) and runs it; throws DbError when the server refuses the statement
    /// or the count of values is not that of its marks. Run again after all its rows were fetched
    /// (reusable()), the same statement is not prepared again: only the new values travel.
    void run(const QByteArray& statement, const QVariantList& values);
    /// Prepared, and every row of its last run fetched: it may run again.
    bool reusable() const { return !m_text.isEmpty() && m_finished; }
    /// The description of the result's columns, to be freed by the caller; every column is read as
    /// text. Throws DbError when the statement returns no rows.
    st_mysql_res* resultColumns();
    /// The next row; false after the last. Throws DbError when the connection breaks meanwhile.
    bool fetch();
    /// A cell of the row fetched last, valid until the next fetch(); null when it has no value.
    const char* cell(unsigned column, unsigned long& size) const;

private:
    [[noreturn]] void fail() const;
    /// Throws DbError unless the prepared statement has as many marks as there are values.
    void checkMarks(size_t values) const;

    struct Column;
    st_mysql_stmt* m_stmt;
    QString m_what;
    std::vector<QByteArray> m_texts; ///< the bound texts, alive until the statement ran
    std::vector<Column> m_columns;
    bool m_rebind = false;
    QByteArray m_text;       ///< the statement, once its first run prepared it on the server
    bool m_finished = false; ///< the last run's rows all fetched
};
