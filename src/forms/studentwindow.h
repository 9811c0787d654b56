#pragma once
// The students window: student number, name and viewing password. A number is typed only while
// the student is added; a new student's password defaults to the number.

#include "forms/recordwindow.h"

class Connection;
class DBEdit;
class DBGrid;
class QLabel;

class StudentWindow : public RecordWindow
{
    Q_OBJECT

public:
    explicit StudentWindow(Connection* conn, QWidget* parent = nullptr);

    SnapshotTable* tblStudent;
    DataSource* dsStudent;
    DBGrid* grdStudent;
    QLabel* lblSpkey;
    DBEdit* txtSpkey;
    QLabel* lblStudName;
    DBEdit* txtStudName;
    QLabel* lblStudpwd;
    DBEdit* txtStudpwd;
    QLabel* lblHint;

protected:
    void loadData() override;
    void dsStateChange() override;
    void fieldEnter(QWidget* box) override;
    void fieldExit(QWidget* box) override;

private:
    void tblStudentspkeyChange();
};
