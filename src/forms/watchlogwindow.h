#pragma once
// The point query window: for the student selected in the list, every point booking and every
// viewing in one log in time order, and the balance of all of them. It only reads.

#include "forms/recordwindow.h"
#include "session/session.h"

#include <QLocale>

class Connection;
class DBEdit;
class DBGrid;
class QLabel;
class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
struct StatementTexts;

class WatchLogWindow : public RecordWindow
{
    Q_OBJECT

public:
    /// The window of session's user on conn.
    WatchLogWindow(Connection* conn, const Session& session, QWidget* parent = nullptr);

    SnapshotTable* tblStud;
    DataSource* dsStud;
    SnapshotTable* qryWatchlog;
    DataSource* dsWatchlog;
    DBGrid* grdStud;
    DBGrid* grdCourse;
    QLabel* lblSpkey;
    DBEdit* txtSpkey;
    QLabel* lblStudName;
    DBEdit* txtStudName;
    QLabel* lblNowPoint;
    QLineEdit* txtNowPoint;
    QLineEdit* statementEdit;
    QPushButton* btnPrint;
    QPushButton* btnPdf;
    /// Hidden: the statement's texts, so that they follow the interface language.
    QLabel* lblStatement;
    QLabel* lblPrinted;
    QLabel* lblPage;
    SnapshotTable* tblCorp;

    /// Shows statementEdit when it is hidden, hides it when it is shown.
    void lblSpkeyClick();
    /// Prints the statement of the student whose log is shown, after the print dialog.
    void btnPrintClick();
    /// Writes that statement to the PDF file the user names; returns its number of pages (0 when
    /// the user cancelled).
    int btnPdfClick();

    /// The key of the booking shown in row of the log; 0 for a viewing's row or no row.
    qint64 bookingKeyAt(int row);
    /// The log's context menu for row: the grid's export items, and the receipt of a booking's row
    /// printed again or written as PDF (the window's own items, shown by mouse and keyboard alike).
    /// Owned by the window until it is closed.
    QMenu* logMenu(int row);

    /// The statement that lists the bookings and viewings of a student, oldest first; its two marks
    /// both take the student's spkey.
    static QString watchlogStatement();

protected:
    /// This window changes nothing, so no button follows an edit state.
    void dsStateChange() override {}
    void tblAfterOpen() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tblStudAfterScroll();
    /// Loads the log and the balance of the selected student; the busy cursor shows until it ends.
    /// Nothing else runs meanwhile: the sum is taken over rows already read, without letting events in.
    void loadSelected();
    void loadLog();
    /// The texts of the statement of the log on show: the student it was loaded for, and the
    /// balance of its own rows.
    StatementTexts statementTexts();

    QString m_logSpkey; ///< the student whose log qryWatchlog holds
    QAction* m_receiptPrint = nullptr;
    QAction* m_receiptPdf = nullptr;
    qint64 m_menuBooking = 0; ///< the booking of the row the log's context menu was opened on
    QString m_logName;

    bool m_opening = false;
    const Session m_session;
};

/// A balance as the window shows it: digits grouped by threes with the locale's group separator,
/// a leading minus sign when negative.
QString formatBalance(qint64 sum, const QLocale& locale = QLocale());
