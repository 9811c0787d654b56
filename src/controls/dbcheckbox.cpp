#include "dbcheckbox.h"

#include "data/field.h"
#include "ui/guard.h"

DBCheckBox::DBCheckBox(QWidget* parent)
    : QCheckBox(parent)
{
    connect(&m_link, &FieldDataLink::changed, this, &DBCheckBox::refresh);
    connect(&m_link, &FieldDataLink::rowValuesChanged, this, &DBCheckBox::refresh);
}

void DBCheckBox::setDataSource(DataSource* source)
{
    m_link.setDataSource(source);
}

void DBCheckBox::setDataField(const QString& name)
{
    m_link.setFieldName(name);
}

void DBCheckBox::setValueChecked(const QString& value)
{
    m_valueChecked = value;
    refresh();
}

void DBCheckBox::setValueUnchecked(const QString& value)
{
    m_valueUnchecked = value;
    refresh();
}

void DBCheckBox::refresh()
{
    Field* f = m_link.field();
    const bool on =
        f && m_link.hasRow() && !f->isNull() && f->asString().compare(m_valueChecked, Qt::CaseInsensitive) == 0;
    setChecked(on);
}

void DBCheckBox::nextCheckState()
{
    Field* f = m_link.field();
    if (!f || !m_link.canModify())
        return;
    const QString value = isChecked() ? m_valueUnchecked : m_valueChecked;
    guarded([&] { f->setAsString(value); });
    // The box shows what the field holds, whether the value was taken or refused.
    refresh();
}
