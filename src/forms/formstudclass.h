#pragma once
// The point top-up window: each save books points for a student and a class, a positive number
// adding to the student's balance and a negative one taking points off. Bookings are only added
// here; the names beside the keys are looked up in the students, staff and class snapshots.

#include "forms/recordwindow.h"

class Connection;
class DBEdit;
class DBGrid;
class DBLookupComboBox;
class QLabel;

class TfrmStudClass : public RecordWindow
{
    Q_OBJECT

public:
    explicit TfrmStudClass(Connection* conn, QWidget* parent = nullptr);

    SnapshotTable* tblStudClass;
    SnapshotTable* tblUser;
    SnapshotTable* tblStud;
    SnapshotTable* tblClassroom;
    DataSource* dsStudClass;
    DataSource* dsClassroom;
    DBGrid* grdStudClass;
    QLabel* lblSpkey;
    DBEdit* txtSpkey;
    DBEdit* DBEdit2;
    QLabel* lblCrpkey;
    DBLookupComboBox* cboClass;
    QLabel* lblWatchPoint;
    DBEdit* txtWatchPoint;
    QLabel* lblUser;
    DBEdit* txtUid;

protected:
    /// Saves the booking; after a save whose outcome was uncertain, tells the clerk whether the
    /// booking had been stored then or was stored now.
    void btnPostClick() override;
    /// The bookings keep the order in which the server returns them.
    void tblAfterOpen() override {}

private:
    void tblClassroomAfterOpen();
    void tblStudClassNewRecord();
    void tblStudClasscrpkeyChange();
};
