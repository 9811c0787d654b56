#pragma once
// A transaction on a connection, for the writes that must go together with something outside the
// database (a file on the video server): statements sent one by one, the whole undone unless
// committed. A lost connection is told as a row write's is: nothing is ever sent twice, and the user
// learns whether the change can have reached the server.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

class Connection;
class DbError;

/// What a row write was about, for the message when its connection broke. A CheckedInsert is an
/// insert into a table with a key, which is looked for on the server before it is sent again.
enum class WriteKind { Save, CheckedInsert, Delete };

/// The error of a write whose connection broke: in Traditional Chinese, whether it can have been
/// carried out (maybeCarriedOut) and what the user is to do, then the server's text.
DbError lostDuringWrite(const DbError& error, WriteKind kind, bool maybeCarriedOut);

class Transaction
{
public:
    /// Opens the connection when it is lost (nothing has been sent when that fails) and starts a
    /// transaction; throws DbError.
    Transaction(Connection* connection, WriteKind kind);
    /// Rolls back unless committed; a failure there is left to the server, which rolls back an
    /// unfinished transaction when the session ends.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Runs one statement with its values bound in order; throws DbError. When the connection is
    /// lost here the server has undone the whole transaction, and the error says nothing was changed.
    QSqlQuery exec(const QString& statement, const QVariantList& values = {});
    /// COMMIT; throws DbError. When the connection is lost here the outcome is unknown, and the
    /// error asks the user to check.
    void commit();

private:
    Connection* m_connection;
    WriteKind m_kind;
    QSqlDatabase m_db;
    bool m_open = false;
};
