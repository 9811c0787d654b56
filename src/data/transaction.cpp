#include "transaction.h"

#include "connection.h"
#include "dberror.h"

#include <QSqlError>

DbError lostDuringWrite(const DbError& error, WriteKind kind, bool maybeCarriedOut)
{
    QString text;
    if (kind == WriteKind::CheckedInsert && maybeCarriedOut)
        text = QStringLiteral("與資料庫伺服器的連線中斷，無法確定這筆資料是否已經儲存，畫面上的內容都還在。"
                              "再按一次儲存時，程式會先到資料庫查看這筆資料是否已經存入：已經存入的不會再儲存一次。");
    else if (kind != WriteKind::Delete)
        text = maybeCarriedOut
                   ? QStringLiteral("與資料庫伺服器的連線中斷，無法確定這筆資料是否已經儲存，畫面上的內容都還在。"
                                    "請先確認這筆資料是否已存入資料庫，再決定是否重新儲存，以免重複儲存。")
                   : QStringLiteral("與資料庫伺服器的連線中斷，這筆資料沒有儲存，畫面上的內容都還在。"
                                    "請再按一次儲存，程式會重新連線。");
    else
        text = maybeCarriedOut
                   ? QStringLiteral("與資料庫伺服器的連線中斷，無法確定這筆資料是否已經刪除。"
                                    "請先確認，再決定是否重新刪除。")
                   : QStringLiteral("與資料庫伺服器的連線中斷，這筆資料沒有刪除。請再刪除一次，程式會重新連線。");
    return DbError(text + QLatin1Char('\n') + error.message(), error.code());
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
