#pragma once
// Every cell of an export source copied at once, so that a writer on a thread of its own reads
// rows that no longer change: the table they came from goes on being edited, sorted, refreshed or
// closed meanwhile. A cell takes nine bytes and its text; the snapshot lives as long as the export.

#include "exportsource.h"

#include <QStringList>
#include <string>
#include <vector>

class ExportSnapshot : public ExportSource
{
public:
    /// Reads every cell of source, row by row (on the thread that owns the source).
    explicit ExportSnapshot(const ExportSource& source);

    int columnCount() const override { return int(m_titles.size()); }
    QString columnTitle(int column) const override { return m_titles.at(column); }
    qint64 rowCount() const override { return m_rows; }
    void cell(qint64 row, int column, ExportCell& out) const override;

private:
    QStringList m_titles;
    qint64 m_rows = 0;
    std::vector<quint8> m_kinds;  ///< ExportCell::Kind per cell, row by row
    std::vector<qint64> m_values; ///< the number, the real's bits, or the text's offset in m_text
    std::string m_text;           ///< each text as a 32-bit length and its UTF-8 bytes
};
