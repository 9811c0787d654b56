#pragma once
// The students running out of points: every student whose balance (bookings plus viewings, summed as
// the point query sums them) is at most a threshold, those at zero or below first, with the dates of
// the last top-up and the last viewing. The server sums the balances in one statement over the
// students' indexes of the bookings and the viewings; the window only reads.

#include "forms/childwindow.h"

class Connection;
class DBGrid;
class QLabel;
class QPushButton;
class QSpinBox;

class LowBalanceWindow : public ChildWindow
{
    Q_OBJECT

public:
    explicit LowBalanceWindow(Connection* conn, QWidget* parent = nullptr);

    /// The students whose balance is at most the threshold bound to its mark, lowest balance first.
    static QString lowBalanceStatement();
    /// The threshold kept in the user's settings (10 when none is kept).
    static int storedThreshold();

    /// Keeps the threshold in the box in the user's settings and reads the list again.
    void btnRefreshClick();

    SnapshotTable* qryLowBalance;
    DataSource* dsLowBalance;
    QLabel* lblThreshold;
    QSpinBox* spnThreshold;
    QPushButton* btnRefresh;
    DBGrid* grdLowBalance;

protected:
    void loadData() override;

private:
    int m_shownThreshold = 0; ///< the threshold of the list on show
};
