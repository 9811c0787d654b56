#pragma once
// Exporting what a grid shows to a spreadsheet file: its shown columns in their shown order with
// their titles, its rows (those the filter row leaves) in their current order, typed values and the shown texts of
// lookups. The file name is asked through the file-save prompt; the rows are then written on a thread of
// their own (exportjob.h).

#include "exportjob.h"

class DBGrid;
class QMenu;
class QWidget;

namespace GridExport {
using Format = ExportJob::Format;

/// The grid's export menu ("匯出 Excel (.xlsx)…", "匯出 CSV…"), owned by parent; its items run
/// export() under the guard.
QMenu* menuFor(DBGrid* grid, QWidget* parent);
/// The same two items added to another menu.
void addExportActions(QMenu* menu, DBGrid* grid);

/// Asks for the file and starts writing it (ExportJob, owned by the grid's window); null when the
/// user cancelled the prompt or the grid shows no table.
ExportJob* exportGrid(DBGrid* grid, Format format);
} // namespace GridExport
