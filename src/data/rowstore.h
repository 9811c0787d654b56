#pragma once
// The rows of a snapshot, column by column: 32-bit numbers and text ids, 64-bit numbers and packed
// date-times, one null bit per cell. Values live in fixed-size chunks, so that reading a million
// rows never copies a growing array and the memory held is what the rows need. A row keeps its
// number for the life of the snapshot: a deleted row is only marked.

#include "field.h"
#include "rowstoretextpool.h"
#include "snapshotvalue.h"

#include <memory>
#include <vector>

template <typename T> class ChunkedArray
{
public:
    static constexpr int kShift = 12;
    static constexpr size_t kChunk = size_t(1) << kShift;
    static constexpr size_t kMask = kChunk - 1;

    size_t size() const { return m_size; }
    void push_back(T value)
    {
        if ((m_size & kMask) == 0) {
            m_chunks.emplace_back(new T[kChunk]);
            m_last = m_chunks.back().get();
        }
        m_last[m_size & kMask] = value;
        ++m_size;
    }
    T operator[](size_t i) const { return m_chunks[i >> kShift][i & kMask]; }
    T& at(size_t i) { return m_chunks[i >> kShift][i & kMask]; }
    void clear()
    {
        std::vector<std::unique_ptr<T[]>>().swap(m_chunks);
        m_last = nullptr;
        m_size = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_chunks;
    T* m_last = nullptr;
    size_t m_size = 0;
};

class RowStore
{
public:
    /// Drops all rows and sets the column types.
    void reset(const std::vector<FieldType>& types);
    void clear();

    int columnCount() const { return int(m_columns.size()); }
    FieldType type(int col) const { return m_columns[col].type; }
    /// Rows ever stored, deleted ones included.
    quint32 rowCount() const { return m_rows; }

    // Reading a result: one append per column, then endRow().
    void appendNull(int col)
    {
        Column& c = m_columns[col];
        pushNullBit(c, true);
        if (c.narrow)
            c.small.push_back(0);
        else
            c.wide.push_back(0);
    }
    void appendNumber(int col, qint64 value)
    {
        Column& c = m_columns[col];
        pushNullBit(c, false);
        if (c.narrow)
            c.small.push_back(qint32(value));
        else
            c.wide.push_back(value);
    }
    void appendText(int col, const char* data, size_t size)
    {
        Column& c = m_columns[col];
        pushNullBit(c, false);
        c.small.push_back(qint32(c.pool->intern(data, size)));
    }
    void endRow() { ++m_rows; }

    /// Adds a row with the given values (one per column); returns its number.
    quint32 appendRow(const std::vector<CellValue>& values);
    /// Adds a copy of a row of another store with the same columns.
    quint32 appendRowFrom(const RowStore& other, quint32 row);

    bool isNull(int col, quint32 row) const { return (m_columns[col].nulls[row >> 6] >> (row & 63)) & 1u; }
    /// Integers and packed date-times.
    qint64 number(int col, quint32 row) const
    {
        const Column& c = m_columns[col];
        return c.narrow ? qint64(c.small[row]) : c.wide[row];
    }
    quint32 textId(int col, quint32 row) const { return quint32(m_columns[col].small[row]); }
    const TextPool& pool(int col) const { return *m_columns[col].pool; }
    TextPool& pool(int col) { return *m_columns[col].pool; }

    CellValue cell(int col, quint32 row) const;
    QString cellText(int col, quint32 row) const;
    void setCell(int col, quint32 row, const CellValue& value);
    /// True when the stored cell holds the value.
    bool holds(int col, quint32 row, const CellValue& value) const;

    void markDeleted(quint32 row);
    bool isDeleted(quint32 row) const
    {
        return (row >> 6) < m_deleted.size() && ((m_deleted[row >> 6] >> (row & 63)) & 1u);
    }

private:
    struct Column {
        FieldType type = FieldType::Int32;
        bool narrow = true;
        ChunkedArray<qint32> small;
        ChunkedArray<qint64> wide;
        std::vector<quint64> nulls;
        size_t count = 0;
        std::unique_ptr<TextPool> pool;
    };
    static void pushNullBit(Column& c, bool null)
    {
        if ((c.count & 63) == 0)
            c.nulls.push_back(0);
        if (null)
            c.nulls.back() |= quint64(1) << (c.count & 63);
        ++c.count;
    }

    std::vector<Column> m_columns;
    std::vector<quint64> m_deleted;
    quint32 m_rows = 0;
};
