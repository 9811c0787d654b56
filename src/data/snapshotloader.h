#pragma once
// Reads a result straight off the wire with the client library (no QVariant per cell): numbers
// parsed in place, texts interned, date-times packed, each into its column of a RowStore.

#include "field.h"

#include <QString>
#include <QVariant>
#include <vector>

class Connection;
class RowStore;
struct st_mysql;

struct LoadColumn {
    QString name;
    FieldType type;
};

namespace SnapshotLoader {
/// Runs the statement, with values bound to its "?" marks in order (none: sent as a plain query), and appends its rows
/// to the store, whose columns are the given ones (matched to the result's columns by name, case-insensitive; other
/// result columns are skipped). Throws DbError when the server refuses the statement, a column is missing, a value does
/// not fit its column, or the connection breaks while reading; the result is consumed in every case, so that the
/// connection stays usable. what names the rows in messages ("table 'stud'").
void read(st_mysql* mysql, const QString& statement, const QVariantList& values, const std::vector<LoadColumn>& columns,
          RowStore& store, const QString& what);
/// The same on the connection's handle; an error is also noted on the connection, so that a lost
/// connection is opened again by the next statement. A statement with values stays prepared on the
/// session (Connection::preparedRead), so that reading it again sends only the values.
void read(Connection* connection, const QString& statement, const QVariantList& values,
          const std::vector<LoadColumn>& columns, RowStore& store, const QString& what);
} // namespace SnapshotLoader
