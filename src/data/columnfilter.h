#pragma once
// The filter boxes of a grid, one per column, as tests of the visible rows. Each box's text is a
// test of one field's shown value:
// - any text: the shown value contains it, letters compared without case;
// - a number or date-time field also takes a comparison or a range: >10, >=10, <5, <=5, =7, 10..20,
//   and dates as 2026 (a year), 2026/10 (a month), 2026/10/01 (a day), 2026/10/01..2026/10/15 or
//   >=2026/10 (from the start of the month on);
// - a text field also takes a range of texts, both ends given: S010000..S010099 (compared as texts).
// The boxes combine with AND. A text that is no comparison is a "contains" test, so a box never
// refuses what is typed into it.

#include "field.h"

#include <QString>
#include <limits>
#include <vector>

class LookupFields;
class RowStore;
class SnapshotFields;

/// What one box asks of its field's values.
struct ColumnTest {
    enum class Kind { Contains, Range, TextRange };
    Kind kind = Kind::Contains;
    QString text;                                     ///< Contains
    qint64 low = std::numeric_limits<qint64>::min();  ///< Range, inclusive
    qint64 high = std::numeric_limits<qint64>::max(); ///< Range, inclusive; date-times packed yyyyMMddHHmmss
    QString lowText, highText;                        ///< TextRange, inclusive

    /// The test a box's text means for a field of the given type; an empty text tests nothing.
    static ColumnTest parse(const QString& text, FieldType type);
    bool operator==(const ColumnTest& other) const
    {
        return kind == other.kind && text == other.text && low == other.low && high == other.high
               && lowText == other.lowText && highText == other.highText;
    }
    /// True when a value of the field passes: the shown text for Contains, the number (date-times
    /// packed) for Range. A value-less cell passes only an empty Contains test.
    bool passes(bool null, qint64 number, const QString& shown) const;
};

/// The boxes of one table's grid: field index and test, tests to be met together.
class ColumnFilters
{
public:
    struct Entry {
        int field = -1;
        ColumnTest test;
    };

    bool empty() const { return m_entries.empty(); }
    const std::vector<Entry>& entries() const { return m_entries; }
    /// Replaces the tests; false when they are the same as before.
    bool set(std::vector<Entry> entries);

    /// The rows of rows (store row numbers, in order) that pass every test or are among keep
    /// (sorted), order kept.
    std::vector<quint32> apply(const std::vector<quint32>& rows, const SnapshotFields& fields, const RowStore& store,
                               const LookupFields& lookups, const std::vector<quint32>& keep = {}) const;

private:
    std::vector<Entry> m_entries;
};
