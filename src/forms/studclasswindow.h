#pragma once
// The point top-up window: each save books points for a student and a class, a positive number
// adding to the student's balance and a negative one taking points off. Bookings are only added
// here; the names beside the keys are looked up in the students, staff and class snapshots.

#include "forms/recordwindow.h"
#include "session/session.h"

class Connection;
class DBEdit;
class DBGrid;
class DBLookupComboBox;
class QLabel;
class QPushButton;

class StudClassWindow : public RecordWindow
{
    Q_OBJECT

public:
    /// The window of session's user on conn.
    StudClassWindow(Connection* conn, const Session& session, QWidget* parent = nullptr);

    SnapshotTable* tblStudClass;
    SnapshotTable* tblUser;
    SnapshotTable* tblStud;
    SnapshotTable* tblClassroom;
    DataSource* dsStudClass;
    DataSource* dsClassroom;
    DBGrid* grdStudClass;
    QLabel* lblSpkey;
    DBEdit* txtSpkey;
    DBEdit* txtStudName;
    QLabel* lblCrpkey;
    DBLookupComboBox* cboClass;
    QLabel* lblWatchPoint;
    DBEdit* txtWatchPoint;
    QLabel* lblUser;
    DBEdit* txtUid;
    QPushButton* btnReceipt = nullptr;
    QPushButton* btnReceiptPdf = nullptr;

    /// The key of the booking this window saved last; 0 before the first save.
    qint64 lastSavedKey() const { return m_lastSavedKey; }
    /// Prints the receipt of the last saved booking after the print dialog.
    void btnReceiptClick();
    /// Writes that receipt as PDF to the file the user names; returns its copy number (0 when the
    /// user cancelled).
    int btnReceiptPdfClick();

protected:
    /// Saves the booking; after a save whose outcome was uncertain, tells the clerk whether the
    /// booking had been stored then or was stored now.
    void btnPostClick() override;
    /// The bookings keep the order in which the server returns them.
    void tblAfterOpen() override {}
    /// The receipt buttons follow the frame's rule: on while browsing once a booking was saved.
    void dsStateChange() override;

private:
    void tblClassroomAfterOpen();
    void tblStudClassNewRecord();
    void tblStudClasscrpkeyChange();

    qint64 m_lastSavedKey = 0;
    const Session m_session;
};
