#pragma once
// The first reading of a file to import: the title row matched to the columns, every row checked
// by the record kind's rules, against the file's other rows and against what the database holds.
// Only the first rows (for the preview) and the faults are kept; the rows themselves are read
// again when they are written.

#include "columnmatch.h"
#include "rowrules.h"

#include <functional>

class Connection;

namespace Import {
/// Rows shown in the preview.
constexpr int PreviewRows = 200;
/// Faults kept for the list; beyond them only their number.
constexpr int MaxListedErrors = 100000;

struct Preview {
    QString path;
    QString encoding;
    qint64 rows = 0;       ///< rows to store (blank rows are skipped)
    qint64 badRows = 0;    ///< rows with at least one fault
    qint64 moreErrors = 0; ///< faults beyond MaxListedErrors, not listed
    ColumnMatch match;
    QList<QVariantList> firstRows; ///< values as they would be stored, in insertColumns() order
    QList<qint64> firstNumbers;    ///< their numbers in the spreadsheet
    QList<bool> firstBad;          ///< whether each has a fault
    QList<CellError> errors;
};

/// What the database holds that the rules compare against. Throws DbError.
Stored readStored(Connection* connection, const Rules& rules);

/// Reads and checks the whole file. Throws AppError when it cannot be read, has no title row,
/// lacks a required column, or holds more than Sheet::MaxRows rows.
Preview preview(const QString& path, const Rules& rules, const QList<QStringList>& known, const Stored& stored);

/// The rows of a file that passed preview(), checked again as they are read: calls write with each
/// row's values; throws AppError when a row no longer passes (the file changed meanwhile).
/// write returns false to stop.
void forEachRow(const QString& path, const Rules& rules, const ColumnMatch& match, const Stored& stored,
                const std::function<bool(const QVariantList&)>& write);
} // namespace Import
