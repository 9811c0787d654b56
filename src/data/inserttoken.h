#pragma once
// The token that makes an insert idempotent. The workstation draws 128 random bits for each new row
// and writes them, in the transaction of the row itself, into a side table whose primary key is the
// token. A second attempt of the same row (after the connection broke and the outcome was unknown)
// sends the same token: when the first attempt was committed, the second fails on that key and is
// rolled back, and the side table names the row that the first attempt stored.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QVariant>

class Connection;
class Transaction;

class InsertToken
{
public:
    /// The side table (token BINARY(16) PRIMARY KEY, <keyColumn> BIGINT, created DATETIME).
    InsertToken(const QString& table, const QString& keyColumn);

    QString table() const { return m_table; }
    /// 16 random bytes from the system's generator.
    static QByteArray make();
    /// Records token for the row whose key is rowKey, inside the row's transaction; false when the
    /// token is there already (the row was stored by an earlier attempt), throws DbError otherwise.
    bool record(Transaction& transaction, const QByteArray& token, const QVariant& rowKey) const;
    /// The key of the row stored with token; an invalid value when there is none.
    QVariant storedKey(Connection* connection, const QByteArray& token) const;
    /// Removes tokens older than 30 days, at most every ten minutes: no retry outlives that. A
    /// failure leaves them for the next time (the connection is opened again when it was lost).
    void prune(Connection* connection);

private:
    QString m_table;
    QString m_keyColumn;
    QElapsedTimer m_pruned;
};
