#pragma once
// A database connection made from the program's connection string. The string keeps its ODBC form
// (it is a translatable property of the windows); the MariaDB settings are derived from it, with
// the port from ServerSettings.

#include <QObject>
#include <QSqlDatabase>

struct st_mysql;

class Connection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ConnectionString READ connectionString WRITE setConnectionString)

public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text);

    /// Opens the connection unless it is open; throws DbError when the server cannot be reached
    /// or refuses the account.
    void open();
    void close();
    bool connected() const;

    /// The Qt SQL handle; valid while the connection is open.
    QSqlDatabase database() const;
    /// The client library's own handle, for reading large results straight off the wire.
    st_mysql* nativeHandle() const;

    /// Runs a statement that returns no rows; throws DbError when the server refuses it.
    void execute(const QString& statement);
    /// Throws DbError unless the connection is open.
    void requireOpen() const;

private:
    QString m_connectionString;
    QString m_name;
};

/// The ODBC-style "KEY=value;" pairs of a connection string, keys in upper case, values trimmed.
QHash<QString, QString> parseConnectionString(const QString& text);
