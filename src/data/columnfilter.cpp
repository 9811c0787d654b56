#include "columnfilter.h"

#include "cellmatch.h"
#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshotlookup.h"

#include <QDate>
#include <algorithm>
#include <memory>

namespace {
constexpr qint64 kDay = 1000000;      // yyyyMMddHHmmss: one day's step
constexpr qint64 kMonth = 100 * kDay; // one month's step
constexpr qint64 kYear = 100 * kMonth;

bool allDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!c.isDigit() || c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// A date typed as a year, a month (2026/10) or a day (2026/10/01): the first and the last second of
// that span, packed.
bool dateSpan(QStringView text, qint64& first, qint64& last)
{
    QList<QStringView> parts = text.split(QLatin1Char('/'));
    if (parts.size() == 1)
        parts = text.split(QLatin1Char('-'));
    if (parts.isEmpty() || parts.size() > 3)
        return false;
    for (QStringView p : parts) {
        if (!allDigits(p) || p.size() > 4)
            return false;
    }
    if (parts.at(0).size() != 4)
        return false;
    const int year = parts.at(0).toInt();
    const int month = parts.size() > 1 ? parts.at(1).toInt() : 0;
    const int day = parts.size() > 2 ? parts.at(2).toInt() : 0;
    if (parts.size() > 1 && (month < 1 || month > 12))
        return false;
    if (parts.size() > 2 && !QDate(year, month, day).isValid())
        return false;
    const qint64 base = year * kYear;
    if (parts.size() == 1) {
        first = base + 1 * kMonth + 1 * kDay;
        last = base + 12 * kMonth + 31 * kDay + 235959;
    } else if (parts.size() == 2) {
        first = base + month * kMonth + 1 * kDay;
        last = base + month * kMonth + QDate(year, month, 1).daysInMonth() * kDay + 235959;
    } else {
        first = base + month * kMonth + day * kDay;
        last = first + 235959;
    }
    return true;
}

// A bound as typed: for a number the number itself twice, for a date its first and last second.
bool bound(QStringView text, FieldType type, qint64& first, qint64& last)
{
    text = text.trimmed();
    if (type == FieldType::DateTime)
        return dateSpan(text, first, last);
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    first = last = n;
    return ok && !text.startsWith(QLatin1Char('+'));
}
} // namespace

ColumnTest ColumnTest::parse(const QString& typed, FieldType type)
{
    ColumnTest test;
    test.text = typed.trimmed();
    if (test.text.isEmpty())
        return test;
    const QStringView text(test.text);
    if (type == FieldType::Text) {
        const qsizetype dots = text.indexOf(QLatin1String(".."));
        if (dots <= 0 || dots + 2 >= text.size())
            return test;
        ColumnTest range;
        range.kind = Kind::TextRange;
        range.lowText = text.left(dots).trimmed().toString();
        range.highText = text.mid(dots + 2).trimmed().toString();
        return range.lowText.isEmpty() || range.highText.isEmpty() ? test : range;
    }
    qint64 first = 0;
    qint64 last = 0;
    const qsizetype dots = text.indexOf(QLatin1String(".."));
    if (dots >= 0) {
        // A range; either end may be left open.
        const QStringView from = text.left(dots).trimmed();
        const QStringView to = text.mid(dots + 2).trimmed();
        if (from.isEmpty() && to.isEmpty())
            return test;
        ColumnTest range;
        range.kind = Kind::Range;
        if (!from.isEmpty()) {
            if (!bound(from, type, first, last))
                return test;
            range.low = first;
        }
        if (!to.isEmpty()) {
            if (!bound(to, type, first, last))
                return test;
            range.high = last;
        }
        return range;
    }
    static const struct {
        const char* op;
        int length;
    } ops[] = {{">=", 2}, {"<=", 2}, {">", 1}, {"<", 1}, {"=", 1}};
    for (const auto& [op, length] : ops) {
        if (!text.startsWith(QLatin1String(op)))
            continue;
        if (!bound(text.mid(length), type, first, last))
            return test;
        ColumnTest range;
        range.kind = Kind::Range;
        const QLatin1String o(op);
        if (o == QLatin1String(">=")) {
            range.low = first;
        } else if (o == QLatin1String("<=")) {
            range.high = last;
        } else if (o == QLatin1String(">")) {
            // Nothing is above the largest number.
            if (last == std::numeric_limits<qint64>::max())
                range.low = std::numeric_limits<qint64>::max(), range.high = std::numeric_limits<qint64>::min();
            else
                range.low = last + 1;
        } else if (o == QLatin1String("<")) {
            // Nothing is below the smallest.
            if (first == std::numeric_limits<qint64>::min())
                range.low = std::numeric_limits<qint64>::max(), range.high = std::numeric_limits<qint64>::min();
            else
                range.high = first - 1;
        } else {
            range.low = first;
            range.high = last;
        }
        return range;
    }
    // A date alone is its span; a number alone is a text its shown value contains.
    if (type == FieldType::DateTime && dateSpan(text, first, last)) {
        ColumnTest range;
        range.kind = Kind::Range;
        range.low = first;
        range.high = last;
        return range;
    }
    return test;
}

bool ColumnTest::passes(bool null, qint64 number, const QString& shown) const
{
    if (kind == Kind::Range)
        return !null && number >= low && number <= high;
    if (kind == Kind::TextRange)
        return !null && shown.compare(lowText, Qt::CaseInsensitive) >= 0
               && shown.compare(highText, Qt::CaseInsensitive) <= 0;
    if (text.isEmpty())
        return true;
    return !null && shown.contains(text, Qt::CaseInsensitive);
}

bool ColumnFilters::set(std::vector<Entry> entries)
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const Entry& e) {
                                     return e.field < 0
                                            || (e.test.kind == ColumnTest::Kind::Contains && e.test.text.isEmpty());
                                 }),
                  entries.end());
    const bool same =
        entries.size() == m_entries.size()
        && std::equal(entries.begin(), entries.end(), m_entries.begin(),
                      [](const Entry& a, const Entry& b) { return a.field == b.field && a.test == b.test; });
    m_entries = std::move(entries);
    return !same;
}

namespace {
// One box's test made ready for a scan: a stored column read in place, or a lookup field whose
// result is tested once per lookup row.
struct Scan {
    const ColumnTest* test = nullptr;
    int field = -1;
    int col = -1;
    FieldType type = FieldType::Text;
    std::unique_ptr<CellMatch::Needle> needle;
    CellMatch::ColumnMatch contains;
    std::vector<quint8> byLookupRow; ///< by lookup row + 1 (or text id): 0 not yet known, 1 fails, 2 passes
    int keyCol = -1;                 ///< a lookup's key column when it holds texts
    std::vector<quint8> byKeyText;   ///< by text id of keyCol, as byLookupRow

    bool passes(quint32 row, const RowStore& store, const LookupFields& lookups)
    {
        if (col >= 0 && test->kind == ColumnTest::Kind::TextRange) {
            // Each distinct text is compared once.
            if (store.isNull(col, row))
                return false;
            const quint32 id = store.textId(col, row);
            if (id >= byLookupRow.size())
                byLookupRow.resize(store.pool(col).size(), 0);
            quint8& known = byLookupRow[id];
            if (!known) {
                const std::string_view v = store.pool(col).view(id);
                known = test->passes(false, 0, QString::fromUtf8(v.data(), qsizetype(v.size()))) ? 2 : 1;
            }
            return known == 2;
        }
        if (col >= 0) {
            if (test->kind == ColumnTest::Kind::Range)
                return test->passes(store.isNull(col, row), store.isNull(col, row) ? 0 : store.number(col, row), {});
            return contains.matches(row, *needle);
        }
        // A text key: the answer is the same for every row holding the same key text.
        quint8* byKey = nullptr;
        if (keyCol >= 0 && !store.isNull(keyCol, row)) {
            const quint32 id = store.textId(keyCol, row);
            if (id >= byKeyText.size())
                byKeyText.resize(store.pool(keyCol).size(), 0);
            byKey = &byKeyText[id];
            if (*byKey)
                return *byKey == 2;
        }
        const qint64 lookupRow = lookups.rowOfStored(field, row);
        const size_t slot = size_t(lookupRow + 1);
        if (slot >= byLookupRow.size())
            byLookupRow.resize(slot + 1, 0);
        quint8& known = byLookupRow[slot];
        if (!known) {
            const CellValue v = lookups.result(field, lookupRow);
            known = test->passes(v.null, v.number, SnapshotValue::toText(v, type)) ? 2 : 1;
        }
        if (byKey)
            *byKey = known;
        return known == 2;
    }
};
} // namespace

std::vector<quint32> ColumnFilters::apply(const std::vector<quint32>& rows, const SnapshotFields& fields,
                                          const RowStore& store, const LookupFields& lookups,
                                          const std::vector<quint32>& keep) const
{
    std::vector<Scan> scans(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i) {
        Scan& s = scans[i];
        s.test = &m_entries[i].test;
        s.field = m_entries[i].field;
        s.type = fields.type(s.field);
        s.col = fields.column(s.field);
        LookupFields::Source source;
        if (s.col < 0 && lookups.source(s.field, source) && fields.column(source.keyField) >= 0
            && store.type(fields.column(source.keyField)) == FieldType::Text)
            s.keyCol = fields.column(source.keyField);
        if (s.col >= 0 && s.test->kind == ColumnTest::Kind::Contains) {
            s.needle = std::make_unique<CellMatch::Needle>(s.test->text);
            s.contains = CellMatch::ColumnMatch(store, s.col, *s.needle);
        }
    }
    std::vector<quint32> kept;
    kept.reserve(rows.size());
    for (const quint32 row : rows) {
        bool all = true;
        for (Scan& s : scans) {
            if (!s.passes(row, store, lookups)) {
                all = false;
                break;
            }
        }
        if (all || (!keep.empty() && std::binary_search(keep.begin(), keep.end(), row)))
            kept.push_back(row);
    }
    kept.shrink_to_fit();
    return kept;
}
