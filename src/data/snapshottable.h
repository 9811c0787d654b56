#pragma once
// A table read whole from the server as a client-side snapshot, with the edit states of the
// record windows (inactive, browse, edit, insert), a current row, a sort text applied in memory,
// a filter, a master link, lookup fields, and single-row writes at the moment of saving or deleting.
//
// Rows are held column by column in compact arrays (text values interned per column), so that a
// million bookings fit in a few tens of megabytes; the visible rows are an index over them.
//
// The table joins parts that each keep their own state: the fields (snapshotfields), the row store
// (rowstore), the filter (snapshotfilter), the sort order (snapshotsort), the master link
// (snapshotlink), the lookup indexes (snapshotlookup) and the row writer (snapshotwrite). The table
// itself keeps the state, the visible rows, the current row and the edit buffer
// (snapshottable.cpp, snapshotedit.cpp, snapshotview.cpp).

#include "columnfilter.h"
#include "field.h"
#include "insertrecheck.h"
#include "snapshotvalue.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class Connection;
class RowStore;

enum class DataSetState { Inactive, Browse, Edit, Insert };

/// How a post() that did not fail ended. Failures (the server refused the row, the row changed
/// meanwhile, the connection broke) still throw DbError, the row left in its editing state.
struct PostOutcome {
    enum class Status {
        Unchanged,       ///< nothing was being edited, or an edited row had no changed value
        Saved,           ///< written, and the server's values read back into the snapshot
        SavedNotReadBack ///< written, but shown as it was typed: notice tells the user why
    };
    Status status = Status::Unchanged;
    QString notice;
    /// Of a new row (see InsertRecheck); also given by lastInsertRecheck().
    InsertRecheck recheck = InsertRecheck::None;

    bool saved() const { return status != Status::Unchanged; }
    /// For a handler that stops when the row could not be read back: throws DbError with the
    /// notice then, as the guard around it tells the user.
    void requireReadBack() const;
};
Q_DECLARE_METATYPE(PostOutcome)

class SnapshotTable : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString TableName READ tableName WRITE setTableName)
    Q_PROPERTY(QString SQL READ sql WRITE setSql)
    Q_PROPERTY(QString Filter READ filter WRITE setFilter)
    Q_PROPERTY(QString MasterFields READ masterFields WRITE setMasterFields)
    Q_PROPERTY(QString IndexFieldNames READ indexFieldNames WRITE setIndexFieldNames)

public:
    explicit SnapshotTable(QObject* parent = nullptr);
    ~SnapshotTable() override;

    void setConnection(Connection* connection);
    Connection* connection() const;

    QString tableName() const;
    void setTableName(const QString& name);
    /// A statement instead of a table ("query" mode): rows read-only, no row writes. Setting the
    /// text alone leaves it without values.
    QString sql() const;
    void setSql(const QString& statement);
    /// The statement with values bound to its "?" marks in order, at this and every later opening
    /// (a reopened table, or one opened again after the connection was lost, sends them again); the
    /// values never become part of the statement's text.
    void setSql(const QString& statement, const QVariantList& values);
    QVariantList sqlValues() const;

    /// Declares a field; the Field object is a child named objectName() + fieldName.
    Field* addField(const QString& fieldName, FieldType type, int size = 0);
    /// Declares a display-only lookup field (see Field::setLookup).
    Field* addLookupField(const QString& fieldName, FieldType type, int size, SnapshotTable* lookupTable,
                          const QString& keyFields, const QString& lookupKeyFields, const QString& lookupResultField);
    /// The field that identifies a row in updates and deletes (the table's key). Without one, a row
    /// is identified by the original values of all its fields.
    void setKeyField(const QString& fieldName);
    /// New rows are stored once however often a broken save is repeated: each goes with a token
    /// recorded in tokenTable under its key (keyColumn there); needs a key field.
    void setInsertToken(const QString& tokenTable, const QString& keyColumn);
    const std::vector<Field*>& fields() const;
    Field* findField(const QString& fieldName) const;
    /// Throws DbError when the table has no such field.
    Field* field(const QString& fieldName) const;

    /// Reads every row (SELECT * FROM the table, or the statement); throws DbError. The tables of
    /// its lookup fields that are not open are opened first, in the order of the fields. Runs the
    /// afterOpen event; the state becomes browse.
    void open();
    /// Opens the table as open() does, with rows that fill appends to the store (one column per stored
    /// field, in the order of the fields) instead of rows read from the server; fill gets the name
    /// that messages give the rows. Needs no connection until a row is written. snapshotfill.h fills
    /// a table from plain values.
    void openFilled(const std::function<void(RowStore& store, const QString& what)>& fill);
    void close();
    bool active() const;
    DataSetState state() const;
    bool editing() const;

    /// Number of visible rows (after filter and master link).
    int recordCount() const;
    bool isEmpty() const;
    /// Index of the current row among the visible rows; -1 when there is none.
    int recNo() const;
    /// Makes another visible row current; posts nothing (a call while editing throws DbError).
    void setRecNo(int row);
    /// Moves to the first visible row whose field equals value; false when there is none.
    bool locate(const QString& fieldName, const QVariant& value);

    void append(); ///< browse → insert: an empty row at the end, current
    void edit();   ///< browse → edit
    /// Stores pending control values, asks the post vetoes, writes the row to the server (insert
    /// reads back the server-assigned key), then state browse and afterPost. A row stored but not
    /// read back is an outcome, not an error. A veto that refuses throws DbError with its reason (Abort
    /// without one); on that and on any error the row stays in its editing state with its values.
    PostOutcome post();
    /// The recheck of the last post() (see InsertRecheck): whether a new row that followed an insert
    /// of uncertain outcome was found stored or stored now.
    InsertRecheck lastInsertRecheck() const;
    void cancel(); ///< edit → browse with stored values; insert → the new row removed
    /// Deletes the current row in the server and the snapshot; a neighbouring row becomes current.
    void remove();

    /// The sort text: a field name followed by " ASC" or " DESC"; empty keeps reading order.
    QString sort() const;
    void setSort(const QString& sortText);

    /// A filter of the form field<>'value' or field='value' (the only forms used); applied when filtered.
    QString filter() const;
    void setFilter(const QString& expression);
    bool filtered() const;
    void setFiltered(bool on);

    /// The filter boxes of a grid over the table, met together with the filter above; empty ones
    /// test nothing. A row saved while they test something stays visible until they change. Throws
    /// DbError while a row is being edited.
    void setColumnFilters(std::vector<ColumnFilters::Entry> entries);
    bool columnFiltered() const;
    /// The rows the filter boxes chose from: as many as would be visible were they all empty.
    int unfilteredCount() const;

    /// Detail link: only rows whose detailField equals the master's current masterField show, and a
    /// new row takes the master's value.
    void setMaster(SnapshotTable* master, const QString& masterField, const QString& detailField);
    QString masterFields() const;
    void setMasterFields(const QString& fields);
    QString indexFieldNames() const;
    void setIndexFieldNames(const QString& fields);

    /// A cell of a visible row, as the grid shows it.
    QVariant cellValue(int row, int fieldIndex) const;
    QString cellText(int row, int fieldIndex) const;

    /// A cell of a visible row as cellValue() gives it, read without making a QString: the field's
    /// type, whether it has a value, its number (integers; date-times packed as yyyyMMddHHmmss) or
    /// its text as UTF-8, valid until the table changes. A row or field out of range has no value.
    struct CellView {
        FieldType type = FieldType::Text;
        bool null = true;
        qint64 number = 0;
        std::string_view text;
        QByteArray storage; ///< holds text that had to be converted (the row being edited)
    };
    void cellView(int row, int fieldIndex, CellView& out) const;

    /// Where findText() stopped: the row and the first of the searched fields that holds the text,
    /// and whether the search went round past the end (or the start, going backwards).
    struct FindHit {
        int row = -1; ///< -1: no row holds the text
        int fieldIndex = -1;
        bool wrapped = false;
    };
    /// The first visible row, from row `from` on in the given direction and wrapping round, with a
    /// cell among fieldIndexes whose shown text (cellText) contains text, letters compared without
    /// case. `from` may be -1 or recordCount() (just before the start or past the end). Reads the
    /// cells in place; no copy of the rows is made.
    FindHit findText(const QString& text, const std::vector<int>& fieldIndexes, int from, bool forward) const;

    /// Controls bound to the table register here; post() calls each before asking the vetoes so that
    /// the text of the box that has the focus is stored first. Returns an id for removeUpdateHook().
    int addUpdateHook(std::function<void()> hook);
    void removeUpdateHook(int id);

    /// A party that may refuse a step: returns false to refuse, and may set *reason to the text the
    /// user is shown (left empty, the party has told the user itself).
    using Veto = std::function<bool(QString* reason)>;
    enum class VetoStep { Post, Delete };
    /// Adds a veto asked before post() writes a row (Post) or remove() deletes one (Delete). All the
    /// vetoes of a step are asked in the order they were added, until one refuses; the step then
    /// throws DbError with the reason (Abort when it gave none) and changes nothing. Returns an id for
    /// removeVeto().
    int addVeto(VetoStep step, Veto veto);
    void removeVeto(int id);

    // For the table's fields and for the parts of other tables (lookups, master links).

    /// The index of one of this table's fields; -1 for another field.
    int fieldIndex(const Field* field) const;
    /// The index of the field of that name (case-insensitive); -1 when there is none.
    int fieldIndexByName(const QString& name) const;
    /// A field's value in the current row (the edit buffer while editing); no value without one.
    CellValue currentValue(int field) const;
    /// Throws DbError unless the field can take a value now: the table editing, the field stored and
    /// not read-only.
    void checkStorable(int field) const;
    /// Stores a value into a field of the row being edited (checked as by checkStorable()), then
    /// tells the bound controls and runs the field's onChange.
    void storeValue(int field, const CellValue& value);
    /// The rows as read, deleted ones included, and their version, which changes whenever they do.
    const RowStore& rows() const;
    quint64 rowsVersion() const;
    /// The store column of a field; -1 for a lookup field.
    int columnOf(int field) const;
    /// The first stored row whose column holds key (an index built on first use); -1 when there is
    /// none or the table is closed.
    qint64 findRow(int column, const CellValue& key) const;
    qint64 findRowByTextId(int column, quint32 id) const;

signals:
    // The table's events. Every listener is called at once, in the order connected (connect them
    // directly, never queued); one that throws stops the call that raised the event, and the
    // listeners after it are not called.

    /// The rows were read and are shown; the state is browse.
    void afterOpen();
    /// append() made a new row: listeners set its initial values; one that throws (Abort) takes
    /// the row away again.
    void newRecord();
    /// The new row is in place and shown.
    void afterInsert();
    /// post() wrote the row and the table is back in browse.
    void afterPost(const PostOutcome& outcome);
    /// Another row became current (after open, after a move and after a delete).
    void afterScroll();

    void stateChanged();
    /// The visible rows were rebuilt (open, sort, filter, master moved, insert, delete).
    void rowsReset();
    /// One visible row's values changed (a field stored, or a post).
    void rowChanged(int row);
    /// Another row became current.
    void currentChanged();
    /// A value was stored into a field of the current row.
    void fieldChanged(Field* field);

private:
    // snapshottable.cpp
    Field* declareField(const QString& fieldName, FieldType type, int size, bool lookup, SnapshotTable* lookupTable);
    void requireActive() const;
    void requireWritable() const;
    void requireBrowse() const;
    void bumpVersion();
    void notifyCurrent();
    QString what() const;
    void askVetoes(VetoStep step);
    // snapshotedit.cpp
    bool bufferRow(int row) const;
    void finishEditing();
    void notifyLookups(int keyField);
    // snapshotview.cpp
    void rebuildVisible(std::optional<quint32> anchor);
    void rebuildKeepingCurrent();
    void showColumnFiltered(std::optional<quint32> anchor);
    void keepSavedRow(quint32 row, bool visible);
    void forgetRow(quint32 row);
    bool stillVisible(quint32 row) const;
    void followMaster();
    void detachFromMaster();
    CellValue rowValue(int row, int field) const;

    struct Parts;
    std::unique_ptr<Parts> m;
};
