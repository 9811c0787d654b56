#pragma once
// What a bound control shares with the others: its data source and field name, the field they
// resolve to, the table events that change what the control shows, and the update hook through
// which a save collects the control's pending value.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class DataSource;
class Field;
class SnapshotTable;

class FieldDataLink : public QObject
{
    Q_OBJECT

public:
    explicit FieldDataLink(QObject* parent = nullptr);
    ~FieldDataLink() override;

    DataSource* dataSource() const;
    /// Rebinds to another source; the update hook moves with it. Emits changed().
    void setDataSource(DataSource* source);
    QString fieldName() const { return m_fieldName; }
    /// Rebinds to another field of the same table. Emits changed().
    void setFieldName(const QString& name);

    /// The table behind the source, or nullptr.
    SnapshotTable* table() const;
    /// The bound field, looked up by name on every call (field names can change under the
    /// translation tables); nullptr when unbound or when the table has no such field.
    Field* field() const;
    /// True when the current row has values to show: the table is open and has a current row.
    bool hasRow() const;
    /// True when a value may be stored into the field: it is writable and the row is being edited.
    bool canModify() const;

    /// The function that the table's post() calls before writing the row. The link keeps it
    /// registered with whatever table it is bound to and withdraws it when it goes.
    void setUpdateHook(std::function<void()> hook);

signals:
    /// Everything the control shows may be stale: another row, other rows, another edit state,
    /// another binding, or a value stored into the bound field.
    void changed();
    /// Another value of the current row changed (a different field, or the row as a whole). A control
    /// holding unsaved input may keep it.
    void rowValuesChanged();

private:
    void attach();
    void detach();
    void onFieldChanged(Field* field);
    void onRowChanged(int row);

    QPointer<DataSource> m_source;
    QPointer<SnapshotTable> m_table;
    QString m_fieldName;
    std::function<void()> m_hook;
    int m_hookId = -1;
    QList<QMetaObject::Connection> m_connections;
};
