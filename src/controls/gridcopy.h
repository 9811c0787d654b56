#pragma once
// Rows copied from a grid for a spreadsheet: the titles first, then one line per row, as
// tab-separated text and as an HTML table beside it on the clipboard, so that a paste fills one
// cell per value whichever of the two the spreadsheet takes.

#include <QList>
#include <QString>
#include <QStringList>

class QMimeData;

namespace GridCopy {
/// Tab-separated lines ending in CRLF. A cell holding a tab, a line break or a double quote is
/// quoted, its quotes doubled, as spreadsheets write and read it.
QString tsv(const QStringList& titles, const QList<QStringList>& rows);
/// A table with the titles as its header row, every text escaped.
QString html(const QStringList& titles, const QList<QStringList>& rows);
/// Both, ready for the clipboard.
QMimeData* mimeData(const QStringList& titles, const QList<QStringList>& rows);
} // namespace GridCopy
