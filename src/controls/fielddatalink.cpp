#include "fielddatalink.h"

#include "data/datasource.h"
#include "data/field.h"
#include "data/snapshottable.h"

FieldDataLink::FieldDataLink(QObject* parent)
    : QObject(parent)
{}

FieldDataLink::~FieldDataLink()
{
    detach();
}

DataSource* FieldDataLink::dataSource() const
{
    return m_source;
}

void FieldDataLink::setDataSource(DataSource* source)
{
    if (source == m_source && (!source || source->dataSet() == m_table))
        return;
    detach();
    m_source = source;
    attach();
    emit changed();
}

void FieldDataLink::setFieldName(const QString& name)
{
    if (name == m_fieldName)
        return;
    m_fieldName = name;
    emit changed();
}

SnapshotTable* FieldDataLink::table() const
{
    return m_source ? m_table.data() : nullptr;
}

Field* FieldDataLink::field() const
{
    SnapshotTable* t = table();
    return t && !m_fieldName.isEmpty() ? t->findField(m_fieldName) : nullptr;
}

bool FieldDataLink::hasRow() const
{
    SnapshotTable* t = table();
    return t && t->active() && t->recNo() >= 0 && (t->editing() || !t->isEmpty());
}

bool FieldDataLink::canModify() const
{
    Field* f = field();
    return f && !f->readOnly() && f->table()->editing();
}

void FieldDataLink::setUpdateHook(std::function<void()> hook)
{
    m_hook = std::move(hook);
}

void FieldDataLink::attach()
{
    m_table = m_source ? m_source->dataSet() : nullptr;
    if (!m_table)
        return;
    SnapshotTable* t = m_table;
    m_connections << connect(t, &SnapshotTable::currentChanged, this, &FieldDataLink::changed)
                  << connect(t, &SnapshotTable::rowsReset, this, &FieldDataLink::changed)
                  << connect(t, &SnapshotTable::stateChanged, this, &FieldDataLink::changed)
                  << connect(t, &SnapshotTable::rowChanged, this, &FieldDataLink::onRowChanged)
                  << connect(t, &SnapshotTable::fieldChanged, this, &FieldDataLink::onFieldChanged)
                  << connect(m_source, &QObject::destroyed, this, [this] {
                         detach();
                         emit changed();
                     });
    // The hook is registered once per table and reads m_hook when called, so the control can set or
    // replace it at any time.
    m_hookId = t->addUpdateHook([this] {
        if (m_hook)
            m_hook();
    });
}

void FieldDataLink::detach()
{
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    if (m_table && m_hookId >= 0)
        m_table->removeUpdateHook(m_hookId);
    m_hookId = -1;
    m_table = nullptr;
}

void FieldDataLink::onFieldChanged(Field* field)
{
    Field* own = this->field();
    if (field == own)
        emit changed();
    else
        emit rowValuesChanged();
}

void FieldDataLink::onRowChanged(int row)
{
    SnapshotTable* t = table();
    if (t && row == t->recNo())
        emit rowValuesChanged();
}
