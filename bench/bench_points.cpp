// The two point windows over a large database: the top-up window opening on a million bookings
// (its lookups, its class list and its grid shown) against opening the bookings alone, with the
// memory it holds per booking; the point query showing one student's log and balance against the
// mariadb command-line client running the same statement; and the point query with the down arrow
// held over 100 students. Run by scripts/bench on a private server; the rows are generated there.
//
//   bench_points [--bookings N] [--students N] [--classes N] [--viewings N] [--runs N]

#include "session/session.h"
#include "benchdata.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "data/snapshottable.h"
#include "data/sqltext.h"
#include "forms/studclasswindow.h"
#include "forms/watchlogwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTimer>
#include <cstdio>
#include <deque>

using namespace Bench;

namespace {
// The bookings as the top-up window declares them, without the lookups.
double openBookingsAlone(Connection* c)
{
    SnapshotTable t;
    t.setConnection(c);
    t.setTableName(QStringLiteral("studclass"));
    t.addField(QStringLiteral("scpkey"), FieldType::Int64);
    t.addField(QStringLiteral("buydate"), FieldType::DateTime);
    t.addField(QStringLiteral("spkey"), FieldType::Text, 10);
    t.addField(QStringLiteral("crpkey"), FieldType::Int32);
    t.addField(QStringLiteral("watchpoint"), FieldType::Int32);
    t.addField(QStringLiteral("uid"), FieldType::Text, 20);
    return timed([&] { t.open(); });
}

Session admin()
{
    Session session;
    session.account = QStringLiteral("admin");
    return session;
}

// The window made, shown and painted: every lookup of the visible rows, the class list and the grid.
double openTopUpWindow(Connection* c, std::unique_ptr<StudClassWindow>& window)
{
    return timed([&] {
        window = std::make_unique<StudClassWindow>(c, admin());
        window->resize(1200, 800);
        window->show();
        window->grab();
    });
}

// Qt's fonts, style and widget classes loaded once, as the login and main windows do.
void warmUpWidgets()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{new QTableView, new QComboBox, new QLineEdit, new QPushButton,
                                                      new QLabel(QStringLiteral("學號"))})
        layout->addWidget(w);
    window.show();
    window.grab();
}

qint64 serverBalance(Connection* c, const QString& spkey, int* rows)
{
    QSqlQuery q(c->database());
    const QString key = quotedLiteral(spkey);
    q.exec(QStringLiteral("SELECT (SELECT COALESCE(SUM(point), 0) FROM watchlog WHERE spkey=%1) + "
                          "(SELECT COALESCE(SUM(watchpoint), 0) FROM studclass WHERE spkey=%1), "
                          "(SELECT COUNT(*) FROM watchlog WHERE spkey=%1) + (SELECT COUNT(*) FROM studclass WHERE "
                          "spkey=%1)")
               .arg(key));
    if (!q.next())
        throw DbError(QStringLiteral("balance check failed"));
    *rows = q.value(1).toInt();
    return q.value(0).toLongLong();
}

// Records when each posted key reaches the student grid.
class KeyLatency : public QObject
{
public:
    std::deque<QElapsedTimer> posted;
    double worst = 0;
    int handled = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !posted.empty()) {
            worst = std::max(worst, double(posted.front().nsecsElapsed()) / 1e6);
            posted.pop_front();
            ++handled;
        }
        return false;
    }
};

void settle(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Holds the down arrow over 100 students, a key every interval milliseconds (0: all at once), and
// checks that the last student's log and balance are the ones shown.
void holdDownArrow(WatchLogWindow& w, Connection* c, int firstRow, int interval)
{
    w.tblStud->setRecNo(firstRow);
    settle(50);
    KeyLatency latency;
    w.grdStud->installEventFilter(&latency);
    const int keys = 100;
    QElapsedTimer total;
    total.start();
    const auto post = [&] {
        latency.posted.emplace_back();
        latency.posted.back().start();
        QCoreApplication::postEvent(w.grdStud, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
    };
    if (interval == 0) {
        for (int i = 0; i < keys; ++i)
            post();
    } else {
        QTimer timer;
        int sent = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            post();
            if (++sent == keys)
                timer.stop();
        });
        timer.start(interval);
        while (timer.isActive())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    while (latency.handled < keys)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    settle(200);
    const double elapsed = double(total.nsecsElapsed()) / 1e6 - 200;
    w.grdStud->removeEventFilter(&latency);

    const QString expected = w.tblStud->cellText(firstRow + keys, 0);
    int rows = 0;
    const QString balance = formatBalance(serverBalance(c, expected, &rows));
    const bool right = w.txtSpkey->text() == expected && w.txtNowPoint->text() == balance
                       && w.qryWatchlog->recordCount() == rows
                       && w.qryWatchlog->sqlValues() == QVariantList{expected, expected};
    const QString how =
        interval == 0 ? QStringLiteral("100 keys at once") : QStringLiteral("a key every %1 ms").arg(interval);
    line(qPrintable(QStringLiteral("down arrow held, %1").arg(how)),
         QStringLiteral("%1 ms, slowest key %2 ms, %3")
             .arg(elapsed, 0, 'f', 0)
             .arg(latency.worst, 0, 'f', 1)
             .arg(right ? QStringLiteral("last shown") : QStringLiteral("WRONG STUDENT SHOWN")));
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

        // Memory: the first window of the process, so that nothing freed before is reused. The
        // program has shown its login and main windows by then, so Qt's own start is not counted.
        warmUpWidgets();
        std::unique_ptr<StudClassWindow> topUp;
        const double before = residentBytes();
        openTopUpWindow(&connection, topUp);
        const int bookings = topUp->tblStudClass->recordCount();
        const double perRow = (residentBytes() - before) / std::max(1, bookings);
        topUp.reset();

        clientMs(QStringLiteral("SELECT * FROM studclass")); // warms the server's buffer pool
        std::vector<double> alone;
        std::vector<double> window;
        for (int i = 0; i < o.runs; ++i) {
            alone.push_back(openBookingsAlone(&connection));
            window.push_back(openTopUpWindow(&connection, topUp));
            topUp.reset();
        }

        WatchLogWindow query(&connection, admin());
        query.resize(1200, 800);
        query.show();
        query.grab();
        const int students = query.tblStud->recordCount();
        std::vector<double> client;
        std::vector<double> shown;
        std::vector<double> ratios;
        int logRows = 0;
        for (int pick = 1; pick <= 5; ++pick) {
            const int row = students * (2 * pick - 1) / 10;
            const QString spkey = query.tblStud->cellText(row, 0);
            // The command-line client binds nothing: its statement carries the key as a literal.
            QString statement = WatchLogWindow::watchlogStatement();
            statement.replace(QLatin1Char('?'), quotedLiteral(spkey));
            clientMs(statement);
            std::vector<double> c;
            std::vector<double> w;
            for (int i = 0; i < o.runs; ++i) {
                c.push_back(clientMs(statement));
                query.tblStud->setRecNo(row == 0 ? 1 : 0);
                QCoreApplication::processEvents();
                w.push_back(timed([&] {
                    query.tblStud->setRecNo(row);
                    QCoreApplication::processEvents(); // what the selection queued, as a user would see it
                    query.grab();
                }));
            }
            logRows += query.qryWatchlog->recordCount();
            client.push_back(median(c));
            shown.push_back(median(w));
            ratios.push_back(median(w) / median(c));
        }

        std::printf("\n%d bookings, %d students, %d classes, %d viewings; median of %d runs\n\n", bookings, students,
                    o.classes, o.viewings, o.runs);
        line("Measure", QStringLiteral("Result"));
        line("--------------------------------------------", QStringLiteral("----------------------------------"));
        line("bookings snapshot alone (6 columns)", QStringLiteral("%1 ms").arg(median(alone), 0, 'f', 0));
        line("top-up window open, lookups, list, grid", QStringLiteral("%1 ms").arg(median(window), 0, 'f', 0));
        line("window / bookings alone", QStringLiteral("%1").arg(median(window) / median(alone), 0, 'f', 2));
        line("top-up window resident memory per booking", QStringLiteral("%1 bytes").arg(perRow, 0, 'f', 1));
        line("mariadb client, point query statement", QStringLiteral("%1 ms").arg(median(client), 0, 'f', 1));
        line("point query: select, log and balance shown", QStringLiteral("%1 ms").arg(median(shown), 0, 'f', 1));
        line("point query / client (median of 5 students)", QStringLiteral("%1").arg(median(ratios), 0, 'f', 2));
        line("log rows per student (mean of the 5)", QStringLiteral("%1").arg(logRows / 5.0, 0, 'f', 1));
        holdDownArrow(query, &connection, students / 3, 33);
        holdDownArrow(query, &connection, students / 2, 0);
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_points: %s\n", qPrintable(e.message()));
        return 1;
    }
}
