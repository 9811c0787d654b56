#pragma once
// The day's close: for a chosen day, the bookings, points added and points deducted per staff
// account, their totals, and the day's bookings in a grid; printed or written as PDF like the point
// statement. The server computes every sum over the date index; the window only reads.

#include "forms/childwindow.h"
#include "print/pagepainter.h"

#include <QDate>

class Connection;
class DBGrid;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

class DayCloseWindow : public ChildWindow
{
    Q_OBJECT

public:
    explicit DayCloseWindow(Connection* conn, QWidget* parent = nullptr);

    /// Per staff account of the day (its two marks: the day's first moment and the next day's): uid, name, bookings,
    /// added, deducted.
    static QString accountsStatement();
    /// The totals of the day: bookings, added, deducted.
    static QString totalsStatement();
    /// The day's bookings in time order, with the receipt number, student and class names.
    static QString bookingsStatement();

    QDate chosenDay() const;
    /// Chooses day and reads its figures.
    void chooseDay(const QDate& day);
    /// Reads the figures of the chosen day again.
    void btnRefreshClick();
    /// Prints the day's close after the print dialog.
    void btnPrintClick();
    /// Writes it to the PDF file the user names; returns its number of pages (0 when cancelled).
    int btnPdfClick();

    SnapshotTable* qryAccounts;
    DataSource* dsAccounts;
    SnapshotTable* qryTotals;
    SnapshotTable* qryBookings;
    DataSource* dsBookings;
    QLabel* lblDay;
    QDateEdit* dteDay;
    QPushButton* btnRefresh;
    QPushButton* btnPrint;
    QPushButton* btnPdf;
    DBGrid* grdAccounts;
    DBGrid* grdBookings;
    QLabel* lblTotal;
    QLineEdit* txtBookings;
    QLineEdit* txtAdded;
    QLineEdit* txtDeducted;
    /// Hidden: the paper's texts, so that they follow the interface language.
    QLabel* lblReport;
    QLabel* lblPrinted;
    QLabel* lblPage;
    QLabel* lblTotalFormat;

protected:
    void loadData() override;

private:
    void showTotals();
    PageHeading paperHeading();
    PagePainter::Content paperContent();

    QDate m_shownDay; ///< the day whose figures are on show; invalid when none are
};
