// The statistics window over a large database: made, shown and painted (its two statements read,
// its three charts drawn), and refreshed for another month, each against the mariadb command-line
// client running the same two statements. Run by scripts/bench on a private server; the rows are
// generated there (or reused from bench_points with --reuse 1).
//
//   bench_statistics [--bookings N] [--students N] [--classes N] [--viewings N] [--runs N] [--reuse 1]

#include "benchdata.h"
#include "data/connection.h"
#include "data/snapshottable.h"
#include "data/sqltext.h"
#include "forms/statisticswindow.h"
#include "platform/errors.h"

#include <QApplication>
#include <QSqlQuery>
#include <cstdio>
#include <memory>

using namespace Bench;

namespace {
// The command-line client binds nothing: the window's dates go into its text as literals, in order.
QString withLiterals(const SnapshotTable& query)
{
    QString text = query.sql();
    for (const QVariant& value : query.sqlValues())
        text.replace(text.indexOf(QLatin1Char('?')), 1,
                     quotedLiteral(value.toDate().toString(QStringLiteral("yyyy-MM-dd"))));
    return text;
}

QString bothStatements(const QDate& month)
{
    SnapshotTable months;
    SnapshotTable top;
    StatisticsWindow::setMonthsStatement(&months, month);
    StatisticsWindow::setTopCoursesStatement(&top, month);
    return withLiterals(months) + QStringLiteral(";\n") + withLiterals(top);
}

qint64 count(Connection* c, const QString& statement)
{
    QSqlQuery q(c->database());
    if (!q.exec(statement) || !q.next())
        throw AppError(QStringLiteral("count failed: ") + statement);
    return q.value(0).toLongLong();
}
} // namespace

int main(int argc, char** argv)
{
    Bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    Options defaults;
    defaults.viewings = 5000000;
    const Options o = parse(app.arguments(), defaults);
    try {
        Connection connection;
        Bench::openAsProgram(connection);
        fill(o);

        // The generated bookings end in 2025 and the viewings later: a month with both, and this month.
        const QDate now = QDate::currentDate();
        const QDate busy(2025, 6, 1);
        const QDate thisMonth(now.year(), now.month(), 1);
        const qint64 bookings = count(&connection, QStringLiteral("SELECT COUNT(*) FROM studclass"));
        const qint64 viewings = count(&connection, QStringLiteral("SELECT COUNT(*) FROM watchlog"));
        const QString from = QStringLiteral("'2024-07-01'");
        const qint64 yearViewings =
            count(&connection,
                  QStringLiteral("SELECT COUNT(*) FROM watchlog WHERE begintime >= %1 AND begintime < '2025-07-01'")
                      .arg(from));
        const qint64 yearBookings = count(
            &connection,
            QStringLiteral("SELECT COUNT(*) FROM studclass WHERE buydate >= %1 AND buydate < '2025-07-01'").arg(from));

        clientMs(bothStatements(busy)); // warms the server's buffer pool
        clientMs(bothStatements(thisMonth));
        std::vector<double> clientOpen, windowOpen, clientBusy, windowBusy;
        for (int i = 0; i < o.runs; ++i) {
            clientOpen.push_back(clientMs(bothStatements(thisMonth)));
            std::unique_ptr<StatisticsWindow> window;
            windowOpen.push_back(timed([&] {
                window = std::make_unique<StatisticsWindow>(&connection);
                window->resize(1280, 760);
                window->show();
                window->grab();
            }));
            clientBusy.push_back(clientMs(bothStatements(busy)));
            windowBusy.push_back(timed([&] {
                window->chooseMonth(busy);
                window->btnRefreshClick();
                window->grab();
            }));
        }

        std::printf("\n%lld bookings, %lld viewings; the twelve months to %s: %lld bookings, %lld viewings; "
                    "median of %d runs\n\n",
                    bookings, viewings, qPrintable(busy.toString(QStringLiteral("yyyy/MM"))), yearBookings,
                    yearViewings, o.runs);
        line("Measure", QStringLiteral("Result"));
        line("--------------------------------------------", QStringLiteral("----------------------------------"));
        line("mariadb client, both statements, this month", QStringLiteral("%1 ms").arg(median(clientOpen), 0, 'f', 0));
        line("statistics window opened, shown, painted", QStringLiteral("%1 ms").arg(median(windowOpen), 0, 'f', 0));
        line("open / client", QStringLiteral("%1").arg(median(windowOpen) / median(clientOpen), 0, 'f', 2));
        line(qPrintable(QStringLiteral("mariadb client, both statements, %1").arg(busy.toString("yyyy/MM"))),
             QStringLiteral("%1 ms").arg(median(clientBusy), 0, 'f', 0));
        line("refresh for that month, charts painted", QStringLiteral("%1 ms").arg(median(windowBusy), 0, 'f', 0));
        line("refresh / client", QStringLiteral("%1").arg(median(windowBusy) / median(clientBusy), 0, 'f', 2));
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_statistics: %s\n", qPrintable(e.message()));
        return 1;
    }
}
