// The points desk over a large database: the day's close of one day of a year of bookings, and the
// low-balance list over every student's bookings and viewings, each window made, read and painted
// against the mariadb command-line client running the same statements (the values set first as the
// windows set them). Run by scripts/bench on a private server; the rows are generated there (or
// reused from bench_points with --reuse 1), the bookings then moved into one year.
//
//   bench_desk [--bookings N] [--students N] [--classes N] [--viewings N] [--runs N] [--reuse 1]

#include "benchdata.h"
#include "controls/dbgrid.h"
#include "data/connection.h"
#include "forms/dayclosewindow.h"
#include "forms/lowbalancewindow.h"
#include "platform/errors.h"

#include <QApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QStandardPaths>
#include <cstdio>
#include <memory>

using namespace Bench;

namespace {
qint64 count(Connection* c, const QString& statement)
{
    QSqlQuery q(c->database());
    if (!q.exec(statement) || !q.next())
        throw AppError(QStringLiteral("count failed: ") + statement);
    return q.value(0).toLongLong();
}

// The command-line client binds nothing: the window's marks name session variables set first, in order.
QString withVariables(QString statement, const QStringList& names)
{
    for (const QString& name : names)
        statement.replace(statement.indexOf(QLatin1Char('?')), 1, QLatin1Char('@') + name);
    return statement;
}

QString dayCloseStatements(const QDate& day)
{
    const QStringList range{QStringLiteral("ryn_from"), QStringLiteral("ryn_to")};
    return QStringLiteral("SET @ryn_from = '%1 00:00:00', @ryn_to = '%2 00:00:00';\n")
               .arg(day.toString(Qt::ISODate), day.addDays(1).toString(Qt::ISODate))
           + withVariables(DayCloseWindow::accountsStatement(), range) + QStringLiteral(";\n")
           + withVariables(DayCloseWindow::totalsStatement(), range) + QStringLiteral(";\n")
           + withVariables(DayCloseWindow::bookingsStatement(), range);
}

QString lowBalanceStatements(int threshold)
{
    return QStringLiteral("SET @ryn_threshold = %1;\n").arg(threshold)
           + withVariables(LowBalanceWindow::lowBalanceStatement(), {QStringLiteral("ryn_threshold")});
}
} // namespace

int main(int argc, char** argv)
{
    Bench::offscreenUnlessAsked();
    QStandardPaths::setTestModeEnabled(true); // the threshold is not kept in the user's own settings
    QApplication app(argc, argv);
    Options defaults;
    defaults.viewings = 5000000;
    const Options o = parse(app.arguments(), defaults);
    try {
        Connection connection;
        Bench::openAsProgram(connection);
        fill(o);
        // The bookings made one year, 2025, in key order; in parts, each well within the connection's
        // two-minute read limit while the date indexes change.
        const qint64 bookings = count(&connection, QStringLiteral("SELECT COUNT(*) FROM studclass"));
        const qint64 lastKey = count(&connection, QStringLiteral("SELECT COALESCE(MAX(scpkey), 0) FROM studclass"));
        const qint64 part = 100000;
        for (qint64 first = 0; first <= lastKey; first += part)
            connection.execute(QStringLiteral("UPDATE studclass SET buydate = '2025-01-01 00:00:00' + INTERVAL "
                                              "(scpkey * 31535999 DIV %1) SECOND "
                                              "WHERE buydate IS NOT NULL AND scpkey > %2 AND scpkey <= %3")
                                   .arg(qMax<qint64>(1, lastKey))
                                   .arg(first)
                                   .arg(first + part));
        const QDate day(2025, 6, 15);
        const qint64 dayBookings = count(
            &connection,
            QStringLiteral("SELECT COUNT(*) FROM studclass WHERE buydate >= '2025-06-15' AND buydate < '2025-06-16'"));
        const qint64 students = count(&connection, QStringLiteral("SELECT COUNT(*) FROM stud"));
        const qint64 viewings = count(&connection, QStringLiteral("SELECT COUNT(*) FROM watchlog"));
        const int threshold = 10;

        clientMs(dayCloseStatements(day)); // warms the server's buffer pool
        clientMs(lowBalanceStatements(threshold));
        std::vector<double> clientDay, windowDay, clientLow, windowLow;
        qint64 listed = 0;
        for (int i = 0; i < o.runs; ++i) {
            clientDay.push_back(clientMs(dayCloseStatements(day)));
            windowDay.push_back(timed([&] {
                auto window = std::make_unique<DayCloseWindow>(&connection);
                window->resize(1280, 760);
                window->show();
                window->chooseDay(day);
                window->grab();
            }));
            clientLow.push_back(clientMs(lowBalanceStatements(threshold)));
            windowLow.push_back(timed([&] {
                auto window = std::make_unique<LowBalanceWindow>(&connection);
                window->resize(1280, 760);
                window->show();
                window->grab();
                listed = window->grdLowBalance->model()->rowCount();
            }));
        }

        std::printf("\n%lld bookings in 2025 (%lld on %s), %lld students, %lld viewings; %lld students at or "
                    "below %d points; median of %d runs\n\n",
                    bookings, dayBookings, qPrintable(day.toString(QStringLiteral("yyyy/MM/dd"))), students, viewings,
                    listed, threshold, o.runs);
        line("Measure", QStringLiteral("Result"));
        line("--------------------------------------------", QStringLiteral("----------------------------------"));
        line("mariadb client, the day's close statements", QStringLiteral("%1 ms").arg(median(clientDay), 0, 'f', 0));
        line("day's close opened for the day, painted", QStringLiteral("%1 ms").arg(median(windowDay), 0, 'f', 0));
        line("day's close / client", QStringLiteral("%1").arg(median(windowDay) / median(clientDay), 0, 'f', 2));
        line("mariadb client, the low-balance statement", QStringLiteral("%1 ms").arg(median(clientLow), 0, 'f', 0));
        line("low-balance list opened, painted", QStringLiteral("%1 ms").arg(median(windowLow), 0, 'f', 0));
        line("low balances / client", QStringLiteral("%1").arg(median(windowLow) / median(clientLow), 0, 'f', 2));
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_desk: %s\n", qPrintable(e.message()));
        return 1;
    }
}
