#include "statisticswindow.h"

#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "ui/busycursor.h"
#include "ui/guard.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
// A build without Qt Charts (the Windows build, when its toolchain had no Qt Charts source) shows
// the figures in the grids alone.
#ifdef RYN_CHARTS
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalBarSeries>
#include <QValueAxis>
#include <cmath>
#endif

namespace {
constexpr int kMonthsOffered = 120;
constexpr int kTopCourses = 10;

QDate firstOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

#ifdef RYN_CHARTS
QChartView* namedChart(QWidget* parent, const char* objectName)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = named(new QChartView(chart, parent), objectName);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 260);
    return view;
}

// Replaces the chart's series and axes: bars of sets over categories, values from zero up.
void showBars(QChart* chart, QAbstractBarSeries* series, const QList<QBarSet*>& sets, const QStringList& categories,
              bool horizontal, const QString& axisTitle = QString())
{
    chart->removeAllSeries();
    // A removed axis is no longer the chart's: freed here, it takes its labels off the picture too.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    qreal top = 0;
    for (QBarSet* set : sets) {
        for (int i = 0; i < set->count(); ++i)
            top = qMax(top, set->at(i));
        series->append(set);
    }
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(categories);
    names->setTitleText(axisTitle);
    // Twelve months share a third of the window: small labels keep them whole.
    QFont small = names->labelsFont();
    small.setPixelSize(12);
    names->setLabelsFont(small);
    // Whole numbers: ticks a step of 1, 2 or 5 times a power of ten apart, about five of them.
    qreal step = 1;
    while (top / step > 5)
        step *= (QString::number(step).startsWith(QLatin1Char('2')) ? 2.5 : 2);
    auto* values = new QValueAxis;
    values->setTickType(QValueAxis::TicksDynamic);
    values->setTickAnchor(0);
    values->setTickInterval(step);
    values->setRange(0, step * std::ceil(qMax<qreal>(top, 1) / step));
    values->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(names, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(names);
    series->attachAxis(values);
    chart->legend()->setVisible(sets.size() > 1);
}
#endif
} // namespace

void StatisticsWindow::setMonthsStatement(SnapshotTable* query, const QDate& month)
{
    const QDate until = firstOfMonth(month).addMonths(1);
    const QDate from = until.addMonths(-12);
    // Each sum is grouped on the server over a range of its table's date index; the months without
    // a row still show, as zeros.
    query->setSql(
        QStringLiteral(
            "SELECT m.month, COALESCE(s.sold, 0) sold, COALESCE(u.used, 0) used, COALESCE(u.students, 0) students "
            "FROM (SELECT DATE_FORMAT(? + INTERVAL seq MONTH, '%Y/%m') month FROM seq_0_to_11) m "
            "LEFT JOIN (SELECT DATE_FORMAT(buydate, '%Y/%m') month, SUM(watchpoint) sold FROM studclass "
            "WHERE buydate >= ? AND buydate < ? AND watchpoint > 0 GROUP BY 1) s ON s.month = m.month "
            "LEFT JOIN (SELECT DATE_FORMAT(begintime, '%Y/%m') month, -SUM(point) used, "
            "COUNT(DISTINCT spkey) students FROM watchlog "
            "WHERE begintime >= ? AND begintime < ? GROUP BY 1) u ON u.month = m.month "
            "ORDER BY m.month"),
        {from, from, until, from, until});
}

void StatisticsWindow::setTopCoursesStatement(SnapshotTable* query, const QDate& month)
{
    const QDate first = firstOfMonth(month);
    query->setSql(QStringLiteral("SELECT COALESCE(c.coursename, CONCAT('#', t.cpkey)) coursename, t.views, t.used FROM "
                                 "(SELECT cpkey, COUNT(*) views, -SUM(point) used FROM watchlog "
                                 "WHERE begintime >= ? AND begintime < ? GROUP BY cpkey "
                                 "ORDER BY views DESC, cpkey LIMIT %1) t "
                                 "LEFT JOIN course c ON c.cpkey = t.cpkey ORDER BY t.views DESC, t.cpkey")
                      .arg(kTopCourses),
                  {first, first.addMonths(1)});
}

StatisticsWindow::StatisticsWindow(Connection* conn, QWidget* parent)
    : ChildWindow(QStringLiteral("frmStatistics"), QStringLiteral("營運統計"), parent)
{
    qryMonths = named(new SnapshotTable(this), "qryMonths");
    qryMonths->setConnection(conn);
    qryMonths->addField(QStringLiteral("month"), FieldType::Text, 7);
    qryMonths->addField(QStringLiteral("sold"), FieldType::Int64);
    qryMonths->addField(QStringLiteral("used"), FieldType::Int64);
    qryMonths->addField(QStringLiteral("students"), FieldType::Int64);
    dsMonths = namedSource(this, "dsMonths", qryMonths);
    qryTopCourses = named(new SnapshotTable(this), "qryTopCourses");
    qryTopCourses->setConnection(conn);
    qryTopCourses->addField(QStringLiteral("coursename"), FieldType::Text, 50);
    qryTopCourses->addField(QStringLiteral("views"), FieldType::Int64);
    qryTopCourses->addField(QStringLiteral("used"), FieldType::Int64);
    dsTopCourses = namedSource(this, "dsTopCourses", qryTopCourses);

    lblMonth = named(new QLabel(QStringLiteral("月份"), pnlButton), "lblMonth");
    lblMonth->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblMonth->setGeometry(ButtonWidth + 10, 0, 50, btnExit->height());
    cboMonth = named(new QComboBox(pnlButton), "cboMonth");
    cboMonth->setGeometry(lblMonth->geometry().right() + 6, 4, 110, btnExit->height() - 8);
    const QDate now = firstOfMonth(QDate::currentDate());
    for (int i = 0; i < kMonthsOffered; ++i) {
        const QDate month = now.addMonths(-i);
        cboMonth->addItem(month.toString(QStringLiteral("yyyy/MM")), month);
    }
    btnRefresh = namedButton(pnlButton, "btnRefresh", QStringLiteral("重新整理 (&R)"));
    btnRefresh->setGeometry(cboMonth->geometry().right() + 10, 0, 110, btnExit->height());
    onEvent(btnRefresh, &QPushButton::clicked, this, &StatisticsWindow::btnRefreshClick);
    onEvent(cboMonth, &QComboBox::activated, this, [this] { btnRefreshClick(); });

    lblPointsChart = hiddenLabel(this, "lblPointsChart", QStringLiteral("每月售出與使用點數"));
    lblStudentsChart = hiddenLabel(this, "lblStudentsChart", QStringLiteral("每月觀看學生數"));
    lblTopChart = hiddenLabel(this, "lblTopChart", QStringLiteral("當月最常觀看的課程"));
    lblSold = hiddenLabel(this, "lblSold", QStringLiteral("售出點數"));
    lblUsed = hiddenLabel(this, "lblUsed", QStringLiteral("使用點數"));
    lblStudents = hiddenLabel(this, "lblStudents", QStringLiteral("觀看學生數"));
    lblViews = hiddenLabel(this, "lblViews", QStringLiteral("觀看次數"));

#ifdef RYN_CHARTS
    chtPoints = namedChart(body(), "chtPoints");
    chtStudents = namedChart(body(), "chtStudents");
    chtTopCourses = namedChart(body(), "chtTopCourses");
#else
    chtPoints = chtStudents = chtTopCourses = nullptr;
#endif
    grdMonths = namedGrid(body(), "grdMonths", dsMonths, 0,
                          {{QStringLiteral("month"), QStringLiteral("月份"), 90},
                           {QStringLiteral("sold"), lblSold->text(), 110},
                           {QStringLiteral("used"), lblUsed->text(), 110},
                           {QStringLiteral("students"), lblStudents->text(), 110}});
    grdTopCourses = namedGrid(body(), "grdTopCourses", dsTopCourses, 0,
                              {{QStringLiteral("coursename"), QStringLiteral("課程名稱"), 220},
                               {QStringLiteral("views"), lblViews->text(), 90},
                               {QStringLiteral("used"), lblUsed->text(), 90}});
    auto* layout = new QGridLayout(body());
    layout->setContentsMargins(4, 4, 4, 4);
#ifdef RYN_CHARTS
    layout->addWidget(chtPoints, 0, 0);
    layout->addWidget(chtStudents, 0, 1);
    layout->addWidget(chtTopCourses, 0, 2);
    layout->setRowStretch(0, 3);
    layout->setRowStretch(1, 2);
#endif
    layout->addWidget(grdMonths, 1, 0, 1, 2);
    layout->addWidget(grdTopCourses, 1, 2);

    openWithFocusIn(cboMonth);
    finishCreate();
}

QDate StatisticsWindow::chosenMonth() const
{
    return cboMonth->currentData().toDate();
}

void StatisticsWindow::chooseMonth(const QDate& month)
{
    const int index = cboMonth->findData(firstOfMonth(month));
    if (index >= 0)
        cboMonth->setCurrentIndex(index);
}

void StatisticsWindow::loadData()
{
    btnRefreshClick();
}

void StatisticsWindow::btnRefreshClick()
{
    const BusyCursor busy;
    const QDate month = chosenMonth();
    // A failed read leaves empty charts rather than the figures of another month.
    qryMonths->close();
    qryTopCourses->close();
    drawCharts();
    setMonthsStatement(qryMonths, month);
    qryMonths->open();
    setTopCoursesStatement(qryTopCourses, month);
    qryTopCourses->open();
    drawCharts();
}

void StatisticsWindow::drawCharts()
{
#ifdef RYN_CHARTS
    QStringList months; // the month's number on the axis, the year in the axis title
    QString firstMonth;
    QString lastMonth;
    auto* sold = new QBarSet(lblSold->text());
    auto* used = new QBarSet(lblUsed->text());
    auto* students = new QBarSet(lblStudents->text());
    for (int row = 0; qryMonths->active() && row < qryMonths->recordCount(); ++row) {
        const QString month = qryMonths->cellText(row, 0);
        months << month.right(2);
        if (row == 0)
            firstMonth = month;
        lastMonth = month;
        *sold << qryMonths->cellValue(row, 1).toDouble();
        *used << qryMonths->cellValue(row, 2).toDouble();
        *students << qryMonths->cellValue(row, 3).toDouble();
    }
    chtPoints->chart()->setTitle(lblPointsChart->text());
    const QString span = months.isEmpty() ? QString() : firstMonth + QStringLiteral(" – ") + lastMonth;
    showBars(chtPoints->chart(), new QBarSeries, {sold, used}, months, false, span);
    chtStudents->chart()->setTitle(lblStudentsChart->text());
    showBars(chtStudents->chart(), new QBarSeries, {students}, months, false, span);

    // The most viewed course at the top.
    QStringList courses;
    auto* views = new QBarSet(lblViews->text());
    for (int row = qryTopCourses->active() ? qryTopCourses->recordCount() - 1 : -1; row >= 0; --row) {
        // A category shows once on the axis: a second course of the same name gets a space more.
        QString name = qryTopCourses->cellText(row, 0);
        while (courses.contains(name))
            name += QLatin1Char(' ');
        courses << name;
        *views << qryTopCourses->cellValue(row, 1).toDouble();
    }
    chtTopCourses->chart()->setTitle(lblTopChart->text() + QLatin1Char(' ')
                                     + chosenMonth().toString(QStringLiteral("yyyy/MM")));
    showBars(chtTopCourses->chart(), new QHorizontalBarSeries, {views}, courses, true);
#endif
}
