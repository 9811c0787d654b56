#include "exportsnapshot.h"

#include <cstring>

ExportSnapshot::ExportSnapshot(const ExportSource& source)
    : m_rows(source.rowCount())
{
    const int columns = source.columnCount();
    for (int c = 0; c < columns; ++c)
        m_titles.append(source.columnTitle(c));
    const size_t cells = size_t(m_rows) * size_t(columns);
    m_kinds.reserve(cells);
    m_values.reserve(cells);
    ExportCell cell;
    for (qint64 r = 0; r < m_rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            source.cell(r, c, cell);
            qint64 value = cell.integer;
            if (cell.kind == ExportCell::Real) {
                std::memcpy(&value, &cell.real, sizeof value);
            } else if (cell.kind == ExportCell::Text) {
                value = qint64(m_text.size());
                const quint32 length = quint32(cell.text.size());
                m_text.append(reinterpret_cast<const char*>(&length), sizeof length);
                m_text.append(cell.text);
            }
            m_kinds.push_back(quint8(cell.kind));
            m_values.push_back(value);
        }
    }
}

void ExportSnapshot::cell(qint64 row, int column, ExportCell& out) const
{
    const size_t at = size_t(row) * size_t(m_titles.size()) + size_t(column);
    out.kind = ExportCell::Kind(m_kinds[at]);
    const qint64 value = m_values[at];
    switch (out.kind) {
    case ExportCell::Real:
        std::memcpy(&out.real, &value, sizeof value);
        break;
    case ExportCell::Text: {
        quint32 length = 0;
        std::memcpy(&length, m_text.data() + value, sizeof length);
        out.text = std::string_view(m_text.data() + value + sizeof length, length);
        break;
    }
    default:
        out.integer = value;
    }
}
