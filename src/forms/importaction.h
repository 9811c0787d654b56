#pragma once
// Importing a spreadsheet into a record window's table: "匯入 Excel/CSV (&I)…" and "匯出範本…"
// in its grid's menu, and Ctrl+I, while the window browses and may add rows. The file is read
// and checked into a preview; on the user's word its rows are written in one transaction on a
// connection of the import's own, off the interface thread, with a progress dialog whose cancel
// undoes everything. Afterwards the window reads its table again and shows the first new row.

#include "import/rowrules.h"

#include <QObject>
#include <functional>

class DBGrid;
class QMenu;
class RecordWindow;

class ImportAction : public QObject
{
    Q_OBJECT

public:
    ImportAction(RecordWindow* window, DBGrid* grid, std::function<Import::Rules()> rules);

    /// Reads the window's tables again after an import; the main table by default.
    std::function<void()> reread;

    /// The window browses and may add a row.
    bool allowed() const;
    /// Asks for a file, shows its preview and imports it on the user's word.
    void importFile();
    /// Asks for a file name and writes the columns' titles there (XLSX or CSV by its extension).
    void exportTemplate();

private:
    void addItems(QMenu* menu);
    QString captionOf(const QString& field) const;

    RecordWindow* m_window;
    std::function<Import::Rules()> m_rules;
};
