// The soak's workload: 16 workstations (threads, each with its own connection through a relay that
// loses answers to writes) book top-ups, edit students and add classes for a fixed time with the
// program's own tables and row writer ("run"); then every node is read and compared with the
// ledger of what the workstations were told ("check"). The servers and the faults (nodes killed, a
// backup's lock, a dump) are scripts/soak's.
//   soak run --nodes P1,P2,P3 --seconds S --ledger FILE [--workstations N] [--drop RATE]
//   soak check --nodes P1,P2,P3 --ledger FILE

#include "flakyrelay.h"
#include "nodecheck.h"
#include "workstation.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
struct Options {
    QString mode;
    std::vector<int> nodes;
    int seconds = 180;
    int workstations = 16;
    double drop = 0.02;
    QString ledger;
};

bool parse(const QStringList& args, Options& o)
{
    if (args.size() < 2)
        return false;
    o.mode = args[1];
    for (int i = 2; i + 1 < args.size(); i += 2) {
        const QString& name = args[i];
        const QString& value = args[i + 1];
        if (name == QLatin1String("--nodes")) {
            for (const QString& p : value.split(QLatin1Char(',')))
                o.nodes.push_back(p.toInt());
        } else if (name == QLatin1String("--seconds")) {
            o.seconds = value.toInt();
        } else if (name == QLatin1String("--workstations")) {
            o.workstations = value.toInt();
        } else if (name == QLatin1String("--drop")) {
            o.drop = value.toDouble();
        } else if (name == QLatin1String("--ledger")) {
            o.ledger = value;
        } else {
            return false;
        }
    }
    return (o.mode == QLatin1String("run") || o.mode == QLatin1String("check")) && !o.nodes.empty()
           && !o.ledger.isEmpty() && o.seconds > 0 && o.workstations > 0;
}

int run(const Options& o)
{
    FlakyRelay relay(o.nodes, o.drop);
    qputenv("RYN_SERVER", "127.0.0.1");
    qputenv("RYN_DB_PORT", QByteArray::number(relay.port()));
    SoakCounts counts;
    Ledger ledger;
    const SoakClock::time_point until = SoakClock::now() + std::chrono::seconds(o.seconds);
    // A save left uncertain at the end is tried again for a while: a node may be down just then.
    const SoakClock::time_point settle = until + std::chrono::seconds(60);
    std::vector<std::thread> threads;
    for (int id = 1; id <= o.workstations; ++id)
        threads.emplace_back(runWorkstation, id, until, settle, std::ref(counts), std::ref(ledger));
    for (std::thread& t : threads)
        t.join();

    QFile file(o.ledger);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "soak: cannot write %s\n", qPrintable(o.ledger));
        return 1;
    }
    QTextStream out(&file);
    for (const LedgerEntry& e : ledger.entries())
        out << e.kind << '\t' << e.key << '\t' << e.outcome << '\n';
    out.flush();
    if (file.error() != QFile::NoError)
        return 1;

    std::printf("workstations: %d, for %d s, answers dropped by the relay: %lld\n", o.workstations, o.seconds,
                relay.drops());
    std::printf("bookings: tried %lld, acknowledged %lld, uncertain %lld (then found stored %lld, stored on a later "
                "attempt %lld), unresolved %lld\n",
                counts.bookingsTried.load(), counts.bookingsAcknowledged.load(), counts.bookingsUncertain.load(),
                counts.bookingsFoundStored.load(), counts.bookingsStoredLater.load(), counts.bookingsUnresolved.load());
    std::printf("student edits: tried %lld, saved %lld, refused as conflicts %lld, lost %lld\n",
                counts.editsTried.load(), counts.editsSaved.load(), counts.editsConflicts.load(),
                counts.editsLost.load());
    std::printf("classes: tried %lld, stored %lld, unresolved %lld\n", counts.classesTried.load(),
                counts.classesStored.load(), counts.classesUnresolved.load());
    std::printf("attempts refused by the server and sent again: %lld\n", counts.attemptsRefused.load());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Qt's driver warns of every statement whose connection the relay cut; the counts say how many.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (!text.startsWith(QLatin1String("QMYSQLResult::cleanup")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
        if (type == QtFatalMsg)
            std::abort();
    });
    QCoreApplication app(argc, argv);
    Options options;
    if (!parse(app.arguments(), options)) {
        std::fprintf(stderr, "usage: soak run|check --nodes P1,P2,P3 --ledger FILE [--seconds S] [--workstations N] "
                             "[--drop RATE]\n");
        return 2;
    }
    return options.mode == QLatin1String("run") ? run(options) : checkNodes(options.nodes, options.ledger);
}
