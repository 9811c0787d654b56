#pragma once
// Writes one row of a snapshot table to the server at the moment of saving or deleting.

#include "insertrecheck.h"
#include "inserttoken.h"
#include "snapshotvalue.h"

#include <QString>
#include <optional>
#include <vector>

class Connection;
class RowStore;
class SnapshotFields;

class RowWriter
{
public:
    /// The field that names a row in updates and deletes; empty: all its original values do.
    QString keyField() const { return m_keyField; }
    void setKeyField(const QString& name) { m_keyField = name.trimmed(); }
    /// Each new row goes with a token recorded in table (see InsertToken) under the row's key, in
    /// keyColumn; the writer needs a key field. Every attempt to store the same row sends the same
    /// token, so that the row is stored once whatever became of the attempts before.
    void setInsertToken(const QString& table, const QString& keyColumn) { m_token.emplace(table, keyColumn); }

    /// The table written to and the rows written from.
    struct Target {
        Connection* connection;
        QString tableName;
        const SnapshotFields& fields;
        RowStore& store;
    };
    /// Inserts a row (one value per store column) and adds it to the store, with the key the server
    /// assigned and the server's values read back; returns its number. notice is set when the row
    /// was stored but could not be read back (the row then holds the values as given).
    quint32 insert(const Target& target, const std::vector<CellValue>& values, QString& notice);
    /// How the last insert() ended (see InsertRecheck). After an insert of uncertain outcome it looks
    /// on the server for a row holding exactly the values that were sent, under a key the store did
    /// not hold. With an insert token the token decides instead of the values: FoundStored when an
    /// earlier attempt of the row had been committed (the row it stored is added to the store),
    /// NowStored when this attempt, following one whose connection broke, stored it.
    InsertRecheck lastRecheck() const { return m_lastRecheck; }
    /// The row being added was given up: an uncertain insert is no longer looked for, and the next
    /// row gets a token of its own.
    void forgetUncertainInsert()
    {
        m_uncertain.reset();
        m_pendingToken.reset();
        m_lostBefore = false;
    }
    /// Writes the changed columns of a stored row; throws DbError when the row on the server no
    /// longer holds the values it was read with.
    void update(const Target& target, quint32 row, const std::vector<CellValue>& values,
                const std::vector<int>& changed) const;
    /// Deletes a stored row on the server, under the same condition as update().
    void remove(const Target& target, quint32 row) const;

private:
    int keyColumn(const SnapshotFields& fields) const;
    quint32 send(const Target& target, const std::vector<CellValue>& values, QString& notice);
    quint32 sendWithToken(const Target& target, const std::vector<CellValue>& values, QString& notice, int key);
    quint32 addStored(const Target& target, std::vector<CellValue> row, const QVariant& insertId,
                      QString& notice) const;
    std::optional<quint32> findUncertainInsert(const Target& target, int key) const;
    std::optional<quint32> readBackByKey(const Target& target, const std::vector<CellValue>& row, int key) const;
    void readBackDefaults(const Target& target, std::vector<CellValue>& row) const;

    QString m_keyField;
    /// The values (by store column) of an insert whose outcome is unknown: sent, but the connection
    /// broke before the server's answer came.
    std::optional<std::vector<CellValue>> m_uncertain;
    InsertRecheck m_lastRecheck = InsertRecheck::None;
    std::optional<InsertToken> m_token;
    /// The token of the row being added, drawn at its first attempt and kept until it is stored or
    /// given up.
    std::optional<QByteArray> m_pendingToken;
    bool m_lostBefore = false; ///< an attempt of the row being added lost its connection
};
