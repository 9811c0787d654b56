// Booking throughput on one server: the program's own table and row writer saving top-ups one by
// one (each with its token, in its own transaction, read back) against the mariadb command-line
// client inserting the same rows one statement at a time, with the writer without tokens beside
// them. Run by scripts/bench on a private server; the bookings are added there.
//
//   bench_booking [--bookings N] [--runs N]

#include "benchdata.h"
#include "data/connection.h"
#include "data/snapshottable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

using namespace Bench;

namespace {
std::unique_ptr<SnapshotTable> bookings(Connection* c, bool tokens)
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
    t->setKeyField(QStringLiteral("scpkey"));
    if (tokens)
        t->setInsertToken(QStringLiteral("booking_token"), QStringLiteral("scpkey"));
    t->open(); // outside the measured time
    return t;
}

const QDateTime kWhen(QDate(2026, 9, 1), QTime(10, 0));

double programMs(Connection* c, int n, int base, bool tokens)
{
    auto t = bookings(c, tokens);
    return timed([&] {
        for (int i = 0; i < n; ++i) {
            t->append();
            t->field(QStringLiteral("buydate"))->setValue(kWhen);
            t->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("B%1").arg(i % 100));
            t->field(QStringLiteral("crpkey"))->setValue(1 + i % 3);
            t->field(QStringLiteral("watchpoint"))->setValue(base + i);
            t->field(QStringLiteral("uid"))->setAsString(QStringLiteral("bench"));
            t->post();
        }
    });
}

double clientInsertsMs(int n, int base)
{
    // One statement per booking, as a clerk's saves arrive; batches keep each command line short.
    double ms = 0;
    for (int from = 0; from < n; from += 500) {
        QString statements;
        for (int i = from; i < std::min(n, from + 500); ++i)
            statements += QStringLiteral("INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
                                         "('2026-09-01 10:00:00', 'B%1', %2, %3, 'bench');\n")
                              .arg(i % 100)
                              .arg(1 + i % 3)
                              .arg(base + i);
        ms += clientMs(statements);
    }
    return ms;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options defaults;
    defaults.bookings = 1000;
    const Options o = parse(app.arguments(), defaults);
    Connection c;
    openAsProgram(c);
    std::vector<double> program;
    std::vector<double> plain;
    std::vector<double> client;
    std::vector<double> ratio;
    for (int run = 0; run < o.runs; ++run) {
        const int base = 1000000 * (run + 1);
        program.push_back(programMs(&c, o.bookings, base, true));
        client.push_back(clientInsertsMs(o.bookings, base + 100000));
        plain.push_back(programMs(&c, o.bookings, base + 200000, false));
        ratio.push_back(program.back() / client.back());
    }
    auto perSecond = [&](double ms) {
        return QStringLiteral("%1 bookings/s").arg(o.bookings * 1000.0 / ms, 0, 'f', 0);
    };
    std::printf("%d bookings per run, %d runs, medians\n", o.bookings, o.runs);
    line("program, token in the same transaction", perSecond(median(program)));
    line("program, plain INSERT (no token)", perSecond(median(plain)));
    line("mariadb client, one INSERT per booking", perSecond(median(client)));
    line("program time / client time (median ratio)", QString::number(median(ratio), 'f', 2));
    return 0;
}
