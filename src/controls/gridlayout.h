#pragma once
// The remembered layout of a grid: the order of its columns, the hidden ones, their widths and the
// sort of a grid that sorts, by field name. Kept per window and grid, one section each
// ("frmStudent.grdStudent"), in the user's ryn/layout.ini under $XDG_CONFIG_HOME (~/.config), which
// is written whole under a temporary name and renamed. Filters are not part of it.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct GridLayout {
    QStringList order;  ///< field names, leftmost first
    QStringList hidden; ///< field names
    QList<QPair<QString, int>> widths;
    QString sort; ///< the table's sort text; empty for a grid that does not sort

    bool isEmpty() const { return order.isEmpty() && hidden.isEmpty() && widths.isEmpty() && sort.isEmpty(); }
    bool operator==(const GridLayout& other) const
    {
        return order == other.order && hidden == other.hidden && widths == other.widths && sort == other.sort;
    }

    /// The file.
    static QString path();
    /// The layout stored under section; an empty one when there is none or the file is unreadable.
    static GridLayout read(const QString& section);
    /// Stores the layout under section; throws AppError when the file cannot be written.
    static void write(const QString& section, const GridLayout& layout);
};
