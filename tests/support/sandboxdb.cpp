#include "sandboxdb.h"

#include "data/connection.h"
#include "net/ftpsettings.h"
#include "platform/serversettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    if (qEnvironmentVariableIsEmpty("RYN_DB_PORT") && !qEnvironmentVariableIsEmpty("RYN_SANDBOX_ENV"))
        applyEnvironment(qEnvironmentVariable("RYN_SANDBOX_ENV"));
}

QHash<QByteArray, QByteArray> SandboxDb::applyEnvironment(const QString& path)
{
    QHash<QByteArray, QByteArray> before;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return before;
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
        const QByteArray name = m.captured(1).toLatin1();
        if (!before.contains(name))
            before.insert(name, qgetenv(name.constData()));
        qputenv(name.constData(), value.toUtf8());
    }
    return before;
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
    return rootSession(QString::fromLatin1(kName));
}

QSqlDatabase SandboxDb::rootSession(const QString& name, int port)
{
    if (port == 0)
        port = qEnvironmentVariableIntValue("RYN_DB_PORT");
    const bool known = QSqlDatabase::contains(name);
    QSqlDatabase db =
        known ? QSqlDatabase::database(name, false) : QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
    if (known && db.isOpen() && db.port() == port)
        return db;
    db.close();
    db.setHostName(qEnvironmentVariable("RYN_SERVER", QStringLiteral("127.0.0.1")));
    db.setPort(port);
    db.setUserName(QStringLiteral("root"));
    db.setPassword(qEnvironmentVariable("RYN_DB_ROOT_PASSWORD"));
    db.setDatabaseName(QStringLiteral("ryn"));
    if (!db.open())
        qFatal("Cannot reach the private server on port %d: %s", port, qPrintable(db.lastError().text()));
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
    QString delimiter = QStringLiteral(";");
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        // As the mariadb client reads it: "DELIMITER ;;" lets a statement hold semicolons.
        if (line.startsWith(QLatin1String("DELIMITER "))) {
            delimiter = line.mid(10).trimmed();
            continue;
        }
        lines << line;
        if (line.trimmed().endsWith(delimiter)) {
            const QString statement = lines.join(QLatin1Char('\n')).trimmed();
            lines.clear();
            if (statement != delimiter)
                exec(statement.chopped(delimiter.size()));
        }
    }
}

void SandboxDb::reseed()
{
    exec(QStringLiteral("DROP TABLE IF EXISTS users, corp, stud, classroom, course, studclass, watchlog, history, "
                        "receiptprint, booking_token, insert_token"));
    const QString source = qEnvironmentVariable("RYN_SOURCE_DIR");
    runFile(source + QStringLiteral("/db/schema.sql"));
    runFile(source + QStringLiteral("/db/demo.sql"));
}

void SandboxDb::loadHistory()
{
    runFile(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/db/history.sql"));
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
    // The program's own account, so that the server takes exactly what the program sends.
    const FtpSettings account = FtpSettings::videoServer();
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
                  QString::number(port), account.user, account.password});
    const bool listening = QTest::qWaitFor(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(port));
            return socket.waitForConnected(100);
        },
        20000);
    if (!listening)
        qFatal("The test's own FTP server did not start");
    return port;
}

// A folder of the build folder, which a server running as another account can reach (a mktemp
// folder it could not).
SandboxDb::OwnServers::OwnServers(const QString& name)
    : m_dir(qEnvironmentVariable("RYN_BUILD_DIR", QDir::currentPath()) + QLatin1Char('/') + name)
{}

QString SandboxDb::OwnServers::sandbox(const QString& command)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/scripts/sandbox"), {command, m_dir});
    if (p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return QString();
    return QStringLiteral("scripts/sandbox %1 %2 failed: %3").arg(command, m_dir, QString::fromLocal8Bit(p.readAll()));
}

QString SandboxDb::OwnServers::start()
{
    if (!m_started && QDir(m_dir).exists()) {
        // Left by an earlier run that did not finish: started afresh, its data (wherever it lies) gone.
        sandbox(QStringLiteral("destroy"));
        QDir(m_dir).removeRecursively();
    }
    const QString failed = sandbox(QStringLiteral("start"));
    if (!failed.isEmpty())
        return failed;
    const QHash<QByteArray, QByteArray> before = applyEnvironment(m_dir + QStringLiteral("/env"));
    if (!m_started)
        m_before = before;
    m_started = true;
    return QString();
}

QString SandboxDb::OwnServers::stop()
{
    return m_started ? sandbox(QStringLiteral("stop")) : QString();
}

QString SandboxDb::OwnServers::dataFolder() const
{
    return QFileInfo(m_dir + QStringLiteral("/data")).canonicalFilePath();
}

void SandboxDb::OwnServers::discard()
{
    if (!m_started)
        return;
    // The data may lie outside the folder (a link to /var/tmp when the servers' account cannot reach
    // it): the sandbox script removes both.
    sandbox(QStringLiteral("destroy"));
    QDir(m_dir).removeRecursively();
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it) {
        if (it.value().isNull())
            qunsetenv(it.key().constData());
        else
            qputenv(it.key().constData(), it.value());
    }
    m_before.clear();
    m_started = false;
}
