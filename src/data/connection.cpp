#include "connection.h"

#include "dberror.h"
#include "serversettings.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInt s_counter;
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

Connection::~Connection()
{
    close();
}

void Connection::setConnectionString(const QString& text)
{
    m_connectionString = text;
}

bool Connection::connected() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

void Connection::requireOpen() const
{
    if (!connected())
        throw DbError(QStringLiteral("Connection not open"));
}

void Connection::open()
{
    if (connected())
        return;
    const QHash<QString, QString> settings = parseConnectionString(m_connectionString);
    {
        QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                         : QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), m_name);
        if (!db.isValid())
            throw DbError(QStringLiteral("The MariaDB driver (QMYSQL) is not installed"));
        db.setHostName(settings.value(QStringLiteral("SERVER")));
        db.setPort(ServerSettings::load().dbPort);
        db.setDatabaseName(settings.value(QStringLiteral("DATABASE")));
        db.setUserName(settings.value(QStringLiteral("UID")));
        db.setPassword(settings.value(QStringLiteral("PASSWORD")));
        // Matched rather than changed rows on UPDATE (the driver's option flag 2); no silent
        // reconnects; bounded waits so that a dead server cannot hang the program.
        db.setConnectOptions(QStringLiteral("CLIENT_FOUND_ROWS;MYSQL_OPT_RECONNECT=0;MYSQL_OPT_CONNECT_TIMEOUT=10;"
                                            "MYSQL_OPT_READ_TIMEOUT=120;MYSQL_OPT_WRITE_TIMEOUT=120"));
        if (!db.open())
            throw DbError(sqlErrorText(db.lastError()));
    }
    // A backslash is an ordinary character in string literals, so that quoting (doubling single
    // quotes) is all a typed value needs.
    execute(QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                           "'NO_BACKSLASH_ESCAPES')"));
    execute(QStringLiteral("SET NAMES utf8mb4"));
}

void Connection::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const
{
    requireOpen();
    return QSqlDatabase::database(m_name, false);
}

st_mysql* Connection::nativeHandle() const
{
    const QVariant handle = database().driver()->handle();
    return *static_cast<st_mysql* const*>(handle.constData());
}

void Connection::execute(const QString& statement)
{
    QSqlQuery query(database());
    if (!query.exec(statement))
        throw DbError(sqlErrorText(query.lastError()));
}
