#include "sandboxdb.h"

#include "data/connection.h"
#include "platform/serversettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTcpSocket>
#include <QTest>

namespace {
const char* kName = "sandbox-root";
}

Connection* SandboxDb::programConnection(QObject* parent)
{
    auto* connection = new Connection(parent);
    connection->setConnectionString(programConnectionString());
    connection->open();
    return connection;
}

void SandboxDb::loadEnvironment()
{
    // No settings file of the user's or of the machine's reaches a test: the per-user and the
    // system-wide folders are empty ones of the test program's own.
    static QTemporaryDir settingsFolders;
    qputenv("XDG_CONFIG_HOME", settingsFolders.filePath(QStringLiteral("user")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", settingsFolders.filePath(QStringLiteral("xdg")).toUtf8());
    qputenv("RYN_SYSCONFDIR", settingsFolders.filePath(QStringLiteral("etc")).toUtf8());
    if (!qEnvironmentVariableIsEmpty("RYN_DB_PORT"))
        return;
    const QString path = qEnvironmentVariable("RYN_SANDBOX_ENV");
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    // Lines of the form: export NAME=value
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        static const QRegularExpression assignment(QStringLiteral("^(?:export\\s+)?([A-Z_][A-Z0-9_]*)=(.*)$"));
        const QRegularExpressionMatch m = assignment.match(line);
        if (!m.hasMatch())
            continue;
        QString value = m.captured(2);
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        qputenv(m.captured(1).toLatin1().constData(), value.toUtf8());
    }
}

void SandboxDb::require()
{
    if (qEnvironmentVariableIsEmpty("RYN_DB_PORT") || qEnvironmentVariableIsEmpty("RYN_DB_ROOT_PASSWORD"))
        qFatal("No private server: RYN_DB_PORT is not set and RYN_SANDBOX_ENV (%s) names no readable environment "
               "file. Run the tests with ctest, which starts the servers, or with scripts/test.",
               qPrintable(qEnvironmentVariable("RYN_SANDBOX_ENV")));
}

QSqlDatabase SandboxDb::root()
{
    if (QSqlDatabase::contains(kName))
        return QSqlDatabase::database(kName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), kName);
    db.setHostName(qEnvironmentVariable("RYN_SERVER", QStringLiteral("127.0.0.1")));
    db.setPort(qEnvironmentVariableIntValue("RYN_DB_PORT"));
    db.setUserName(QStringLiteral("root"));
    db.setPassword(qEnvironmentVariable("RYN_DB_ROOT_PASSWORD"));
    db.setDatabaseName(QStringLiteral("ryn"));
    if (!db.open())
        qFatal("Cannot reach the sandbox server: %s", qPrintable(db.lastError().text()));
    QSqlQuery(db).exec(QStringLiteral("SET NAMES utf8mb4"));
    return db;
}

void SandboxDb::exec(const QString& statement)
{
    QSqlQuery query(root());
    if (!query.exec(statement))
        qFatal("Sandbox statement failed: %s\n%s", qPrintable(query.lastError().text()), qPrintable(statement));
}

QVariant SandboxDb::scalar(const QString& statement)
{
    QSqlQuery query(root());
    if (!query.exec(statement))
        qFatal("Sandbox query failed: %s\n%s", qPrintable(query.lastError().text()), qPrintable(statement));
    return query.next() ? query.value(0) : QVariant();
}

void SandboxDb::runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Cannot read %s", qPrintable(path));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        lines << line;
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            const QString statement = lines.join(QLatin1Char('\n')).trimmed();
            lines.clear();
            if (statement != QLatin1String(";"))
                exec(statement.chopped(1));
        }
    }
}

void SandboxDb::reseed()
{
    exec(QStringLiteral("DROP TABLE IF EXISTS users, corp, stud, classroom, course, studclass, watchlog"));
    const QString source = qEnvironmentVariable("RYN_SOURCE_DIR");
    runFile(source + QStringLiteral("/db/schema.sql"));
    runFile(source + QStringLiteral("/db/demo.sql"));
}

QString SandboxDb::videoFolder()
{
    return qEnvironmentVariable("RYN_FTP_ROOT") + QStringLiteral("/var/www/html/movies/");
}

int SandboxDb::closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        qFatal("No free loopback port");
    return probe.serverPort();
}

int SandboxDb::startFtpServer(QProcess& server, const QString& root, const QStringList& without)
{
    const int port = closedPort();
    QDir(root).mkpath(QStringLiteral("var/www/html/movies"));
    // The sandbox's own server script, run after the listed commands are taken out of the handler.
    const QString script = QStringLiteral("import sys, runpy\n"
                                          "from pyftpdlib.handlers import FTPHandler\n"
                                          "for c in sys.argv[1].split(','): FTPHandler.proto_cmds.pop(c, None)\n"
                                          "sys.argv = sys.argv[2:]\n"
                                          "runpy.run_path(sys.argv[0], run_name='__main__')\n");
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), script, without.join(QLatin1Char(',')),
                  qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/scripts/ftpserver.py"), root,
                  QString::number(port), QStringLiteral("web"), QStringLiteral("58203146")});
    for (int i = 0; i < 100; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(100))
            return port;
        QTest::qWait(100);
    }
    qFatal("The test's own FTP server did not start");
}
