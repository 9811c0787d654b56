#pragma once
// Exporting what a grid shows to a spreadsheet file: its shown columns in their shown order with
// their titles, its rows (those the filter row leaves) in their current order, typed values and the shown texts of
// lookups. The file name is asked through the file-save prompt; a progress dialog with a cancel button shows while a
// long export runs, and a cancelled or failed export leaves no file under the chosen name.

class DBGrid;
class QMenu;
class QWidget;

namespace GridExport {
enum class Format { Xlsx, Csv };

/// The grid's export menu ("匯出 Excel (.xlsx)…", "匯出 CSV…"), owned by parent; its items run
/// export() under the guard.
QMenu* menuFor(DBGrid* grid, QWidget* parent);
/// The same two items added to another menu.
void addExportActions(QMenu* menu, DBGrid* grid);

/// Asks for the file and writes it. Returns false when the user cancelled (the prompt or the
/// progress dialog); throws AppError when the file cannot be written.
bool exportGrid(DBGrid* grid, Format format);
} // namespace GridExport
