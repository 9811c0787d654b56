#include "datasource.h"

#include "snapshottable.h"

DataSource::DataSource(SnapshotTable* table, QObject* parent)
    : QObject(parent)
    , m_table(table)
{
    connect(table, &SnapshotTable::stateChanged, this, &DataSource::stateChanged);
}
