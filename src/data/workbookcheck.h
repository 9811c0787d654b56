#pragma once
// Reads a written XLSX file back before it replaces anything: the zip opens and its directory is
// consistent, every part reads to its end with the right checksum, every XML part is well formed
// to its closing tag, every part that [Content_Types].xml names is there, and each worksheet holds
// the number of rows written to it. The writer's library does not check every write of its own, so
// a full disk can leave a file that it calls finished.

#include <QList>
#include <QString>

namespace WorkbookCheck {
/// Throws AppError naming shownPath and what is wrong. rowsPerSheet: the rows (titles included)
/// written to sheet1.xml, sheet2.xml, ... in order.
void verify(const QString& path, const QString& shownPath, const QList<qint64>& rowsPerSheet);
} // namespace WorkbookCheck
