#pragma once
// The fields of a snapshot table and where each one's values are held: a stored field has a column
// of the row store, a lookup field has none (its value is read from another table).

#include "field.h"
#include "snapshotloader.h"

#include <vector>

class SnapshotFields
{
public:
    /// Adds a field; a stored one gets the next store column.
    void add(Field* field, bool stored);

    const std::vector<Field*>& all() const { return m_fields; }
    int count() const { return int(m_fields.size()); }
    Field* at(int field) const { return m_fields[size_t(field)]; }
    FieldType type(int field) const { return m_fields[size_t(field)]->type(); }
    /// The index of the field, -1 when it is not one of these.
    int indexOf(const Field* field) const;
    /// The index of the field of that name (case-insensitive, trimmed); -1 when there is none.
    int indexByName(const QString& name) const;

    /// The store column of a field; -1 for a lookup field.
    int column(int field) const { return m_columnOf[size_t(field)]; }
    /// The store column of the stored field of that name; -1 when there is none.
    int columnByName(const QString& name) const;
    int columnCount() const { return int(m_fieldOf.size()); }
    /// The field held in a store column.
    Field* ofColumn(int column) const { return m_fields[size_t(m_fieldOf[size_t(column)])]; }
    std::vector<FieldType> columnTypes() const;
    /// The stored fields as the loader reads them, in column order.
    std::vector<LoadColumn> loadColumns() const;

private:
    std::vector<Field*> m_fields;
    std::vector<int> m_columnOf; ///< by field index: the store column, -1 for a lookup field
    std::vector<int> m_fieldOf;  ///< by store column: the field index
};
