#include "rowstore.h"

void RowStore::reset(const std::vector<FieldType>& types)
{
    clear();
    m_columns.resize(types.size());
    for (size_t i = 0; i < types.size(); ++i) {
        Column& c = m_columns[i];
        c.type = types[i];
        c.narrow = SnapshotValue::isNarrow(types[i]);
        if (types[i] == FieldType::Text)
            c.pool = std::make_unique<TextPool>();
    }
}

void RowStore::clear()
{
    std::vector<Column>().swap(m_columns);
    std::vector<quint64>().swap(m_deleted);
    m_rows = 0;
}

quint32 RowStore::appendRow(const std::vector<CellValue>& values)
{
    for (int col = 0; col < columnCount(); ++col) {
        const CellValue& v = values[size_t(col)];
        if (v.null)
            appendNull(col);
        else if (m_columns[col].type == FieldType::Text) {
            const QByteArray utf8 = v.text.toUtf8();
            appendText(col, utf8.constData(), size_t(utf8.size()));
        } else
            appendNumber(col, v.number);
    }
    endRow();
    return m_rows - 1;
}

quint32 RowStore::appendRowFrom(const RowStore& other, quint32 row)
{
    for (int col = 0; col < columnCount(); ++col) {
        if (other.isNull(col, row)) {
            appendNull(col);
        } else if (m_columns[col].type == FieldType::Text) {
            const std::string_view v = other.pool(col).view(other.textId(col, row));
            appendText(col, v.data(), v.size());
        } else {
            appendNumber(col, other.number(col, row));
        }
    }
    endRow();
    return m_rows - 1;
}

CellValue RowStore::cell(int col, quint32 row) const
{
    if (isNull(col, row))
        return CellValue();
    if (m_columns[col].type == FieldType::Text)
        return CellValue::ofText(m_columns[col].pool->text(textId(col, row)));
    return CellValue::ofNumber(number(col, row));
}

QString RowStore::cellText(int col, quint32 row) const
{
    if (isNull(col, row))
        return QString();
    switch (m_columns[col].type) {
    case FieldType::Text:
        return m_columns[col].pool->text(textId(col, row));
    case FieldType::DateTime:
        return SnapshotValue::dateTimeText(number(col, row));
    default:
        return QString::number(number(col, row));
    }
}

void RowStore::setCell(int col, quint32 row, const CellValue& value)
{
    Column& c = m_columns[col];
    quint64& word = c.nulls[row >> 6];
    const quint64 bit = quint64(1) << (row & 63);
    if (value.null) {
        word |= bit;
        return;
    }
    word &= ~bit;
    if (c.type == FieldType::Text)
        c.small.at(row) = qint32(c.pool->intern(value.text));
    else if (c.narrow)
        c.small.at(row) = qint32(value.number);
    else
        c.wide.at(row) = value.number;
}

bool RowStore::holds(int col, quint32 row, const CellValue& value) const
{
    if (isNull(col, row) || value.null)
        return isNull(col, row) == value.null;
    if (m_columns[col].type == FieldType::Text)
        return m_columns[col].pool->find(value.text) == textId(col, row);
    return number(col, row) == value.number;
}

void RowStore::markDeleted(quint32 row)
{
    if (m_deleted.size() < (size_t(m_rows) + 63) / 64)
        m_deleted.resize((size_t(m_rows) + 63) / 64, 0);
    m_deleted[row >> 6] |= quint64(1) << (row & 63);
}
