#pragma once
// Rows to be written to a file: column titles, a row count and typed cells. The export writers
// (tableexport.h) take any source; the program's is a table's visible rows (SnapshotExportSource).

#include "snapshottable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <string_view>
#include <vector>

class QDateTime;
class QVariant;

/// One cell as a writer reads it. Text is UTF-8 and stays valid until the source's next cell call.
struct ExportCell {
    enum Kind { Empty, Integer, Real, DateTime, Text };
    Kind kind = Empty;
    qint64 integer = 0; ///< Integer; DateTime packed as the decimal number yyyyMMddHHmmss
    double real = 0;    ///< Real
    std::string_view text;
    QByteArray storage; ///< holds the bytes of text when the source had to make them

    void clear() { kind = Empty; }
    void setInteger(qint64 v)
    {
        kind = Integer;
        integer = v;
    }
    void setText(const QString& v);
    void setDateTime(const QDateTime& v);
    /// Integers and reals as numbers, date-times as date-times, anything else as its text.
    void setVariant(const QVariant& v);
};

class ExportSource
{
public:
    virtual ~ExportSource() = default;
    virtual int columnCount() const = 0;
    virtual QString columnTitle(int column) const = 0;
    virtual qint64 rowCount() const = 0;
    /// The cell at row and column, both in range.
    virtual void cell(qint64 row, int column, ExportCell& out) const = 0;
};

/// The visible rows of a snapshot table in their current order, the named fields as columns with
/// the given titles: what a grid over the table shows, values typed, lookups as their results.
class SnapshotExportSource : public ExportSource
{
public:
    struct Column {
        QString fieldName;
        QString title;
    };
    SnapshotExportSource(const SnapshotTable* table, const QList<Column>& columns);
    int columnCount() const override;
    QString columnTitle(int column) const override;
    qint64 rowCount() const override;
    void cell(qint64 row, int column, ExportCell& out) const override;

private:
    const SnapshotTable* m_table;
    QList<Column> m_columns;
    std::vector<int> m_fields;              ///< per column; -1 when the table has no such field
    mutable SnapshotTable::CellView m_view; ///< reused, so that a text cell costs no allocation
};
