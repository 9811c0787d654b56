#include "transaction.h"

#include "connection.h"
#include "dberror.h"
#include "platform/messages.h"

#include <QSqlError>

DbError lostDuringWrite(const DbError& error, WriteKind kind, bool maybeCarriedOut)
{
    const QString text = kind == WriteKind::Delete
                             ? Msg::lostDuringDelete(maybeCarriedOut, error.message())
                             : Msg::lostDuringSave(maybeCarriedOut, kind == WriteKind::CheckedInsert, error.message());
    return DbError(text, error.code());
}

Transaction::Transaction(Connection* connection, WriteKind kind)
    : m_connection(connection)
    , m_kind(kind)
{
    try {
        m_db = connection->database();
    } catch (const DbError& error) {
        throw lostDuringWrite(error, kind, false);
    }
    exec(QStringLiteral("START TRANSACTION"));
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open && m_connection->connected())
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
}

QSqlQuery Transaction::exec(const QString& statement, const QVariantList& values)
{
    QSqlQuery query(m_db);
    bool ok = query.prepare(statement);
    if (ok) {
        for (const QVariant& v : values)
            query.addBindValue(v);
        ok = query.exec();
    }
    if (!ok) {
        const DbError error = m_connection->failure(query.lastError());
        // A session that ends takes its unfinished transaction with it: nothing of it was kept.
        if (error.connectionLost()) {
            m_open = false;
            throw lostDuringWrite(error, m_kind, false);
        }
        throw error;
    }
    return query;
}

void Transaction::commit()
{
    QSqlQuery query(m_db);
    const bool ok = query.exec(QStringLiteral("COMMIT"));
    m_open = false;
    if (!ok) {
        const DbError error = m_connection->failure(query.lastError());
        throw error.connectionLost() ? lostDuringWrite(error, m_kind, true) : error;
    }
}
