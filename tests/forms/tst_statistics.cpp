#include "controls/dbgrid.h"
#include "forms/statisticswindow.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>

using namespace FormDriver;

// The statistics window: every figure of its charts and grids against sums the test asks the
// server for itself.
class TestStatistics : public QObject, WindowFixture<StatisticsWindow>
{
    Q_OBJECT

    static QList<qreal> bars(QChartView* view, int set = 0)
    {
        const auto* series = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
        QList<qreal> values;
        for (int i = 0; series && i < series->barSets().at(set)->count(); ++i)
            values << series->barSets().at(set)->at(i);
        return values;
    }

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void sumsAsTheServerComputesThem_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QStringList>("setup");
        const QString view = "INSERT INTO watchlog (cpkey, spkey, point, begintime) "
                             "SELECT %1, 'A00%2', -%3, '2026-%4-01' + INTERVAL seq HOUR FROM seq_1_to_%5";
        // clang-format off
        QTest::newRow("demo data") << QDate(2026, 11, 1) << QStringList();
        QTest::newRow("years before, nothing") << QDate(2024, 3, 1) << QStringList();
        QTest::newRow("deduction, deleted course, more than ten courses") << QDate(2026, 10, 1) << QStringList{
            "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint) VALUES ('2026-10-31 23:59:59', 'A002', 1, -500), "
            "('2026-11-01 00:00:00', 'A002', 1, 70), ('2025-11-30 23:59:59', 'A002', 1, 9)",
            "INSERT INTO course (cpkey, crpkey, coursename) SELECT 100 + seq, 1, CONCAT('課 ', seq) FROM seq_1_to_12",
            view.arg("100 + seq % 12").arg(1).arg(3).arg(10).arg(60),
            view.arg(4).arg(2).arg(7).arg(10).arg(13),
            view.arg(3).arg(3).arg(1).arg(10).arg(9),
            "DELETE FROM course WHERE cpkey = 3"};
        // clang-format on
    }

    void sumsAsTheServerComputesThem()
    {
        QFETCH(QDate, month);
        QFETCH(QStringList, setup);
        for (const QString& statement : setup)
            SandboxDb::exec(statement);
        open();
        m_form->chooseMonth(month);
        m_form->btnRefreshClick();

        QList<qreal> sold, used, students;
        QStringList months;
        for (int i = 11; i >= 0; --i) {
            const QString m = month.addMonths(-i).toString("yyyy/MM");
            months << m;
            const QString in = QStringLiteral(" WHERE DATE_FORMAT(%1, '%Y/%m') = '%2'");
            sold << SandboxDb::scalar("SELECT COALESCE(SUM(watchpoint), 0) FROM studclass" + in.arg("buydate", m)
                                      + " AND watchpoint > 0")
                        .toDouble();
            used << SandboxDb::scalar("SELECT COALESCE(-SUM(point), 0) FROM watchlog" + in.arg("begintime", m))
                        .toDouble();
            students
                << SandboxDb::scalar("SELECT COUNT(DISTINCT spkey) FROM watchlog" + in.arg("begintime", m)).toDouble();
        }
        QCOMPARE(bars(m_form->chtPoints, 0), sold);
        QCOMPARE(bars(m_form->chtPoints, 1), used);
        QCOMPARE(bars(m_form->chtStudents), students);
        QCOMPARE(column(m_form->grdMonths, 0), months);
        QCOMPARE(column(m_form->grdMonths, 3).size(), 12);
        QCOMPARE(column(m_form->grdMonths, 1).last(), QString::number(sold.last()));

        QSqlQuery top(SandboxDb::root());
        QVERIFY(top.exec(QStringLiteral("SELECT COALESCE(c.coursename, CONCAT('#', w.cpkey)), COUNT(*) FROM watchlog w "
                                        "LEFT JOIN course c USING (cpkey) WHERE DATE_FORMAT(begintime, '%Y/%m') = '%1' "
                                        "GROUP BY w.cpkey ORDER BY 2 DESC, w.cpkey LIMIT 10")
                             .arg(month.toString("yyyy/MM"))));
        QStringList names;
        QList<qreal> views;
        while (top.next()) {
            names.prepend(top.value(0).toString()); // the chart lists the most viewed at the top
            views.prepend(top.value(1).toDouble());
        }
        QCOMPARE(bars(m_form->chtTopCourses), views);
        QStringList reversed = column(m_form->grdTopCourses, 0);
        std::reverse(reversed.begin(), reversed.end());
        QCOMPARE(reversed, names);
        QCOMPARE(DialogSeam::prompts().size(), 0);
    }
};

RYN_TEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
