#pragma once
// Links a table to the controls that show it, and reports each change of the table's edit state.

#include <QObject>

class SnapshotTable;

class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(SnapshotTable* table, QObject* parent = nullptr);
    SnapshotTable* dataSet() const { return m_table; }

signals:
    /// The table's edit state changed (opened, Add, Edit, a successful save, Cancel).
    void stateChanged();

private:
    SnapshotTable* m_table;
};
