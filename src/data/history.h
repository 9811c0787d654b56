#pragma once
// Reading the history of changes that the database keeps (db/history.sql): the triggers of the
// record tables write one row of the table history per changed column. Lists are read as read-only
// snapshots, newest first; every value a list depends on (the row, the filter, the words shown for
// actions, tables and columns) reaches the server bound, as session variables the statement reads.

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

class Connection;
class SnapshotTable;

namespace History {
/// The tables whose changes are recorded.
QStringList recordedTables();
/// The column whose value names a row of table in the history; empty for corp, whose one row is
/// the table's whole history, and for a table that is not recorded.
QString keyColumn(const QString& table);

/// The words a list shows instead of the stored codes: ("action.added", "新增"), ("table.stud",
/// "學生"), ("stud.studname", "學生姓名"). A code without a word shows as stored.
using Captions = QList<QPair<QString, QString>>;

/// Declares the fields of a history list on a table in query mode: changed (the time, to the
/// millisecond), account (the program's account, else the database account), action, tablename,
/// rowkey, colname, oldvalue, newvalue and dbaccount.
void declareFields(SnapshotTable* list);

/// Reads the history of one row of table (key: the value of its keyColumn(); ignored for corp)
/// into list, newest first and, within one change, in the order of the table's columns. Throws DbError.
void readRow(SnapshotTable* list, const QString& table, const QString& key, const Captions& captions);

/// What the whole history is filtered by; an empty text leaves that part out.
struct Filter {
    QDate from; ///< first day
    QDate to;   ///< last day, included
    QString account;
    QString table;
    QString text; ///< found in the row key, the old or the new value of any column of a change
};
/// Reads the changes that pass filter into list, newest first: every column of a change in which
/// the text is found, so that a deleted row is seen whole. Throws DbError.
void readFiltered(SnapshotTable* list, const Filter& filter, const Captions& captions);
} // namespace History
