#pragma once
// The tests' own access to the private MariaDB server (as root, beside the program's connection):
// reseeding the demo data and reading rows back with their own queries.

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

class Connection;
class QObject;
class QProcess;

namespace SandboxDb {
/// A connection made and opened as the program makes its own (the program's connection string).
Connection* programConnection(QObject* parent);
/// Takes the private servers' addresses from the environment file that the CTest fixture wrote
/// (RYN_SANDBOX_ENV), unless they are in the environment already; points the per-user and the
/// system-wide settings folders at empty ones of the test program's own.
void loadEnvironment();
/// Sets the variables of a sandbox's env file in this process; returns their values before.
QHash<QByteArray, QByteArray> applyEnvironment(const QString& path);
/// Stops the test program with the reason when no private server is known: such a test fails, never skips.
void require();
/// A root connection to the database ryn of the private server named by the environment.
QSqlDatabase root();
/// A root session (this thread's, by name) to the database ryn on a port (0: the private server's),
/// open and speaking utf8mb4; one closed or left on another port is opened again. A failure stops
/// the test program with the server's text.
QSqlDatabase rootSession(const QString& name, int port = 0);
/// Runs a statement as root; a failure stops the test program with the server's text.
void exec(const QString& statement);
/// The first column of the first row, or an invalid value when there is no row.
QVariant scalar(const QString& statement);
/// Drops the tables and loads db/schema.sql and db/demo.sql again: an empty history, and no triggers
/// writing it (a test that fills a table with many rows does not pay for them).
void reseed();
/// Loads db/history.sql: from now on the tables' changes are recorded.
void loadHistory();
/// Runs the statements of an SQL file (split at semicolons at line ends, or at the delimiter that a
/// "DELIMITER" line sets).
void runFile(const QString& path);
/// The private FTP server's video folder ("/var/www/html/movies/" below its root) on the local disk,
/// ending with "/".
QString videoFolder();
/// A loopback port on which nothing listens: an FTP server that is down.
int closedPort();
/// Starts an FTP server of the test's own on a free port, as the sandbox runs it, serving root (its
/// video folder made), without the commands listed in without (as a server that lacks them answers
/// 500); returns the port once the server accepts connections.
int startFtpServer(QProcess& server, const QString& root, const QStringList& without = {});

/// Private servers of a test's own, started by scripts/sandbox in a folder of the build folder. While
/// they run, their env file is applied to the process: the program's settings and root() reach them.
class OwnServers
{
public:
    explicit OwnServers(const QString& name);
    ~OwnServers() { discard(); }
    /// Starts them (again, with their data); returns what failed, empty on success.
    QString start();
    /// Stops them (the folder and the environment stay); returns what failed.
    QString stop();
    /// Stops them, removes the folder and their data and gives the environment back.
    void discard();
    /// Where their data lies (inside the folder, or where its link "data" leads); empty before a start.
    QString dataFolder() const;

private:
    QString sandbox(const QString& command);
    QString m_dir;
    bool m_started = false;
    QHash<QByteArray, QByteArray> m_before;
};
} // namespace SandboxDb
