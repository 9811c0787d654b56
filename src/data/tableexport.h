#pragma once
// Writing rows to a file that a spreadsheet opens: CSV (UTF-8 with a byte-order mark, RFC 4180
// quoting, CR LF line ends) and XLSX (through libxlsxwriter, row by row in its constant-memory
// mode). Both write the titles first, then every row of the source in its order: numbers as
// numbers, date-times as date-times, texts as texts. A text that a spreadsheet would run as a
// formula (it starts with "=", "+", "-", "@", a tab or a carriage return and is not a number) is
// kept a text: in CSV behind a single quote, in XLSX as a string cell, which is never a formula.
//
// The file is written under a temporary name in the chosen folder and renamed at the end
// (ReplaceFile: the old file's mode kept, a read-only target refused, a link replaced), so a
// cancelled or failed export leaves nothing under the chosen name (and an older file there as it
// was). A workbook is read back and checked (WorkbookCheck) before it replaces anything.

#include "exportsource.h"

#include <QIODevice>
#include <QString>
#include <functional>
#include <string_view>

namespace TableExport {
/// Told now and then how many rows are written; returning false cancels the export.
using Progress = std::function<bool(qint64 done, qint64 total)>;

/// Returns false when progress cancelled; throws AppError naming the file when writing fails.
bool writeCsv(const ExportSource& source, const QString& path, const Progress& progress = {});
/// As writeCsv. More rows than a worksheet holds go on to further worksheets, each with the titles.
bool writeXlsx(const ExportSource& source, const QString& path, const Progress& progress = {});

/// The same files written to an open device, which messages call shownName. The device is not
/// replaced whole: after a failure or a cancel it may hold the start of a CSV file. A workbook is
/// made and checked in a temporary folder first and reaches the device only once it is whole.
bool writeCsv(const ExportSource& source, QIODevice& device, const QString& shownName, const Progress& progress = {});
bool writeXlsx(const ExportSource& source, QIODevice& device, const QString& shownName, const Progress& progress = {});

/// Whether a spreadsheet would take this UTF-8 text for a formula.
bool looksLikeFormula(std::string_view text);
} // namespace TableExport
