// How fast a record window's table opens, sorts and looks up over a million bookings, what it
// holds in memory, and how its grid paints and scrolls, against the mariadb command-line client
// reading the same rows. Run by
// scripts/bench, which starts a private server for it; the rows are generated there and dropped
// with the server.
//
//   bench_snapshot [--bookings N] [--students N] [--classes N] [--runs N]

#include "benchdata.h"
#include "data/connection.h"
#include "data/datasource.h"
#include "controls/dbgrid.h"
#include "data/dberror.h"
#include "data/snapshottable.h"

#include <QApplication>
#include <QScrollBar>
#include <cstdio>
#include <random>

using namespace Bench;

namespace {
std::unique_ptr<SnapshotTable> bookingTable(Connection* c, SnapshotTable* stud)
{
    auto t = std::make_unique<SnapshotTable>();
    t->setConnection(c);
    t->setTableName(QStringLiteral("studclass"));
    t->addField(QStringLiteral("scpkey"), FieldType::Int64);
    t->addField(QStringLiteral("buydate"), FieldType::DateTime);
    t->addField(QStringLiteral("spkey"), FieldType::Text, 10);
    t->addField(QStringLiteral("crpkey"), FieldType::Int32);
    t->addField(QStringLiteral("watchpoint"), FieldType::Int32);
    t->addField(QStringLiteral("uid"), FieldType::Text, 20);
    t->addLookupField(QStringLiteral("studname"), FieldType::Text, 10, stud, QStringLiteral("spkey"),
                      QStringLiteral("spkey"), QStringLiteral("studname"));
    t->setKeyField(QStringLiteral("scpkey"));
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    Bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    const Options o = parse(app.arguments());
    try {
        Connection connection;
        Bench::openAsProgram(connection);
        fill(o);

        SnapshotTable stud;
        stud.setConnection(&connection);
        stud.setTableName(QStringLiteral("stud"));
        stud.addField(QStringLiteral("spkey"), FieldType::Text, 20);
        stud.addField(QStringLiteral("studname"), FieldType::Text, 10);
        stud.setKeyField(QStringLiteral("spkey"));

        // Open before the bookings, which would otherwise open it as their lookup table.
        const double studOpen = timed([&] { stud.open(); });

        const QString everyRow = QStringLiteral("SELECT * FROM studclass");
        clientMs(everyRow); // warms the server's buffer pool for both readers
        std::vector<double> client;
        for (int i = 0; i < o.runs; ++i)
            client.push_back(clientMs(everyRow));

        std::vector<double> opens;
        std::vector<double> openCpu;
        std::vector<double> perRow;
        int rows = 0;
        for (int i = 0; i < o.runs; ++i) {
            auto t = bookingTable(&connection, &stud);
            const double before = residentBytes();
            const double cpuBefore = cpuMs();
            opens.push_back(timed([&] { t->open(); }));
            openCpu.push_back(cpuMs() - cpuBefore);
            rows = t->recordCount();
            perRow.push_back((residentBytes() - before) / std::max(1, rows));
        }

        auto t = bookingTable(&connection, &stud);
        t->open();
        const double sortSpkey = timed([&] { t->setSort(QStringLiteral("spkey ASC")); });
        const double sortSpkeyAgain = timed([&] { t->setSort(QStringLiteral("spkey ASC")); });
        const double sortUid = timed([&] { t->setSort(QStringLiteral("uid DESC")); });
        const double sortDate = timed([&] { t->setSort(QStringLiteral("buydate DESC")); });
        t->setSort(QString());
        const int lookupField = 6;
        qint64 chars = 0;
        const double lookupFirst = timed([&] {
            for (int row = 0; row < t->recordCount(); ++row)
                chars += t->cellText(row, lookupField).size();
        });
        const double lookupAgain = timed([&] {
            for (int row = 0; row < t->recordCount(); ++row)
                chars += t->cellText(row, lookupField).size();
        });
        const double textCells = timed([&] {
            for (int row = 0; row < t->recordCount(); ++row)
                chars += t->cellText(row, 2).size();
        });

        // The grid over all rows: a first paint, a jump to the last row, and paints after random scrolls.
        DataSource source(t.get());
        DBGrid grid;
        grid.setDataSource(&source);
        grid.setColumns({{QStringLiteral("buydate"), QStringLiteral("buydate"), 160},
                         {QStringLiteral("spkey"), QStringLiteral("spkey"), 100},
                         {QStringLiteral("watchpoint"), QStringLiteral("watchpoint"), 80},
                         {QStringLiteral("studname"), QStringLiteral("studname"), 120}});
        grid.resize(700, 600);
        const double gridFirst = timed([&] {
            grid.show();
            grid.grab();
        });
        const double gridLast = timed([&] {
            t->setRecNo(t->recordCount() - 1);
            grid.grab();
        });
        std::mt19937 random(7);
        const int scrolls = 200;
        const double gridScroll = timed([&] {
                                      for (int i = 0; i < scrolls; ++i) {
                                          QScrollBar* bar = grid.verticalScrollBar();
                                          bar->setValue(int(random() % unsigned(bar->maximum() + 1)));
                                          grid.grab();
                                      }
                                  })
                                  / scrolls;

        const double clientMs = median(client);
        const double openMs = median(opens);
        std::printf("\n%d studclass rows, %d students, %d classes; median of %d runs where repeated\n\n", rows,
                    o.students, o.classes, o.runs);
        line("Measure", QStringLiteral("Result"));
        line("--------------------------------------------", QStringLiteral("----------------------------------"));
        line("mariadb --batch SELECT * FROM studclass", QStringLiteral("%1 ms").arg(clientMs, 0, 'f', 0));
        line("SnapshotTable::open() over studclass", QStringLiteral("%1 ms").arg(openMs, 0, 'f', 0));
        line("open time / client time", QStringLiteral("%1").arg(openMs / clientMs, 0, 'f', 2));
        line("CPU time of this process during open()", QStringLiteral("%1 ms").arg(median(openCpu), 0, 'f', 0));
        line("resident memory per row, first open", QStringLiteral("%1 bytes").arg(perRow[0], 0, 'f', 1));
        line("resident memory per row, median", QStringLiteral("%1 bytes").arg(median(perRow), 0, 'f', 1));
        line("open stud (lookup table)", QStringLiteral("%1 ms").arg(studOpen, 0, 'f', 0));
        line("setSort(\"spkey ASC\"), first / again",
             QStringLiteral("%1 ms / %2 ms").arg(sortSpkey, 0, 'f', 0).arg(sortSpkeyAgain, 0, 'f', 0));
        line("setSort(\"uid DESC\")", QStringLiteral("%1 ms").arg(sortUid, 0, 'f', 0));
        line("setSort(\"buydate DESC\")", QStringLiteral("%1 ms").arg(sortDate, 0, 'f', 0));
        line("lookup studname, cellText of all rows",
             QStringLiteral("%1 ms first / %2 ms again").arg(lookupFirst, 0, 'f', 0).arg(lookupAgain, 0, 'f', 0));
        line("cellText of spkey, all rows", QStringLiteral("%1 ms").arg(textCells, 0, 'f', 0));
        line("grid over all rows: show and first paint", QStringLiteral("%1 ms").arg(gridFirst, 0, 'f', 1));
        line("grid: jump to the last row and paint", QStringLiteral("%1 ms").arg(gridLast, 0, 'f', 1));
        line("grid: paint after a random scroll (mean)", QStringLiteral("%1 ms").arg(gridScroll, 0, 'f', 2));
        std::printf("\n(%lld characters read through cellText)\n", static_cast<long long>(chars));
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_snapshot: %s\n", qPrintable(e.message()));
        return 1;
    }
}
