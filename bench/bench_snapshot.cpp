// How fast a record window's table opens, sorts and looks up over a million bookings, what it
// holds in memory, and how its grid paints and scrolls, against the mariadb command-line client
// reading the same rows. Run by
// scripts/bench, which starts a private server for it; the rows are generated there and dropped
// with the server.
//
//   bench_snapshot [--bookings N] [--students N] [--classes N] [--runs N]

#include "data/connection.h"
#include "data/datasource.h"
#include "controls/dbgrid.h"
#include "data/dberror.h"
#include "data/serversettings.h"
#include "data/snapshottable.h"

#include <QApplication>
#include <QScrollBar>
#include <random>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {
struct Options {
    int bookings = 1000000;
    int students = 100000;
    int classes = 1000;
    int runs = 3;
};

Options parse(const QStringList& args)
{
    Options o;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (args[i] == QLatin1String("--bookings"))
            o.bookings = value;
        else if (args[i] == QLatin1String("--students"))
            o.students = value;
        else if (args[i] == QLatin1String("--classes"))
            o.classes = value;
        else if (args[i] == QLatin1String("--runs"))
            o.runs = std::max(1, value);
    }
    return o;
}

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void fill(Connection& c, const Options& o)
{
    std::printf("Generating %d classes, %d students, %d bookings...\n", o.classes, o.students, o.bookings);
    std::fflush(stdout);
    c.execute(QStringLiteral("TRUNCATE TABLE studclass"));
    c.execute(QStringLiteral("TRUNCATE TABLE stud"));
    c.execute(QStringLiteral("TRUNCATE TABLE classroom"));
    c.execute(QStringLiteral("INSERT INTO classroom (classname, teacher, classpoint, videopoint) "
                             "SELECT CONCAT('課程 ', seq), ELT(1 + seq % 4, '李老師', '吳老師', '周老師', '王老師'), "
                             "100 + seq % 200, seq % 20 FROM seq_1_to_%1")
                  .arg(o.classes));
    c.execute(QStringLiteral("INSERT INTO stud (spkey, studname, studpwd) "
                             "SELECT CONCAT('S', LPAD(seq, 6, '0')), CONCAT('學生', seq), MD5(seq) FROM seq_1_to_%1")
                  .arg(o.students));
    // Bookings spread over the students and classes, a few without a date or a user.
    c.execute(
        QStringLiteral("INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) "
                       "SELECT IF(seq % 97 = 0, NULL, '2020-01-01 08:00:00' + INTERVAL seq * 3 MINUTE), "
                       "CONCAT('S', LPAD(1 + (seq * 7919) % %2, 6, '0')), 1 + (seq * 31) % %3, "
                       "CAST(seq % 400 AS SIGNED) - 100, "
                       "IF(seq % 50 = 0, NULL, ELT(1 + seq % 6, 'admin', 'staff', 'amy', 'bob', '王小明', 'carol')) "
                       "FROM seq_1_to_%1")
            .arg(o.bookings)
            .arg(o.students)
            .arg(o.classes));
}

// The command-line client reading every row, its output thrown away.
double clientRead(const QHash<QString, QString>& account)
{
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_PWD"), account.value(QStringLiteral("PASSWORD")));
    client.setProcessEnvironment(env);
    client.setStandardOutputFile(QProcess::nullDevice());
    const ServerSettings server = ServerSettings::load();
    QElapsedTimer timer;
    timer.start();
    client.start(
        QStringLiteral("mariadb"),
        {QStringLiteral("--no-defaults"), QStringLiteral("--batch"), QStringLiteral("--default-character-set=utf8mb4"),
         QStringLiteral("-h") + server.host, QStringLiteral("-P%1").arg(server.dbPort),
         QStringLiteral("-u") + account.value(QStringLiteral("UID")), account.value(QStringLiteral("DATABASE")),
         QStringLiteral("-e"), QStringLiteral("SELECT * FROM studclass")});
    if (!client.waitForFinished(600000) || client.exitCode() != 0)
        throw DbError(QStringLiteral("mariadb client failed: ")
                      + QString::fromLocal8Bit(client.readAllStandardError()));
    return double(timer.nsecsElapsed()) / 1e6;
}

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

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

template <typename F> double timed(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}

void line(const char* what, const QString& figure)
{
    std::printf("| %-44s | %-34s |\n", what, qPrintable(figure));
}
} // namespace

int main(int argc, char** argv)
{
    // The grid is painted off screen unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Options o = parse(app.arguments());
    try {
        Connection connection;
        connection.setConnectionString(programConnectionString());
        connection.open();
        fill(connection, o);

        SnapshotTable stud;
        stud.setConnection(&connection);
        stud.setTableName(QStringLiteral("stud"));
        stud.addField(QStringLiteral("spkey"), FieldType::Text, 20);
        stud.addField(QStringLiteral("studname"), FieldType::Text, 10);
        stud.setKeyField(QStringLiteral("spkey"));

        const QHash<QString, QString> account = parseConnectionString(programConnectionString());
        clientRead(account); // warms the server's buffer pool for both readers
        std::vector<double> client;
        for (int i = 0; i < o.runs; ++i)
            client.push_back(clientRead(account));

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
        const double studOpen = timed([&] { stud.open(); });
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
