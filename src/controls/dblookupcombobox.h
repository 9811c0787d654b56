#pragma once
// A drop-down list bound to a key field of the current row. It lists one text (ListField) of every
// visible row of another table (the list source), in that table's order; choosing an item stores
// that row's key (KeyField) into the bound field (DataField). The item shown is the row whose key
// equals the field's value.

#include "fielddatalink.h"

#include <QComboBox>
#include <QHash>
#include <QPointer>
#include <vector>

class DataSource;
class Field;
class QStringListModel;
class SnapshotTable;

class DBLookupComboBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString KeyField READ keyField WRITE setKeyField)
    Q_PROPERTY(QString ListField READ listField WRITE setListField)

public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);

    DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataSource(DataSource* source);
    QString dataField() const { return m_link.fieldName(); }
    void setDataField(const QString& name);
    Field* field() const { return m_link.field(); }

    DataSource* listSource() const;
    void setListSource(DataSource* source);
    QString keyField() const { return m_keyField; }
    void setKeyField(const QString& name);
    QString listField() const { return m_listField; }
    void setListField(const QString& name);

    /// The key of the list row shown at index, or an invalid value.
    QVariant keyAt(int index) const;

private:
    void rebuildList();
    void updateListRow(int row);
    void showCurrentValue();
    void storeChoice(int index);
    SnapshotTable* listTable() const;

    FieldDataLink m_link;
    QPointer<DataSource> m_listSource;
    QList<QMetaObject::Connection> m_listConnections;
    QString m_keyField;
    QString m_listField;
    QStringListModel* m_items;
    std::vector<QVariant> m_keys;
    /// Key text → first list row with that key, so that showing a value does not scan the list.
    QHash<QString, int> m_rowOfKey;
};
