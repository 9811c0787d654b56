#pragma once
// Rows given as plain values instead of read from the server: a row store or a snapshot table
// filled from QVariants, one per column. Each value is held as the loader would hold the server's
// text for it, and refused where the loader would refuse that text.

#include "snapshotloader.h"

#include <QString>
#include <QVariant>
#include <vector>

class RowStore;
class SnapshotTable;

namespace SnapshotFill {
using Rows = std::vector<std::vector<QVariant>>;

/// Appends the rows to the store, whose columns are the given ones: one value per column, in their
/// order. A null or invalid QVariant is no value; a number column takes integers (and texts of
/// them), a date-time column a QDateTime, a QDate or a text as typed ("2026/09/01 10:00") or as the
/// server sends it. Throws DbError as SnapshotLoader::read does when a value does not fit its
/// column or a row has more or fewer values; what names the rows in messages.
void append(RowStore& store, const std::vector<LoadColumn>& columns, const Rows& rows, const QString& what);

/// Opens the table on the rows, one value per stored field in the order of the fields (lookup
/// fields take none), as SnapshotTable::open() would on the same rows read from the server. The
/// tables of lookup fields are best opened first, filled too: one that is not open is read from
/// the server.
void open(SnapshotTable& table, const Rows& rows);
} // namespace SnapshotFill
