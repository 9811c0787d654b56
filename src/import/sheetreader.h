#pragma once
// Rows of a spreadsheet file, read one at a time: the first worksheet of an Excel workbook (.xlsx)
// or the records of a CSV file. Each row comes with its number as the spreadsheet shows it, so a
// fault can be pointed at. Neither reader holds more than the row it hands out (a workbook's shared
// strings excepted, which every row may refer to).

#include <QString>
#include <QStringList>
#include <memory>

namespace Sheet {
/// Files larger than this are refused before anything is read.
constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;
/// Rows beyond this many (the title row not counted) are refused.
constexpr qint64 MaxRows = 1000000;

struct Row {
    qint64 number = 0; ///< as the spreadsheet numbers it, from 1
    QStringList cells; ///< by column from A; missing cells at the end are absent
};

class Reader
{
public:
    virtual ~Reader() = default;
    /// What the file was read as, for the preview: "Excel (.xlsx)", "UTF-8", "UTF-8 (BOM)", "Big5".
    virtual QString encoding() const = 0;
    /// The next row; false after the last. Throws AppError when the file is broken or too large.
    virtual bool next(Row& row) = 0;
};

/// Opens a file by its extension (.xlsx, or anything else as CSV). Throws AppError when the file
/// cannot be opened, is larger than MaxFileBytes or is not a workbook.
std::unique_ptr<Reader> open(const QString& path);

/// True when the row holds nothing but empty or blank cells.
bool blank(const Row& row);
} // namespace Sheet
