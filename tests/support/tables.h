#pragma once
// Declaring a snapshot table for a test in one statement: the table, its fields, its key.

#include "data/snapshottable.h"

#include <initializer_list>
#include <memory>

class Connection;

struct FieldDecl {
    const char* name;
    FieldType type;
    int size = 0;
};

/// A table of the ryn database on connection with the given fields (not opened); key names the
/// field that identifies a row, or nullptr for a table without one.
std::unique_ptr<SnapshotTable> declareTable(Connection* connection, const char* tableName,
                                            std::initializer_list<FieldDecl> fields, const char* key = nullptr);

/// The students table (spkey, studname, studpwd; key spkey) on connection, opened.
std::unique_ptr<SnapshotTable> openStudents(Connection* connection);

/// The bookings table (scpkey, buydate, spkey, watchpoint, uid; key scpkey) on connection (which
/// may be null for a table filled from values), not opened.
std::unique_ptr<SnapshotTable> declareBookings(Connection* connection);
