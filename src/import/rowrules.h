#pragma once
// What a row of each record kind must hold before it is stored, written once for the windows (their
// required-field check) and for imports (every row of a file): the columns in the window's order with
// their types, sizes and "請輸入…" messages, what a new row gets by default, and which column must
// be unique. A row of texts becomes the values of the row to insert, or a list of what is wrong.

#include "data/field.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Import {

struct Column {
    QString field; ///< as a file may name it; a table column unless the kind maps it
    FieldType type;
    int size;                ///< characters of a text
    QString requiredMessage; ///< the window's "請輸入…"; empty when the column may be empty
    QString labelName;       ///< the window's label of the field (its caption is the column's title)
    QString gridColumn;      ///< "grdX.Columns[n]" when the window's grid shows it, else empty
    QStringList captions;    ///< the built-in captions of the label and of the grid column
    bool inFile = true;      ///< a file without this column is refused (when it is required)
};

struct CellError {
    qint64 row;     ///< as the spreadsheet numbers it
    QString column; ///< the column's title in the file
    QString reason; ///< in Traditional Chinese
};

/// One class as a top-up refers to it by name.
struct ClassRef {
    qint64 crpkey = 0;
    QVariant classpoint;
    int count = 0; ///< classes of that name (compared as the server compares)
};

/// What the checks need to know of the database.
struct Stored {
    QSet<QString> keys;               ///< folded() values of the unique column as stored
    QHash<QString, ClassRef> classes; ///< by folded class name
};

enum class Kind { Students, Classes, TopUps };

/// A value as the server compares it in these tables: letter case and trailing spaces ignored.
QString folded(const QString& text);
/// A text that holds nothing but white space and control characters.
bool blankText(const QString& text);

class Rules
{
public:
    static Rules students();
    static Rules classes();
    /// uid: the account a typed booking carries.
    static Rules topUps(const QString& uid);

    Kind kind() const { return m_kind; }
    QString table() const { return m_table; }
    QString window() const { return m_window; }
    /// The columns a file supplies, in the window's order.
    const QList<Column>& columns() const { return m_columns; }
    /// The column that must be unique in the file and against the database; -1 for none.
    int keyColumn() const { return m_keyColumn; }
    /// The table columns an import writes, in the order of check()'s values.
    const QStringList& insertColumns() const { return m_insert; }
    /// The fields the window's required-field check tests, with their messages, in order.
    QList<QPair<QString, QString>> requiredFields() const;

    /// Checks one row; texts are by columns() index (missing ones empty). On success fills values
    /// (insertColumns() order) and returns true; otherwise appends one error per bad cell.
    /// titles: the file's title of each column, for the errors.
    bool check(qint64 row, const QStringList& texts, const QStringList& titles, const Stored& stored,
               QVariantList& values, QList<CellError>& errors) const;

private:
    Kind m_kind;
    QString m_table;
    QString m_window;
    QList<Column> m_columns;
    int m_keyColumn = -1;
    QStringList m_insert;
    QString m_uid;
};
} // namespace Import
