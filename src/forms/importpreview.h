#pragma once
// The preview of a file to import: the file, its encoding and number of rows, the first rows as
// they would be stored, and every fault with its row, column and reason. Import is offered only
// when there is no fault; the faults can be written to a CSV file.

#include "import/importcheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

class ImportPreview : public QDialog
{
    Q_OBJECT

public:
    /// titles: the window's captions of the columns the rows are stored in (insertColumns order).
    ImportPreview(const Import::Preview& preview, const QStringList& titles, QWidget* parent);

    QLabel* lblSummary;
    QTableWidget* grdRows;
    QTableView* grdErrors;
    QPushButton* btnImport;
    QPushButton* btnExportErrors;
    QPushButton* btnClose;

    /// Asks for a file and writes the faults there as CSV; false when the user cancelled.
    bool exportErrors();

private:
    const Import::Preview& m_preview;
};
