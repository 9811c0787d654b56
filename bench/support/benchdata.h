#pragma once
// What the benchmarks share: their options, the generated data, the mariadb command-line client as
// the yardstick, and small measuring helpers.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class Connection;
class QSqlDatabase;

namespace Bench {
/// Windows and grids are painted off screen unless QT_QPA_PLATFORM asks for a display. Call before
/// the application object is made.
void offscreenUnlessAsked();
/// Opens connection as the program opens its own (the program's connection string).
void openAsProgram(Connection& connection);
/// The private server's root session (RYN_DB_ROOT_PASSWORD), opened on first use: what sets the
/// rows up does what the program's account may not (TRUNCATE, a table of its own, old history).
QSqlDatabase& root();
/// Runs statement in the root session; a failure ends the benchmark with the server's text.
void rootExec(const QString& statement);
struct Options {
    int bookings = 1000000;
    int students = 100000;
    int classes = 1000;
    int viewings = 0;
    int runs = 3;
    bool reuse = false; ///< keep the rows of an earlier run on the same server
};

/// --bookings N --students N --classes N --viewings N --runs N --reuse 1, each optional.
Options parse(const QStringList& args, const Options& defaults = Options());

/// Replaces the classes, students, bookings (and, when o.viewings > 0, five courses per class and
/// the viewings) with generated rows, spread over the students and classes, written as root;
/// nothing with o.reuse.
void fill(const Options& o);

/// Milliseconds the mariadb command-line client takes to run statement in batch mode, its output
/// thrown away or written to outputFile (a subprocess, as a user would run it).
double clientMs(const QString& statement, const QString& outputFile = QString());

double residentBytes();
double cpuMs();
double median(std::vector<double> v);

template <typename F> double timed(F&& f);

/// One line of the figures table.
void line(const char* what, const QString& figure);
} // namespace Bench

#include <QElapsedTimer>

template <typename F> double Bench::timed(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}
