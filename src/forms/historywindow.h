#pragma once
// The whole history of changes, for administrators: the changes the database recorded, filtered by
// a range of days, an account, a table and a text, newest first. A change in which the text is found
// shows with all its columns, so that a deleted row is seen whole. Read-only; the grid exports like
// any grid.

#include "data/history.h"
#include "forms/childwindow.h"

class Connection;
class DBGrid;
class QComboBox;
class QDateEdit;
class QLineEdit;

class HistoryWindow : public ChildWindow
{
    Q_OBJECT

public:
    explicit HistoryWindow(Connection* conn, QWidget* parent = nullptr);

    /// The filter as the boxes hold it.
    History::Filter filter() const;
    /// Reads the changes that pass the filter.
    void btnQueryClick();

    SnapshotTable* qryHistory;
    DataSource* dsHistory;
    QLabel* lblFrom;
    QDateEdit* dtpFrom;
    QLabel* lblTo;
    QDateEdit* dtpTo;
    QLabel* lblAccount;
    QLineEdit* txtAccount;
    QLabel* lblTable;
    QComboBox* cboTable;
    QLabel* lblText;
    QLineEdit* txtText;
    QPushButton* btnQuery;
    DBGrid* grdHistory;

protected:
    void loadData() override;
    bool previewKey(QKeyEvent* event) override;
};
