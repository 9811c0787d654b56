#pragma once
// Running scripts/provision from a test against a private server, and a database as an older
// version of the program left it: its tables without the history, and the program's account with
// its old rights on the whole database.

#include "data/connection.h"
#include "platform/serversettings.h"
#include "sandboxdb.h"

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace ProvisionRun {
struct Outcome {
    int exitCode = -1;
    QString output;
};

/// scripts/provision against the server on port for database, the program's account on 127.0.0.1.
inline Outcome provision(int port, const QString& database)
{
    QTemporaryDir dir;
    QFile password(dir.filePath(QStringLiteral("root")));
    if (!password.open(QIODevice::WriteOnly))
        qFatal("Cannot write %s", qPrintable(password.fileName()));
    password.write(qgetenv("RYN_DB_ROOT_PASSWORD") + '\n');
    password.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/scripts/provision"),
            {QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(port),
             QStringLiteral("--root-password-file"), password.fileName(), QStringLiteral("--database"), database,
             QStringLiteral("--account-host"), QStringLiteral("127.0.0.1")});
    Outcome outcome;
    if (p.waitForFinished(240000) && p.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = p.exitCode();
    outcome.output = QString::fromUtf8(p.readAll());
    return outcome;
}

/// database made anew on the root session's server as an older version left it, with an administrator.
inline void makeOlderDatabase(const QString& database)
{
    SandboxDb::exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
    SandboxDb::exec(
        QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci").arg(database));
    SandboxDb::exec(QStringLiteral("USE %1").arg(database));
    SandboxDb::runFile(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/db/schema.sql"));
    SandboxDb::runFile(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/db/demo.sql"));
    SandboxDb::exec(QStringLiteral("DROP TABLE history"));
    SandboxDb::exec(QStringLiteral("USE ryn"));
    SandboxDb::exec(QStringLiteral("GRANT DELETE, INSERT, SELECT, UPDATE ON %1.* TO 'ryn'@'127.0.0.1'").arg(database));
}

/// The program's connection to database on the server on port, with the program's account set.
inline std::unique_ptr<Connection> workstation(int port, const QString& database, const QString& account)
{
    qputenv("RYN_DB_PORT", QByteArray::number(port));
    auto c = std::make_unique<Connection>();
    c->setConnectionString(programConnectionString().replace(QStringLiteral("DATABASE=ryn;"),
                                                             QStringLiteral("DATABASE=%1;").arg(database)));
    c->setAccount(account);
    c->open();
    return c;
}
} // namespace ProvisionRun
