#pragma once
// The inside of SnapshotTable, shared by its implementation files: snapshottable.cpp (the public
// calls), snapshottableprivate.cpp (state checks, current values), snapshotrows.cpp (visible rows,
// sort, filter, master link, lookups) and snapshotwrite.cpp (the statements that write a row).

#include "rowstore.h"
#include "snapshotloader.h"
#include "snapshottable.h"

#include <QPointer>
#include <map>
#include <optional>
#include <unordered_map>

struct SnapshotTable::Private {
    explicit Private(SnapshotTable* owner)
        : q(owner)
    {}

    SnapshotTable* q;
    Connection* connection = nullptr;
    QString tableName;
    QString sql;
    QString keyFieldName;
    std::vector<Field*> fields;
    std::vector<int> columnOf; ///< by field index: the store column, -1 for a lookup field
    std::vector<int> fieldOf;  ///< by store column: the field index

    RowStore store;
    DataSetState state = DataSetState::Inactive;
    quint64 version = 0; ///< changes whenever the stored rows change, for the indexes built on them

    std::vector<quint32> visible; ///< the visible rows, in order, as store row numbers
    int current = -1;
    int savedCurrent = -1;         ///< the row current before append(), restored by cancel()
    quint32 editRow = 0;           ///< the store row being edited
    std::vector<CellValue> buffer; ///< by store column: the values of the row being edited or inserted
    bool inNewRecord = false;
    /// The values (by store column) of an insert whose outcome is unknown: sent, but the connection
    /// broke before the server's answer came; cleared when the new row is saved or given up.
    std::optional<std::vector<CellValue>> uncertainInsert;
    SnapshotTable::InsertRecheck lastRecheck = SnapshotTable::InsertRecheck::None;

    QString sortText;
    int sortField = -1;
    bool sortDescending = false;

    QString filterText;
    bool filtered = false;
    struct FilterCondition {
        int field = -1;
        bool notEqual = false;
        QString literal;
        QByteArray literalUtf8;
    };

    QPointer<SnapshotTable> master;
    QString masterField;
    QString detailField;
    QMetaObject::Connection masterMoved;
    QMetaObject::Connection masterReset;
    QMetaObject::Connection masterRowChanged;
    std::vector<QPointer<SnapshotTable>> details;
    bool masterPending = false;
    bool masterApplied = false;
    std::optional<CellValue> appliedMasterValue;
    bool linkIndexBuilt = false;
    int linkColumn = -1;
    std::unordered_map<qint64, std::vector<quint32>> linkIndex;

    /// As a lookup table: from a key column's values to the first row holding each.
    struct KeyIndex {
        quint64 version = ~quint64(0);
        std::vector<qint32> byTextId;
        std::unordered_map<qint64, quint32> byNumber;
    };
    std::map<int, KeyIndex> keyIndexes;

    /// For a lookup field of this table: the resolved names and, for a text key, the lookup row of
    /// each text id of the key column (-2 not yet known, -1 no match).
    struct LookupCache {
        SnapshotTable* table = nullptr;
        quint64 version = ~quint64(0);
        QString keyName, lookupKeyName, resultName;
        int keyField = -1;
        int lookupColumn = -1;
        int resultColumn = -1;
        std::vector<qint32> byTextId;
        bool valid() const { return keyField >= 0 && lookupColumn >= 0 && resultColumn >= 0; }
    };
    mutable std::map<int, LookupCache> lookupCaches;

    std::map<int, std::function<void()>> hooks;
    int nextHookId = 1;

    // snapshottableprivate.cpp
    void requireActive() const;
    void requireEditing() const;
    void requireWritable() const;
    void requireBrowse() const;
    void checkStore(int field) const;
    int fieldIndex(const Field* field) const;
    int fieldIndexByName(const QString& name) const;
    bool editing() const { return state == DataSetState::Edit || state == DataSetState::Insert; }
    bool bufferRow(int row) const;
    CellValue currentValue(int field) const;
    void storeField(int field, const CellValue& value);
    void bumpVersion();
    void notifyCurrent();
    void finishEditing();
    void detachFromMaster();
    std::vector<LoadColumn> loadColumns() const;
    /// Reads the statement's rows into the store; an error is noted on the connection and thrown.
    void load(const QString& statement, const std::vector<LoadColumn>& columns, RowStore& into);
    QString what() const;

    // snapshotrows.cpp
    void rebuildVisible(std::optional<quint32> anchor);
    std::optional<FilterCondition> parsedFilter() const;
    bool matchesFilter(quint32 row, const FilterCondition& condition) const;
    bool stillVisible(quint32 row) const;
    void sortRows(std::vector<quint32>& rows) const;
    std::optional<CellValue> masterValue() const;
    bool matchesMaster(quint32 row) const;
    void refreshFromMaster();
    void ensureLinkIndex();
    std::optional<qint64> linkKey(int column, const CellValue& value) const;
    void linkAdd(quint32 row);
    void linkRemove(quint32 row);
    qint64 findRowByKey(int column, const CellValue& key);
    qint64 findRowByTextId(int column, quint32 id);
    LookupCache* lookupCache(int field) const;
    qint64 lookupRowOfStored(int field, quint32 row) const;
    qint64 lookupRowOfStored(LookupCache& cache, quint32 row) const;
    qint64 lookupRowOfValue(int field, const CellValue& key) const;
    CellValue lookupResult(int field, qint64 lookupRow) const;
    CellValue rowValue(int row, int field) const;
    QString rowText(int row, int field) const;
    void notifyLookups(int keyField);

    // snapshotwrite.cpp
    int keyColumn() const;
    /// Inserts the row being added and adds it to the store; notice is set when the row was stored
    /// but the server's values of it could not be read back (the row then holds the typed values).
    quint32 writeInsert(QString& notice);
    /// The insert step of post(): writeInsert(), or, after an insert of uncertain outcome, the row
    /// that one stored when the server holds it (lastRecheck tells which).
    quint32 insertRow(QString& notice);
    /// The row that an uncertain insert stored, added to the store; nothing when the server holds
    /// no row with the values sent under a key this snapshot did not already hold.
    std::optional<quint32> findUncertainInsert();
    /// Whether an insert statement carries this column of row (a value, and not server-assigned).
    bool sentOnInsert(const std::vector<CellValue>& row, int col) const;
    std::optional<quint32> readBackByKey(const std::vector<CellValue>& row, int key);
    void readBackDefaults(std::vector<CellValue>& row);
    void writeUpdate(const std::vector<int>& changed);
    void writeDelete(quint32 row);
};
