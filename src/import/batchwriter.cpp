#include "batchwriter.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/messages.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

using namespace Import;

namespace {
QString insertStatement(const QString& table, const QStringList& columns, qsizetype rows)
{
    QString marks = QStringLiteral("(?");
    for (qsizetype i = 1; i < columns.size(); ++i)
        marks += QStringLiteral(",?");
    marks += QLatin1Char(')');
    QString statement = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QLatin1Char(',')));
    statement.reserve(statement.size() + rows * (marks.size() + 1));
    for (qsizetype r = 0; r < rows; ++r) {
        if (r)
            statement += QLatin1Char(',');
        statement += marks;
    }
    return statement;
}

QByteArray newToken()
{
    QByteArray token(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(token.data()), 4);
    return token;
}

// One statement of the import's transaction: a refusal, or a lost connection (the server then
// undoes the transaction itself), ends the import with nothing kept.
class Session
{
public:
    explicit Session(Connection* connection)
        : m_connection(connection)
        , m_db(connection->database())
    {}
    ~Session()
    {
        if (m_open && m_connection->connected())
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    }

    QSqlDatabase db() const { return m_db; }
    void begin()
    {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("START TRANSACTION"));
        run(q);
        m_open = true;
    }
    void run(QSqlQuery& query)
    {
        if (query.exec())
            return;
        const DbError error = m_connection->failure(query.lastError());
        if (error.connectionLost())
            m_open = false;
        throw DbError(Msg::importNothingKept(error.message()), error.code());
    }
    void prepare(QSqlQuery& query, const QString& statement)
    {
        if (!query.prepare(statement)) {
            const DbError error = m_connection->failure(query.lastError());
            if (error.connectionLost())
                m_open = false;
            throw DbError(Msg::importNothingKept(error.message()), error.code());
        }
    }
    void rollback()
    {
        m_open = false;
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    }
    /// True when committed; false when the reply was lost (the outcome is then unknown).
    bool commit(DbError& lost)
    {
        QSqlQuery q(m_db);
        const bool ok = q.exec(QStringLiteral("COMMIT"));
        m_open = false;
        if (ok)
            return true;
        const DbError error = m_connection->failure(q.lastError());
        if (!error.connectionLost())
            throw DbError(Msg::importNothingKept(error.message()), error.code());
        lost = error;
        return false;
    }

private:
    Connection* m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
};
} // namespace

Written Import::writeRows(Connection* connection, const Preview& preview, const Rules& rules, const Stored& stored,
                          const std::function<bool(qint64)>& progress)
{
    const QStringList columns = rules.insertColumns();
    const bool topUps = rules.kind() == Kind::TopUps;
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime when = now.addMSecs(-now.time().msec()); // one moment for the whole import
    Session session(connection);
    qint64 step = 1;
    if (topUps) {
        QSqlQuery q(session.db());
        session.prepare(q, QStringLiteral("SELECT @@auto_increment_increment"));
        session.run(q);
        step = q.next() ? qMax<qint64>(1, q.value(0).toLongLong()) : 1;
    }
    session.begin();

    Written written;
    QList<QVariantList> batch;
    batch.reserve(BatchRows);
    QSqlQuery full(session.db());
    bool fullPrepared = false;
    QVariantList lastRow;
    QByteArray lastToken;

    auto flush = [&] {
        if (batch.isEmpty())
            return;
        QSqlQuery partial(session.db());
        const bool isFull = batch.size() == BatchRows;
        QSqlQuery& q = isFull ? full : partial;
        if (!isFull || !fullPrepared) {
            session.prepare(q, insertStatement(rules.table(), columns, batch.size()));
            fullPrepared = fullPrepared || isFull;
        }
        for (const QVariantList& row : std::as_const(batch))
            for (const QVariant& v : row)
                q.addBindValue(v);
        session.run(q);
        const qint64 first = q.lastInsertId().toLongLong();
        if (!written.firstKey.isValid())
            written.firstKey = rules.kind() == Kind::Students ? batch.first().first() : QVariant(first);
        if (topUps) {
            // The keys of one multi-row INSERT follow one another unless another workstation's
            // insert came between them; the count tells.
            const qint64 last = first + (batch.size() - 1) * step;
            QSqlQuery check(session.db());
            session.prepare(check, QStringLiteral("SELECT COUNT(*) FROM studclass WHERE scpkey BETWEEN ? AND ? "
                                                  "AND uid = ? AND buydate = ?"));
            check.addBindValue(first);
            check.addBindValue(last);
            check.addBindValue(batch.first().at(4));
            check.addBindValue(when);
            session.run(check);
            if (!check.next() || check.value(0).toLongLong() != batch.size())
                throw DbError(Msg::importNothingKept(Msg::importKeysInterleaved()));
            QSqlQuery tokens(session.db());
            session.prepare(
                tokens, insertStatement(QStringLiteral("booking_token"),
                                        {QStringLiteral("token"), QStringLiteral("scpkey"), QStringLiteral("created")},
                                        batch.size()));
            for (qsizetype i = 0; i < batch.size(); ++i) {
                lastToken = newToken();
                tokens.addBindValue(lastToken);
                tokens.addBindValue(first + i * step);
                tokens.addBindValue(when);
            }
            session.run(tokens);
        }
        written.rows += batch.size();
        lastRow = batch.last();
        batch.clear();
        if (!progress(written.rows))
            written.cancelled = true;
    };

    forEachRow(preview.path, rules, preview.match, stored, [&](const QVariantList& values) {
        batch.append(values);
        if (topUps)
            batch.last()[0] = when;
        if (batch.size() == BatchRows)
            flush();
        return !written.cancelled;
    });
    if (!written.cancelled)
        flush();
    if (written.cancelled) {
        session.rollback();
        written.rows = 0;
        written.firstKey = QVariant();
        return written;
    }
    DbError lost(QString(), 0);
    if (written.rows == 0 || session.commit(lost))
        return written;

    // The COMMIT went out and its reply did not come back: the last row tells whether it was kept.
    // The reads lock: while the server has not yet finished the COMMIT (or the rollback of a
    // transaction whose connection it has not yet seen go), the rows' locks make them wait for the
    // outcome instead of reading "not there" before it.
    QVariant found;
    try {
        if (rules.kind() == Kind::Students)
            found = connection->scalar(QStringLiteral("SELECT COUNT(*) FROM stud WHERE spkey = ? LOCK IN SHARE MODE"),
                                       {lastRow.at(0)});
        else if (rules.kind() == Kind::Classes)
            found = connection->scalar(
                QStringLiteral("SELECT COUNT(*) FROM classroom WHERE classname = ? LOCK IN SHARE MODE"),
                {lastRow.at(0)});
        else
            found = connection->scalar(
                QStringLiteral("SELECT COUNT(*) FROM booking_token WHERE token = ? LOCK IN SHARE MODE"), {lastToken});
    } catch (const DbError& again) {
        throw DbError(Msg::importOutcomeUnknown(lost.message()), lost.code());
    }
    if (found.toLongLong() == 0)
        throw DbError(Msg::importNothingKept(lost.message()), lost.code());
    written.afterLoss = true;
    return written;
}
