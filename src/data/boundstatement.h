#pragma once
// A statement read with values bound to its "?" marks, straight on the client library's handle: the
// statement is prepared on the server, the values travel apart from its text, and every column of
// the result comes back as the server's text form of the value, as a plain query gives it.

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
    /// or the count of values is not that of its marks.
    void run(const QByteArray& statement, const QVariantList& values);
    /// The description of the result's columns, to be freed by the caller; every column is read as
    /// text. Throws DbError when the statement returns no rows.
    st_mysql_res* resultColumns();
    /// The next row; false after the last. Throws DbError when the connection breaks meanwhile.
    bool fetch();
    /// A cell of the row fetched last, valid until the next fetch(); null when it has no value.
    const char* cell(unsigned column, unsigned long& size) const;

private:
    [[noreturn]] void fail() const;

    struct Column;
    st_mysql_stmt* m_stmt;
    QString m_what;
    std::vector<QByteArray> m_texts; ///< the bound texts, alive until the statement ran
    std::vector<Column> m_columns;
    bool m_rebind = false;
};
