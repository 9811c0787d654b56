#pragma once
// The month at a glance: points sold and points used per month over twelve months, the students
// who watched per month, and the ten most viewed courses of the chosen month, as charts with their
// figures in read-only grids beside them. The server computes every figure; the window only reads.

#include "forms/childwindow.h"

#include <QDate>

class Connection;
class DBGrid;
class QComboBox;
class QLabel;
class QPushButton;

class QChartView; // null in a build without Qt Charts

class StatisticsWindow : public ChildWindow
{
    Q_OBJECT

public:
    explicit StatisticsWindow(Connection* conn, QWidget* parent = nullptr);

    /// Sets query to read the twelve months ending with month, oldest first: for each its text (yyyy/MM), the points
    /// of the positive bookings (sold), the points the viewings took (used) and the number of
    /// students who watched.
    static void setMonthsStatement(SnapshotTable* query, const QDate& month);
    /// Sets query to read the ten courses viewed most often in month, most viewed first: name, viewings, points used.
    static void setTopCoursesStatement(SnapshotTable* query, const QDate& month);

    /// The first day of the month chosen.
    QDate chosenMonth() const;
    /// Chooses month (its first day) among the months offered, without reading.
    void chooseMonth(const QDate& month);

    /// Reads the figures of the chosen month again and redraws the charts.
    void btnRefreshClick();

    SnapshotTable* qryMonths;
    DataSource* dsMonths;
    SnapshotTable* qryTopCourses;
    DataSource* dsTopCourses;
    QLabel* lblMonth;
    QComboBox* cboMonth;
    QPushButton* btnRefresh;
    QChartView* chtPoints;
    QChartView* chtStudents;
    QChartView* chtTopCourses;
    DBGrid* grdMonths;
    DBGrid* grdTopCourses;
    /// Hidden: the charts' titles and series names, so that they follow the interface language.
    QLabel* lblPointsChart;
    QLabel* lblStudentsChart;
    QLabel* lblTopChart;
    QLabel* lblSold;
    QLabel* lblUsed;
    QLabel* lblStudents;
    QLabel* lblViews;

protected:
    void loadData() override;

private:
    void drawCharts();
};
