#pragma once
// The title row of a file matched to a record kind's columns. A title names a column when it is the
// column's field name (letter case ignored) or the caption of its label or grid column in any
// interface language, so that an export of the window's grid is its own template.

#include "rowrules.h"

namespace Import {

struct ColumnMatch {
    QList<int> cellOf;   ///< per column of the rules: the file's column index, -1 when absent
    QStringList titles;  ///< per column of the rules: its title in the file (else its first caption)
    QStringList unknown; ///< the file's titles that name no column
    QStringList missing; ///< required columns the file lacks, by their first caption
};

/// The titles each column of rules is known by: its field name, its built-in captions and their
/// translations in every registered language file.
QList<QStringList> knownTitles(const Rules& rules);

ColumnMatch matchColumns(const QStringList& header, const Rules& rules, const QList<QStringList>& known);

/// The row's texts in the order of the rules' columns.
QStringList cellsInOrder(const QStringList& cells, const ColumnMatch& match);
} // namespace Import
