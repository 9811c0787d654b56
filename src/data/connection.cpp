#include "connection.h"
#include "platform/messages.h"

#include "boundstatement.h"
#include "dberror.h"
#include "platform/serversettings.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <mysql.h>

namespace {
QAtomicInt s_counter;
const qint64 kLongestIdleMs = 60000;

MYSQL* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    return handle.isValid() ? *static_cast<MYSQL* const*>(handle.constData()) : nullptr;
}
} // namespace

QHash<QString, QString> parseConnectionString(const QString& text)
{
    QHash<QString, QString> pairs;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0)
            pairs.insert(part.left(eq).trimmed().toUpper(), part.mid(eq + 1).trimmed());
    }
    return pairs;
}

Connection::Connection(QObject* parent)
    : QObject(parent)
    , m_name(QStringLiteral("ryn-connection-%1").arg(s_counter.fetchAndAddRelaxed(1)))
{}

Connection::Connection(const ConnectionSettings& settings, QObject* parent)
    : Connection(parent)
{
    m_connectionString = settings.connectionString;
    m_account = settings.account;
}

Connection::~Connection()
{
    close();
}

void Connection::setConnectionString(const QString& text)
{
    m_connectionString = text;
}

void Connection::setAccount(const QString& account)
{
    m_account = account;
    if (connected())
        sendAccount();
}

void Connection::sendAccount()
{
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    if (!query.prepare(QStringLiteral("SET @ryn_account = ?")))
        throw failure(query.lastError());
    query.addBindValue(m_account.isEmpty() ? QVariant() : QVariant(m_account));
    if (!query.exec())
        throw failure(query.lastError());
}

bool Connection::connected() const
{
    return !m_lost && QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

void Connection::open()
{
    m_wanted = true;
    if (!connected())
        connectNow();
}

void Connection::connectNow()
{
    const QHash<QString, QString> settings = parseConnectionString(m_connectionString);
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), m_name);
    if (!db.isValid())
        throw DbError(Msg::driverMissing());
    // The handle of a lost connection is of no further use; opening anew reads every setting again.
    db.close();
    dropPreparedReads();
    m_lost = false;
    ServerSettings server = ServerSettings::load();
    const QString host = settings.value(QStringLiteral("SERVER"));
    if (host != server.host) {
        server.host = host;
        server.hostSource = Msg::settingConnectionString();
    }
    db.setHostName(host);
    db.setPort(server.dbPort);
    db.setDatabaseName(settings.value(QStringLiteral("DATABASE")));
    db.setUserName(settings.value(QStringLiteral("UID")));
    db.setPassword(settings.value(QStringLiteral("PASSWORD")));
    // Matched rather than changed rows on UPDATE (the driver's option flag 2); no silent
    // reconnects inside the client library, which would re-send a statement that may have been
    // carried out and drop the session's settings; bounded waits so that a dead server cannot
    // hang the program.
    db.setConnectOptions(QStringLiteral("CLIENT_FOUND_ROWS;MYSQL_OPT_RECONNECT=0;MYSQL_OPT_CONNECT_TIMEOUT=10;"
                                        "MYSQL_OPT_READ_TIMEOUT=120;MYSQL_OPT_WRITE_TIMEOUT=120"));
    if (!db.open()) {
        // Which server was tried, and which setting named it, comes before the driver's words: a
        // workstation with no settings at all otherwise only hears of 127.0.0.1.
        const DbError driver = sqlError(db.lastError());
        throw DbError(Msg::cannotConnect(server.describeDatabase(), driver.message()), driver.code());
    }
    try {
        // A backslash is an ordinary character in string literals, so that quoting (doubling single
        // quotes) is all a typed value needs.
        run(QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                           "'NO_BACKSLASH_ESCAPES')"));
        run(QStringLiteral("SET NAMES utf8mb4"));
        // Who makes the changes of this session, for the history the database keeps.
        sendAccount();
        QSqlQuery timeout(db);
        if (!timeout.exec(QStringLiteral("SELECT @@SESSION.wait_timeout")) || !timeout.next())
            throw sqlError(timeout.lastError());
        // The server drops a session idle for wait_timeout seconds; checking at half of it finds
        // every such drop before a statement goes out.
        const qint64 waitMs = timeout.value(0).toLongLong() * 1000;
        m_idleCheckMs = waitMs > 0 ? std::min(kLongestIdleMs, waitMs / 2) : kLongestIdleMs;
    } catch (...) {
        // Half set up is not open: the next statement starts again from the beginning.
        db.close();
        throw;
    }
    m_lastUse.start();
}

void Connection::close()
{
    m_wanted = false;
    m_lost = false;
    if (!QSqlDatabase::contains(m_name))
        return;
    QSqlDatabase::database(m_name, false).close();
    dropPreparedReads();
    QSqlDatabase::removeDatabase(m_name);
}

// Called once the session's handle is closed (every new session begins in connectNow): the
// statements were the old session's, and the library has already let go of them, so freeing them
// sends nothing.
void Connection::dropPreparedReads()
{
    m_reads.clear();
}

BoundStatement& Connection::preparedRead(const QByteArray& statement, const QString& what)
{
    st_mysql* handle = nativeHandle();
    auto found = m_reads.find(statement);
    if (found != m_reads.end() && found->second->reusable())
        return *found->second;
    // A window's reads and each table's read-back are a few statements; texts that vary (a
    // recheck's columns) would otherwise pile up on the server.
    constexpr size_t kMostKept = 32;
    if (found == m_reads.end() && m_reads.size() >= kMostKept)
        m_reads.clear();
    std::unique_ptr<BoundStatement>& kept = m_reads[statement];
    kept = std::make_unique<BoundStatement>(handle, what);
    return *kept;
}

void Connection::dropPreparedRead(const QByteArray& statement)
{
    m_reads.erase(statement);
}

void Connection::ready()
{
    if (!m_wanted)
        throw DbError(Msg::connectionNotOpen());
    const bool open = QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
    if (open && !m_lost) {
        MYSQL* mysql = handleOf(QSqlDatabase::database(m_name, false));
        // A failure that nobody reported still shows on the handle until the next command.
        if (!mysql || DbError::isConnectionLoss(int(mysql_errno(mysql))))
            m_lost = true;
        else if (m_lastUse.isValid() && m_lastUse.elapsed() >= m_idleCheckMs && mysql_ping(mysql) != 0)
            m_lost = true;
    }
    if (!open || m_lost)
        connectNow();
    m_lastUse.start();
}

QSqlDatabase Connection::database()
{
    ready();
    return QSqlDatabase::database(m_name, false);
}

st_mysql* Connection::nativeHandle()
{
    return handleOf(database());
}

void Connection::run(const QString& statement)
{
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    if (!query.exec(statement))
        throw failure(query.lastError());
}

void Connection::execute(const QString& statement)
{
    ready();
    run(statement);
}

QVariant Connection::scalar(const QString& statement, const QVariantList& values)
{
    ready();
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    if (!query.prepare(statement))
        throw failure(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw failure(query.lastError());
    return query.next() ? query.value(0) : QVariant();
}

void Connection::noteError(const DbError& error)
{
    if (error.connectionLost())
        m_lost = true;
}

DbError Connection::failure(const QSqlError& error)
{
    DbError e = sqlError(error);
    noteError(e);
    return e;
}
