#include "snapshotfields.h"

void SnapshotFields::add(Field* field, bool stored)
{
    if (stored) {
        m_columnOf.push_back(int(m_fieldOf.size()));
        m_fieldOf.push_back(int(m_fields.size()));
    } else {
        m_columnOf.push_back(-1);
    }
    m_fields.push_back(field);
}

int SnapshotFields::indexOf(const Field* field) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == field)
            return int(i);
    }
    return -1;
}

int SnapshotFields::indexByName(const QString& name) const
{
    const QString n = name.trimmed();
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i]->fieldName().compare(n, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int SnapshotFields::columnByName(const QString& name) const
{
    const int field = indexByName(name);
    return field < 0 ? -1 : column(field);
}

std::vector<FieldType> SnapshotFields::columnTypes() const
{
    std::vector<FieldType> types;
    for (const int f : m_fieldOf)
        types.push_back(m_fields[size_t(f)]->type());
    return types;
}

std::vector<LoadColumn> SnapshotFields::loadColumns() const
{
    std::vector<LoadColumn> columns;
    for (const int f : m_fieldOf)
        columns.push_back({m_fields[size_t(f)]->fieldName(), m_fields[size_t(f)]->type()});
    return columns;
}
