// Editing the table: adding, changing, saving, cancelling and deleting rows, and storing field
// values into the edit buffer.

#include "dberror.h"
#include "snapshotparts.h"
#include "platform/messages.h"

#include <algorithm>

namespace {
// The row current after the rows changed: the wanted one, kept within the visible rows.
int clampedRow(int wanted, int count)
{
    if (count == 0)
        return -1;
    return std::clamp(wanted, 0, count - 1);
}
} // namespace

void SnapshotTable::append()
{
    requireActive();
    requireWritable();
    if (m->editing())
        post().requireReadBack();
    m->savedCurrent = m->current;
    m->buffer.assign(size_t(m->fields.columnCount()), CellValue());
    if (m->link.master()) {
        const int column = m->fields.columnByName(m->link.detailField());
        const std::optional<CellValue> value = m->link.masterValue(m->fields);
        if (column >= 0 && value)
            m->buffer[size_t(column)] = *value;
    }
    m->state = DataSetState::Insert;
    m->current = int(m->visible.size());
    m->inNewRecord = true;
    try {
        emit newRecord();
    } catch (...) {
        m->inNewRecord = false;
        m->state = DataSetState::Browse;
        m->buffer.clear();
        m->current = m->savedCurrent;
        throw;
    }
    m->inNewRecord = false;
    emit rowsReset();
    emit currentChanged();
    emit stateChanged();
    emit afterInsert();
}

void SnapshotTable::edit()
{
    requireActive();
    requireWritable();
    if (m->editing())
        return;
    if (m->current < 0)
        throw DbError(Msg::tableEmpty());
    m->editRow = m->visible[size_t(m->current)];
    m->buffer.resize(size_t(m->fields.columnCount()));
    for (int col = 0; col < m->fields.columnCount(); ++col)
        m->buffer[size_t(col)] = m->store.cell(col, m->editRow);
    m->state = DataSetState::Edit;
    emit stateChanged();
}

PostOutcome SnapshotTable::post()
{
    requireActive();
    if (!m->editing())
        return {};
    // A hook may remove itself or others while running.
    const std::map<int, std::function<void()>> hooks = m->hooks;
    for (const auto& hook : hooks)
        hook.second();
    askVetoes(VetoStep::Post);
    PostOutcome outcome;
    m->lastRecheck = InsertRecheck::None;
    if (m->state == DataSetState::Insert) {
        requireWritable();
        const quint32 row = m->writer.insert(m->target(), m->buffer, outcome.notice);
        m->lastRecheck = m->writer.lastRecheck();
        outcome.status = PostOutcome::Status::Saved;
        bumpVersion();
        m->link.indexAdd(m->store, row);
        m->state = DataSetState::Browse;
        m->buffer.clear();
        if (stillVisible(row)) {
            keepSavedRow(row, true);
            m->visible.push_back(row);
            m->current = int(m->visible.size()) - 1;
        } else {
            m->current = clampedRow(m->savedCurrent, int(m->visible.size()));
        }
        emit rowsReset();
        emit currentChanged();
    } else {
        std::vector<int> changed;
        for (int col = 0; col < m->fields.columnCount(); ++col) {
            if (!m->store.holds(col, m->editRow, m->buffer[size_t(col)]))
                changed.push_back(col);
        }
        if (!changed.empty()) {
            requireWritable();
            outcome.status = PostOutcome::Status::Saved;
            m->writer.update(m->target(), m->editRow, m->buffer, changed);
            m->link.indexRemove(m->store, m->editRow);
            for (const int col : changed)
                m->store.setCell(col, m->editRow, m->buffer[size_t(col)]);
            m->link.indexAdd(m->store, m->editRow);
            bumpVersion();
        }
        m->state = DataSetState::Browse;
        m->buffer.clear();
        if (stillVisible(m->editRow)) {
            keepSavedRow(m->editRow, false);
            emit rowChanged(m->current);
        } else {
            forgetRow(m->editRow);
            m->visible.erase(m->visible.begin() + m->current);
            m->current = clampedRow(m->current, int(m->visible.size()));
            emit rowsReset();
            emit currentChanged();
        }
    }
    if (!outcome.notice.isEmpty())
        outcome.status = PostOutcome::Status::SavedNotReadBack;
    outcome.recheck = m->lastRecheck;
    try {
        emit afterPost(outcome);
    } catch (...) {
        emit stateChanged();
        finishEditing();
        throw;
    }
    emit stateChanged();
    finishEditing();
    return outcome;
}

InsertRecheck SnapshotTable::lastInsertRecheck() const
{
    return m->lastRecheck;
}

void SnapshotTable::cancel()
{
    if (!m->editing())
        return;
    m->writer.forgetUncertainInsert();
    if (m->state == DataSetState::Insert) {
        m->state = DataSetState::Browse;
        m->buffer.clear();
        m->current = clampedRow(m->savedCurrent, int(m->visible.size()));
        emit rowsReset();
        emit currentChanged();
    } else {
        m->state = DataSetState::Browse;
        m->buffer.clear();
        emit rowChanged(m->current);
    }
    emit stateChanged();
    finishEditing();
}

void SnapshotTable::remove()
{
    requireActive();
    requireWritable();
    if (m->state == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel();
    if (m->current < 0)
        throw DbError(Msg::tableEmpty());
    askVetoes(VetoStep::Delete);
    const quint32 row = m->visible[size_t(m->current)];
    m->writer.remove(m->target(), row);
    m->link.indexRemove(m->store, row);
    m->store.markDeleted(row);
    bumpVersion();
    forgetRow(row);
    m->visible.erase(m->visible.begin() + m->current);
    m->current = clampedRow(m->current, int(m->visible.size()));
    emit rowsReset();
    notifyCurrent();
}

CellValue SnapshotTable::currentValue(int field) const
{
    const int col = m->fields.column(field);
    if (col >= 0) {
        if (m->editing())
            return m->buffer[size_t(col)];
        if (m->current < 0)
            return CellValue();
        return m->store.cell(col, m->visible[size_t(m->current)]);
    }
    const int key = m->lookups.keyField(field);
    if (key < 0)
        return CellValue();
    return m->lookups.result(field, m->lookups.rowOfValue(field, currentValue(key)));
}

void SnapshotTable::checkStorable(int field) const
{
    if (!m->editing())
        throw DbError(Msg::notEditing());
    const Field* f = m->fields.at(field);
    if (f->readOnly() || m->fields.column(field) < 0)
        throw DbError(Msg::fieldReadOnly(f->fieldName()));
}

void SnapshotTable::storeValue(int field, const CellValue& value)
{
    checkStorable(field);
    Field* f = m->fields.at(field);
    m->buffer[size_t(m->fields.column(field))] = value;
    emit fieldChanged(f);
    notifyLookups(field);
    if (!m->inNewRecord)
        emit rowChanged(m->current);
    if (f->onChange)
        f->onChange(*f);
}

bool SnapshotTable::bufferRow(int row) const
{
    return (m->state == DataSetState::Edit && row == m->current)
           || (m->state == DataSetState::Insert && row == int(m->visible.size()));
}

// A master link that moved while this table was editing is followed once the editing ends.
void SnapshotTable::finishEditing()
{
    if (m->link.takePending()) {
        m->link.forgetChoice();
        followMaster();
    }
}

void SnapshotTable::notifyLookups(int keyField)
{
    for (Field* f : m->fields.all()) {
        if (f->isLookup() && m->fields.indexByName(f->keyFields()) == keyField)
            emit fieldChanged(f);
    }
}
