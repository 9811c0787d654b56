#pragma once
// The classes window: classes (point packages) with their teacher, total points and points taken
// per viewing.

#include "forms/recordwindow.h"

class Connection;
class DBEdit;
class DBGrid;
class QLabel;

class ClassroomWindow : public RecordWindow
{
    Q_OBJECT

public:
    explicit ClassroomWindow(Connection* conn, QWidget* parent = nullptr);

    SnapshotTable* tblClassroom;
    DataSource* dsClassroom;
    DBGrid* grdClassroom;
    QLabel* lblCrpkey;
    DBEdit* txtBpkey;
    QLabel* lblClassName;
    DBEdit* txtClassName;
    QLabel* lblTeacher;
    DBEdit* txtTeacher;
    QLabel* lblClassPoint;
    DBEdit* txtClassPoint;
    QLabel* lblVideoPoint;
    DBEdit* txtVideoPoint;
};
