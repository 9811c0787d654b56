// The grids' tools over a million bookings, in the top-up window's grid (a date-time, a number and
// three lookups): the find bar and the filter row answering each keystroke, and the export to CSV and XLSX against the
// mariadb command-line client writing the same rows (the same columns, by a join) to a file, with
// the resident memory before and after each export. Run by scripts/bench, which starts a private
// server for it; the rows are generated there and dropped with the server.
//
//   bench_gridtools [--bookings N] [--students N] [--classes N] [--runs N]

#include "session/session.h"
#include "benchdata.h"
#include "controls/dbgrid.h"
#include "controls/gridfindbar.h"
#include "controls/gridheader.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "data/exportsnapshot.h"
#include "data/exportsource.h"
#include "data/tableexport.h"
#include "forms/studclasswindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace Bench;

namespace {
// Each keystroke of text typed into the bar from the first row: the slowest one, in milliseconds.
double slowestKeystroke(DBGrid* grid, const QString& text)
{
    GridFindBar* bar = grid->findBar();
    grid->table()->setRecNo(0);
    double slowest = 0;
    for (int i = 1; i <= text.size(); ++i) {
        bar->txtFind->setText(text.left(i));
        slowest = std::max(slowest, timed([&] { bar->find(GridFindBar::From::Current); }));
    }
    return slowest;
}

// Each keystroke of text typed into a filter box with the others as they are: the slowest one, in
// milliseconds; the box is emptied again afterwards.
double slowestFilterKeystroke(DBGrid* grid, int column, const QString& text)
{
    QLineEdit* box = grid->titleBar()->filterBox(column);
    double slowest = 0;
    for (int i = 1; i <= text.size(); ++i)
        slowest = std::max(slowest, timed([&] { box->setText(text.left(i)); }));
    return slowest;
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
        Session admin;
        admin.account = QStringLiteral("admin");
        StudClassWindow window(&connection, admin);
        window.resize(1200, 800);
        window.show();
        DBGrid* grid = window.grdStudClass;
        SnapshotTable* table = window.tblStudClass;
        const int rows = table->recordCount();

        // Find: a student's name (a lookup), dates and numbers that no row holds (every row
        // formatted), a text that no lookup result holds, and F3 through a name's rows.
        const double name = slowestKeystroke(grid, QStringLiteral("學生77777"));
        const double date = slowestKeystroke(grid, QStringLiteral("2099/01"));
        const double number = slowestKeystroke(grid, QStringLiteral("-1000"));
        const double nowhere = slowestKeystroke(grid, QStringLiteral("沒有這個人"));
        grid->findBar()->txtFind->setText(QStringLiteral("學生1234"));
        double next = 0;
        for (int i = 0; i < 100; ++i)
            next = std::max(next, timed([&] { grid->findBar()->find(GridFindBar::From::Next); }));

        // The filter row: a student's name (a lookup) alone, then a month and a number range with it,
        // and the keystroke that empties the last box (every row of the name back).
        grid->setFilterRowShown(true);
        const double filterName = slowestFilterKeystroke(grid, 3, QStringLiteral("學生77777"));
        const int nameRows = table->recordCount();
        grid->titleBar()->filterBox(3)->clear();
        const double filterDate = slowestFilterKeystroke(grid, 0, QStringLiteral("2024/10"));
        const double filterRange = slowestFilterKeystroke(grid, 1, QStringLiteral("100..500"));
        const int combinedRows = table->recordCount();
        const double filterClear = timed([&] { grid->titleBar()->filterBox(1)->clear(); });
        grid->setFilterRowShown(false);

        // Export: the grid's columns, as the export menu writes them.
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-export-XXXXXX"));
        const QList<SnapshotExportSource::Column> columns = {{"buydate", "購買日期"},
                                                             {"watchpoint", "購買點數"},
                                                             {"username", "承辦人"},
                                                             {"studname", "學生姓名"},
                                                             {"classname", "課程名稱"}};
        const SnapshotExportSource source(table, columns);
        const QString join =
            QStringLiteral("SELECT s.buydate, s.watchpoint, u.uname, t.studname, c.classname FROM studclass s "
                           "LEFT JOIN users u ON u.uid = s.uid LEFT JOIN stud t ON t.spkey = s.spkey "
                           "LEFT JOIN classroom c ON c.crpkey = s.crpkey");
        const QString clientFile = dir.filePath(QStringLiteral("client.tsv"));
        clientMs(join, clientFile); // warms the server's buffer pool
        // The same columns without the lookups' joins: the keys themselves, as the table stores them.
        const QString plain = QStringLiteral("SELECT buydate, watchpoint, uid, spkey, crpkey FROM studclass");
        std::vector<double> client, plainClient, csv, xlsx, csvGrowth, xlsxGrowth, copy, copyBytes;
        for (int i = 0; i < o.runs; ++i) {
            // The copy an export takes on the window's thread before its writer starts, and what it holds.
            const double beforeCopy = residentBytes();
            std::unique_ptr<ExportSnapshot> rowsCopy;
            copy.push_back(timed([&] { rowsCopy = std::make_unique<ExportSnapshot>(source); }));
            copyBytes.push_back(residentBytes() - beforeCopy);
            rowsCopy.reset();
            client.push_back(clientMs(join, clientFile));
            plainClient.push_back(clientMs(plain, dir.filePath(QStringLiteral("plain.tsv"))));
            double before = residentBytes();
            csv.push_back(timed([&] { TableExport::writeCsv(source, dir.filePath(QStringLiteral("b.csv"))); }));
            csvGrowth.push_back(residentBytes() - before);
            before = residentBytes();
            xlsx.push_back(timed([&] { TableExport::writeXlsx(source, dir.filePath(QStringLiteral("b.xlsx"))); }));
            xlsxGrowth.push_back(residentBytes() - before);
        }
        const auto size = [&](const char* file) { return QFileInfo(dir.filePath(QLatin1String(file))).size() / 1e6; };
        const double clientMedian = median(client);

        std::printf("\n%d bookings in the top-up window's grid, median of %d runs where repeated\n\n", rows, o.runs);
        line("Measure", QStringLiteral("Result"));
        line("--------------------------------------------", QStringLiteral("----------------------------------"));
        line("find, slowest keystroke: a student's name", QStringLiteral("%1 ms").arg(name, 0, 'f', 1));
        line("find, slowest keystroke: date, no row", QStringLiteral("%1 ms").arg(date, 0, 'f', 1));
        line("find, slowest keystroke: number, no row", QStringLiteral("%1 ms").arg(number, 0, 'f', 1));
        line("find, slowest keystroke: text, no row", QStringLiteral("%1 ms").arg(nowhere, 0, 'f', 1));
        line("find, slowest of 100 F3 (next row)", QStringLiteral("%1 ms").arg(next, 0, 'f', 1));
        line("filter, slowest keystroke: a student's name",
             QStringLiteral("%1 ms (%2 rows left)").arg(filterName, 0, 'f', 1).arg(nameRows));
        line("filter, slowest keystroke: a month", QStringLiteral("%1 ms").arg(filterDate, 0, 'f', 1));
        line("filter, slowest keystroke: month and points",
             QStringLiteral("%1 ms (%2 rows left)").arg(filterRange, 0, 'f', 1).arg(combinedRows));
        line("filter, a box emptied (rows back)", QStringLiteral("%1 ms").arg(filterClear, 0, 'f', 1));
        line("filter / find, slowest keystroke of the name",
             QStringLiteral("%1").arg(filterName / std::max(name, 0.01), 0, 'f', 2));
        line("mariadb --batch, same rows to a file",
             QStringLiteral("%1 ms (%2 MB)").arg(clientMedian, 0, 'f', 0).arg(size("client.tsv"), 0, 'f', 0));
        line("mariadb --batch, keys without joins", QStringLiteral("%1 ms").arg(median(plainClient), 0, 'f', 0));
        line("export CSV", QStringLiteral("%1 ms (%2 MB)").arg(median(csv), 0, 'f', 0).arg(size("b.csv"), 0, 'f', 0));
        line("export CSV / client (joins; without)", QStringLiteral("%1; %2")
                                                         .arg(median(csv) / clientMedian, 0, 'f', 2)
                                                         .arg(median(csv) / median(plainClient), 0, 'f', 2));
        line("export XLSX",
             QStringLiteral("%1 ms (%2 MB)").arg(median(xlsx), 0, 'f', 0).arg(size("b.xlsx"), 0, 'f', 0));
        line("export XLSX / client (joins; without)", QStringLiteral("%1; %2")
                                                          .arg(median(xlsx) / clientMedian, 0, 'f', 2)
                                                          .arg(median(xlsx) / median(plainClient), 0, 'f', 2));
        line("export: rows copied before the writer's thread", QStringLiteral("%1 ms (%2 MB held while it writes)")
                                                                   .arg(median(copy), 0, 'f', 0)
                                                                   .arg(median(copyBytes) / 1e6, 0, 'f', 0));
        line("resident memory added by a CSV export", QStringLiteral("%1 MB (first %2 MB)")
                                                          .arg(median(csvGrowth) / 1e6, 0, 'f', 1)
                                                          .arg(csvGrowth[0] / 1e6, 0, 'f', 1));
        line("resident memory added by an XLSX export", QStringLiteral("%1 MB (first %2 MB)")
                                                            .arg(median(xlsxGrowth) / 1e6, 0, 'f', 1)
                                                            .arg(xlsxGrowth[0] / 1e6, 0, 'f', 1));
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_gridtools: %s\n", qPrintable(e.message()));
        return 1;
    }
}
