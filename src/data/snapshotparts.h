#pragma once
// The parts a SnapshotTable joins, for the table's own implementation files only: each part keeps
// its state behind its own interface, and the table keeps the state, the visible rows, the current
// row and the edit buffer.

#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshotfilter.h"
#include "snapshotlink.h"
#include "snapshotlookup.h"
#include "snapshotsort.h"
#include "snapshottable.h"
#include "snapshotwrite.h"

#include <QPointer>
#include <map>

struct SnapshotTable::Parts {
    Parts()
        : lookups(fields, store)
    {}

    // What is read.
    Connection* connection = nullptr;
    QString tableName;
    QString sql;
    QVariantList sqlValues; ///< bound to the marks of sql at every opening
    SnapshotFields fields;

    // The parts.
    RowStore store;
    quint64 version = 0; ///< of the stored rows, for the indexes built on them
    mutable KeyIndex keys;
    LookupFields lookups;
    RowFilter filter;
    ColumnFilters columnFilters;
    std::vector<quint32> unfiltered;         ///< while columnFilters test something: the rows they choose from
    std::vector<quint32> savedWhileFiltered; ///< sorted: rows saved since the boxes last changed
    SortOrder sort;
    MasterLink link;
    RowWriter writer;
    std::vector<QPointer<SnapshotTable>> details; ///< the tables following this one as their master

    // The table's own state.
    DataSetState state = DataSetState::Inactive;
    std::vector<quint32> visible; ///< the visible rows, in order, as store row numbers
    int current = -1;
    int savedCurrent = -1;         ///< the row current before append(), restored by cancel()
    quint32 editRow = 0;           ///< the store row being edited
    std::vector<CellValue> buffer; ///< by store column: the values of the row being edited or inserted
    bool inNewRecord = false;
    InsertRecheck lastRecheck = InsertRecheck::None; ///< of the last post()
    std::map<int, std::function<void()>> hooks;
    std::map<int, std::pair<VetoStep, Veto>> vetoes;
    int nextHookId = 1; ///< of the update hooks and the vetoes

    bool editing() const { return state == DataSetState::Edit || state == DataSetState::Insert; }
    RowWriter::Target target() { return {connection, tableName, fields, store}; }
};
