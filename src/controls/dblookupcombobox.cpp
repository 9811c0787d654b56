#include "dblookupcombobox.h"

#include "data/datasource.h"
#include "data/field.h"
#include "ui/guard.h"
#include "data/snapshottable.h"

#include <QListView>
#include <QStringListModel>
#include <algorithm>

namespace {
int fieldIndex(const SnapshotTable* table, const QString& name)
{
    Field* f = name.isEmpty() ? nullptr : table->findField(name);
    const std::vector<Field*>& fields = table->fields();
    const auto it = std::find(fields.begin(), fields.end(), f);
    return f && it != fields.end() ? int(it - fields.begin()) : -1;
}

// Keys compare as text, so that a key read as a 64-bit number matches a field holding a 32-bit one.
QString keyText(const QVariant& key)
{
    return key.isNull() ? QString() : key.toString();
}
} // namespace

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_items(new QStringListModel(this))
{
    setModel(m_items);
    // A list of thousands of rows must neither be measured item by item nor laid out one by one.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(10);
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    connect(&m_link, &FieldDataLink::changed, this, &DBLookupComboBox::showCurrentValue);
    connect(&m_link, &FieldDataLink::rowValuesChanged, this, &DBLookupComboBox::showCurrentValue);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::storeChoice);
}

void DBLookupComboBox::setDataSource(DataSource* source)
{
    m_link.setDataSource(source);
}

void DBLookupComboBox::setDataField(const QString& name)
{
    m_link.setFieldName(name);
}

SnapshotTable* DBLookupComboBox::listTable() const
{
    return m_listSource ? m_listSource->dataSet() : nullptr;
}

DataSource* DBLookupComboBox::listSource() const
{
    return m_listSource;
}

void DBLookupComboBox::setListSource(DataSource* source)
{
    for (const QMetaObject::Connection& c : std::as_const(m_listConnections))
        disconnect(c);
    m_listConnections.clear();
    m_listSource = source;
    if (SnapshotTable* t = listTable()) {
        m_listConnections << connect(t, &SnapshotTable::rowsReset, this, &DBLookupComboBox::rebuildList)
                          << connect(t, &SnapshotTable::stateChanged, this, &DBLookupComboBox::rebuildList)
                          << connect(t, &SnapshotTable::rowChanged, this, &DBLookupComboBox::updateListRow)
                          << connect(source, &QObject::destroyed, this, &DBLookupComboBox::rebuildList);
    }
    rebuildList();
}

void DBLookupComboBox::setKeyField(const QString& name)
{
    m_keyField = name;
    rebuildList();
}

void DBLookupComboBox::setListField(const QString& name)
{
    m_listField = name;
    rebuildList();
}

QVariant DBLookupComboBox::keyAt(int index) const
{
    return index >= 0 && index < int(m_keys.size()) ? m_keys[size_t(index)] : QVariant();
}

void DBLookupComboBox::rebuildList()
{
    QStringList texts;
    m_keys.clear();
    m_rowOfKey.clear();
    SnapshotTable* t = listTable();
    const int keyColumn = t ? fieldIndex(t, m_keyField) : -1;
    const int listColumn = t ? fieldIndex(t, m_listField) : -1;
    if (t && t->active() && keyColumn >= 0 && listColumn >= 0) {
        const int rows = t->recordCount();
        texts.reserve(rows);
        m_keys.reserve(size_t(rows));
        m_rowOfKey.reserve(rows);
        for (int row = 0; row < rows; ++row) {
            texts << t->cellText(row, listColumn);
            m_keys.push_back(t->cellValue(row, keyColumn));
            // The first row with a key wins, as a lookup finds it.
            const QString key = keyText(m_keys.back());
            if (!m_rowOfKey.contains(key))
                m_rowOfKey.insert(key, row);
        }
    }
    m_items->setStringList(texts);
    showCurrentValue();
}

void DBLookupComboBox::updateListRow(int row)
{
    SnapshotTable* t = listTable();
    if (!t || row < 0 || row >= int(m_keys.size()) || row >= t->recordCount())
        return;
    const int keyColumn = fieldIndex(t, m_keyField);
    const int listColumn = fieldIndex(t, m_listField);
    if (keyColumn < 0 || listColumn < 0)
        return;
    const QVariant key = t->cellValue(row, keyColumn);
    if (keyText(key) != keyText(m_keys[size_t(row)])) {
        // A changed key can move which row a key finds first; rare enough to rebuild.
        rebuildList();
        return;
    }
    m_items->setData(m_items->index(row), t->cellText(row, listColumn));
}

void DBLookupComboBox::showCurrentValue()
{
    Field* f = m_link.field();
    int index = -1;
    if (f && m_link.hasRow() && !f->isNull())
        index = m_rowOfKey.value(keyText(f->value()), -1);
    setCurrentIndex(index);
}

void DBLookupComboBox::storeChoice(int index)
{
    Field* f = m_link.field();
    if (f && m_link.canModify() && index >= 0 && index < int(m_keys.size())) {
        const QVariant key = m_keys[size_t(index)];
        guarded([&] { f->setValue(key); });
    }
    // Shows what the field holds: the choice, or the old value when it could not be stored.
    showCurrentValue();
}
