#pragma once
// A row's history in every record window: Ctrl+H anywhere in the window, and "歷史記錄 (&H)" in the
// context menu of its grids, show the changes of the current row in a modal list, newest first:
// time, account, action, column, old and new value. The list's grid exports like any grid.

#include <QDialog>

class DBGrid;
class DataSource;
class QPushButton;
class SnapshotTable;

class RowHistoryDialog : public QDialog
{
    Q_OBJECT

public:
    /// An empty list on table's connection; showHistoryOf() fills it.
    RowHistoryDialog(SnapshotTable* table, QWidget* parent);

    /// Reads the history of the row of table whose key is key; the title names the row. Throws DbError.
    void showHistoryOf(const QString& key);

    SnapshotTable* qryHistory;
    DataSource* dsHistory;
    DBGrid* grdHistory;
    QPushButton* btnClose;

private:
    QString m_table;
};

namespace RowHistory {
/// Gives window its row history: the key, and an item in the context menu of each grid whose table's
/// changes are recorded. A window that shows no such table (mainTable included, which may be null)
/// gets nothing.
void attach(QWidget* window, SnapshotTable* mainTable);
/// The table whose current row Ctrl+H in window means: the table of the grid that has the focus
/// when its changes are recorded, else mainTable; null when neither's are.
SnapshotTable* tableFor(QWidget* window, SnapshotTable* mainTable);
/// Shows the history of table's current row modally; a row not saved yet has none, and the user is
/// told so. Throws DbError when the history cannot be read.
void showRowHistory(QWidget* window, SnapshotTable* table);
} // namespace RowHistory
