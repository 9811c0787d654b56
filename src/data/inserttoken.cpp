#include "inserttoken.h"

#include "connection.h"
#include "dberror.h"
#include "snapshotvalue.h"
#include "transaction.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <array>

using SnapshotValue::quotedIdentifier;

namespace {
constexpr int kDuplicateKey = 1062; // ER_DUP_ENTRY
constexpr qint64 kPruneEveryMs = 10 * 60 * 1000;
} // namespace

InsertToken::InsertToken(const QString& table, const QString& keyColumn)
    : m_table(table)
    , m_keyColumn(keyColumn)
{}

QByteArray InsertToken::make()
{
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.data()), int(sizeof words));
}

bool InsertToken::record(Transaction& transaction, const QByteArray& token, const QVariant& rowKey) const
{
    try {
        transaction.exec(QStringLiteral("INSERT INTO %1 (token, %2, created) VALUES (?, ?, NOW())")
                             .arg(quotedIdentifier(m_table), quotedIdentifier(m_keyColumn)),
                         {token, rowKey});
    } catch (const DbError& e) {
        if (e.code() == kDuplicateKey)
            return false;
        throw;
    }
    return true;
}

QVariant InsertToken::storedKey(Connection* connection, const QByteArray& token) const
{
    return connection->scalar(QStringLiteral("SELECT %1 FROM %2 WHERE token = ?")
                                  .arg(quotedIdentifier(m_keyColumn), quotedIdentifier(m_table)),
                              {token});
}

void InsertToken::prune(Connection* connection)
{
    if (m_pruned.isValid() && m_pruned.elapsed() < kPruneEveryMs)
        return;
    try {
        QSqlQuery query(connection->database());
        // Bounded, so that a table left unpruned for long is worked off in small steps.
        if (query.exec(QStringLiteral("DELETE FROM %1 WHERE created < NOW() - INTERVAL 30 DAY LIMIT 1000")
                           .arg(quotedIdentifier(m_table))))
            m_pruned.start();
        else
            connection->failure(query.lastError()); // noted: a lost connection is opened again
    } catch (const DbError&) {
        // The connection could not be opened: the row is stored all the same, the next insert prunes.
    }
}
