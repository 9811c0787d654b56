#pragma once
// Writes one row of a snapshot table to the server at the moment of saving or deleting.

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
    quint32 insert(const Target& target, const std::vector<CellValue>& values, QString& notice) const;
    /// Writes the changed columns of a stored row; throws DbError when the row on the server no
    /// longer holds the values it was read with.
    void update(const Target& target, quint32 row, const std::vector<CellValue>& values,
                const std::vector<int>& changed) const;
    /// Deletes a stored row on the server, under the same condition as update().
    void remove(const Target& target, quint32 row) const;

private:
    int keyColumn(const SnapshotFields& fields) const;
    std::optional<quint32> readBackByKey(const Target& target, const std::vector<CellValue>& row, int key) const;
    void readBackDefaults(const Target& target, std::vector<CellValue>& row) const;

    QString m_keyField;
};
