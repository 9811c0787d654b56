#pragma once
// A database connection made from the program's connection string. The string keeps its ODBC form
// (it is a translatable property of the windows); the MariaDB settings are derived from it, with
// the port from ServerSettings.
//
// A connection that the server has closed (restarted, killed it, or dropped it after wait_timeout)
// is opened again, with all its settings, by the next statement that needs it. A statement is never
// sent twice: the one that finds the connection gone fails, and only the user's next action sends again.

#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QVariant>

#include <map>
#include <memory>

class BoundStatement;
class DbError;
struct st_mysql;

/// What a worker's own connection takes from the window's so that it stands in for it: the same
/// server and database, and the same program account for the history.
struct ConnectionSettings {
    QString connectionString;
    QString account;
};

class Connection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ConnectionString READ connectionString WRITE setConnectionString)

public:
    explicit Connection(QObject* parent = nullptr);
    /// A connection like the one whose settings() these are (not yet open).
    explicit Connection(const ConnectionSettings& settings, QObject* parent = nullptr);
    ~Connection() override;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text);

    /// The program's account (the logged-in users.uid), set as the session variable @ryn_account
    /// after every connect, so that the database's history records who made a change. Set on an
    /// open connection, it takes effect at once; throws DbError when the server refuses it there.
    QString account() const { return m_account; }
    void setAccount(const QString& account);

    /// The settings a worker's own connection needs to act as this one; read on this connection's
    /// thread and handed over by value.
    ConnectionSettings settings() const { return {m_connectionString, m_account}; }

    /// Opens the connection unless it is open and not known to be lost; throws DbError when the
    /// server cannot be reached or refuses the account. From here until close() every statement
    /// gets an open connection (see database()).
    void open();
    void close();
    /// Open, and not known to be lost.
    bool connected() const;

    /// The Qt SQL handle, ready for one statement: a connection lost earlier (or never opened) is
    /// opened first, and one idle for longer than idleCheckMs() is pinged first and opened again
    /// when the server has closed it. Throws DbError when open() was not called or the connection
    /// cannot be opened.
    QSqlDatabase database();
    /// The client library's own handle, ready for one statement as with database(), for reading
    /// large results straight off the wire.
    st_mysql* nativeHandle();

    /// The statement for reading with values that this session keeps prepared (SnapshotLoader's
    /// reads): made on first use and kept, together with at most a few dozen others, until the
    /// session ends or a read of it fails (dropPreparedRead()). what names its rows in messages.
    /// Throws DbError as nativeHandle() does.
    BoundStatement& preparedRead(const QByteArray& statement, const QString& what);
    /// Forgets the kept statement whose read failed, so that the next read prepares it anew.
    void dropPreparedRead(const QByteArray& statement);
    /// Runs a statement that returns no rows; throws DbError when the server refuses it.
    void execute(const QString& statement);
    /// Runs a statement with values bound to its "?" marks in order and returns the first column of
    /// its first row (an invalid value when there is no row); throws DbError when the server refuses it.
    QVariant scalar(const QString& statement, const QVariantList& values = {});

    /// To be told of every error of a statement sent on this connection: when the error says that
    /// the connection is gone, the next statement opens it again.
    void noteError(const DbError& error);
    /// The error of a Qt SQL statement on this connection, noted as by noteError().
    DbError failure(const QSqlError& error);

    /// The idle time after which the connection is checked before a statement: a minute, or half
    /// the session's wait_timeout when the server closes idle sessions sooner.
    qint64 idleCheckMs() const { return m_idleCheckMs; }

private:
    void ready();
    void connectNow();
    void run(const QString& statement);
    void sendAccount();
    void dropPreparedReads();

    QString m_connectionString;
    QString m_account;
    QString m_name;
    bool m_wanted = false; ///< open() called and close() not since
    bool m_lost = false;
    QElapsedTimer m_lastUse;
    qint64 m_idleCheckMs = 60000;
    /// The statements kept prepared on the open session, by their text.
    std::map<QByteArray, std::unique_ptr<BoundStatement>> m_reads;
};

/// The ODBC-style "KEY=value;" pairs of a connection string, keys in upper case, values trimmed.
QHash<QString, QString> parseConnectionString(const QString& text);
