// Finding a text in the shown cells of the visible rows. Each searched field gets a matcher made
// once per search, so that a scan over a million rows costs a few lookups per cell:
// - a text column remembers, per interned text, whether it holds the text (each distinct text is
//   looked at once);
// - number and date-time columns are skipped when the text holds a character their shown form
//   never has, and otherwise formatted into a small buffer, never into a QString;
// - a lookup field first finds the rows of its lookup table whose result holds the text, and then
//   only compares each row's key with their keys (nothing to compare: the field is skipped).

#include "snapshotparts.h"

#include <algorithm>
#include <charconv>

namespace {

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// The searched text. When each of its characters is ASCII or has no other letter case (Chinese),
// UTF-8 bytes are compared with ASCII letters folded; otherwise texts are compared as QStrings.
class Needle
{
public:
    explicit Needle(const QString& text)
        : m_text(text)
    {
        for (QChar c : text) {
            if (c.unicode() >= 0x80 && (c.toLower() != c || c.toUpper() != c || c.toCaseFolded() != c))
                m_bytewise = false;
            if (!QStringView(u"-0123456789").contains(c))
                m_number = false;
            if (!QStringView(u"0123456789/: ").contains(c))
                m_dateTime = false;
        }
        m_bytes = text.toUtf8();
        for (char& c : m_bytes)
            c = foldAscii(c);
    }
    bool couldBeNumber() const { return m_number; }
    bool couldBeDateTime() const { return m_dateTime; }
    std::string_view bytes() const { return {m_bytes.constData(), size_t(m_bytes.size())}; }

    bool in(std::string_view s) const
    {
        if (!m_bytewise)
            return QString::fromUtf8(s.data(), qsizetype(s.size())).contains(m_text, Qt::CaseInsensitive);
        const std::string_view n = bytes();
        if (n.size() > s.size())
            return false;
        for (size_t i = 0; i + n.size() <= s.size(); ++i) {
            if (foldAscii(s[i]) != n[0])
                continue;
            size_t k = 1;
            while (k < n.size() && foldAscii(s[i + k]) == n[k])
                ++k;
            if (k == n.size())
                return true;
        }
        return false;
    }
    bool in(const QString& s) const { return s.contains(m_text, Qt::CaseInsensitive); }

private:
    QString m_text;
    QByteArray m_bytes;
    bool m_bytewise = true;
    bool m_number = true;
    bool m_dateTime = true;
};

// How one stored column holds the text, row by row.
struct ColumnMatch {
    enum Kind { Never, Text, Number, DateTime };
    Kind kind = Never;
    const RowStore* store = nullptr;
    int col = -1;
    std::vector<quint8> seen; ///< Text: per text id, 0 not yet known, 1 no, 2 yes

    ColumnMatch() = default;
    ColumnMatch(const RowStore& s, int column, const Needle& needle)
        : store(&s)
        , col(column)
    {
        const FieldType type = s.type(column);
        if (type == FieldType::Text)
            kind = Text;
        else if (type == FieldType::DateTime)
            kind = needle.couldBeDateTime() ? DateTime : Never;
        else
            kind = needle.couldBeNumber() ? Number : Never;
    }

    bool matches(quint32 row, const Needle& needle)
    {
        if (kind == Never || store->isNull(col, row))
            return false;
        if (kind == Text) {
            const quint32 id = store->textId(col, row);
            if (id >= seen.size())
                seen.resize(store->pool(col).size(), 0);
            quint8& known = seen[id];
            if (!known)
                known = needle.in(store->pool(col).view(id)) ? 2 : 1;
            return known == 2;
        }
        char buffer[24];
        const qint64 n = store->number(col, row);
        size_t length;
        if (kind == Number) {
            length = size_t(std::to_chars(buffer, buffer + sizeof buffer, n).ptr - buffer);
        } else {
            // yyyy/MM/dd HH:mm:ss, as the grid shows it, two digits at a time in 32-bit steps.
            static const char pairs[] =
                "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                "8081828384858687888990919293949596979899";
            const auto put = [&](quint32 v, char*& o) {
                o[0] = pairs[2 * v];
                o[1] = pairs[2 * v + 1];
                o += 2;
            };
            const quint32 date = quint32(n / 1000000);
            const quint32 time = quint32(n % 1000000);
            char* o = buffer;
            put(date / 1000000 % 100, o), put(date / 10000 % 100, o), *o++ = '/';
            put(date / 100 % 100, o), *o++ = '/', put(date % 100, o), *o++ = ' ';
            put(time / 10000, o), *o++ = ':', put(time / 100 % 100, o), *o++ = ':', put(time % 100, o);
            length = size_t(o - buffer);
        }
        return std::string_view(buffer, length).find(needle.bytes()) != std::string_view::npos;
    }
};

} // namespace

SnapshotTable::FindHit SnapshotTable::findText(const QString& text, const std::vector<int>& fieldIndexes, int from,
                                               bool forward) const
{
    const int count = recordCount();
    if (text.isEmpty() || count == 0)
        return {};
    const Needle needle(text);

    // One matcher per searched field: its own column, a lookup compared by key, or (a lookup whose
    // key or result needs converting) the shown text itself.
    struct FieldMatch {
        enum Kind { Never, Stored, LookupText, LookupNumber, Shown };
        Kind kind = Never;
        int field = -1;
        ColumnMatch column;
        int keyCol = -1;
        std::vector<quint8> keyIds;
        std::vector<qint64> keyNumbers;
    };
    std::vector<FieldMatch> matchers;
    for (const int field : fieldIndexes) {
        if (field < 0 || field >= this->m->fields.count())
            continue;
        FieldMatch m;
        m.field = field;
        const int col = this->m->fields.column(field);
        if (col >= 0) {
            m.kind = FieldMatch::Stored;
            m.column = ColumnMatch(this->m->store, col, needle);
            if (m.column.kind != ColumnMatch::Never)
                matchers.push_back(std::move(m));
            continue;
        }
        LookupFields::Source source;
        if (!this->m->lookups.source(field, source))
            continue;
        const SnapshotTable& lookup = *source.table;
        const RowStore& lookupRows = lookup.rows();
        m.keyCol = this->m->fields.column(source.keyField);
        const FieldType keyType = this->m->store.type(m.keyCol);
        const FieldType lookupKeyType = lookupRows.type(source.lookupColumn);
        const bool textKeys = keyType == FieldType::Text && lookupKeyType == FieldType::Text;
        const bool numberKeys = keyType != FieldType::Text && keyType != FieldType::DateTime
                                && lookupKeyType != FieldType::Text && lookupKeyType != FieldType::DateTime;
        if (lookupRows.type(source.resultColumn) != this->m->fields.type(field) || !(textKeys || numberKeys)) {
            m.kind = FieldMatch::Shown;
            matchers.push_back(std::move(m));
            continue;
        }
        // The lookup rows whose result holds the text and that a key finds (the first of its key).
        ColumnMatch result(lookupRows, source.resultColumn, needle);
        const int lookupCol = source.lookupColumn;
        for (quint32 r = 0; result.kind != ColumnMatch::Never && r < lookupRows.rowCount(); ++r) {
            if (lookupRows.isDeleted(r) || lookupRows.isNull(lookupCol, r) || !result.matches(r, needle))
                continue;
            if (textKeys) {
                const quint32 id = lookupRows.textId(lookupCol, r);
                if (lookup.findRowByTextId(lookupCol, id) != qint64(r))
                    continue;
                const std::string_view key = lookupRows.pool(lookupCol).view(id);
                const quint32 own = this->m->store.pool(m.keyCol).find(key.data(), key.size());
                if (own == TextPool::kNone)
                    continue;
                if (own >= m.keyIds.size())
                    m.keyIds.resize(own + 1, 0);
                m.keyIds[own] = 1;
            } else {
                const qint64 key = lookupRows.number(lookupCol, r);
                if (lookup.findRow(lookupCol, CellValue::ofNumber(key)) == qint64(r))
                    m.keyNumbers.push_back(key);
            }
        }
        if (m.keyIds.empty() && m.keyNumbers.empty())
            continue;
        std::sort(m.keyNumbers.begin(), m.keyNumbers.end());
        m.kind = textKeys ? FieldMatch::LookupText : FieldMatch::LookupNumber;
        matchers.push_back(std::move(m));
    }

    const auto holds = [&](FieldMatch& m, int row) {
        if (m.kind == FieldMatch::Shown || bufferRow(row))
            return needle.in(cellText(row, m.field));
        const quint32 storeRow = this->m->visible[size_t(row)];
        switch (m.kind) {
        case FieldMatch::Stored:
            return m.column.matches(storeRow, needle);
        case FieldMatch::LookupText: {
            if (this->m->store.isNull(m.keyCol, storeRow))
                return false;
            const quint32 id = this->m->store.textId(m.keyCol, storeRow);
            return id < m.keyIds.size() && m.keyIds[id] != 0;
        }
        case FieldMatch::LookupNumber:
            return !this->m->store.isNull(m.keyCol, storeRow)
                   && std::binary_search(m.keyNumbers.begin(), m.keyNumbers.end(),
                                         this->m->store.number(m.keyCol, storeRow));
        default:
            return false;
        }
    };

    if (matchers.empty())
        return {};
    from = std::clamp(from, -1, count);
    // Just before the start going forwards, or past the end going backwards, is no wrap yet.
    if (forward && from < 0)
        from = 0;
    if (!forward && from >= count)
        from = count - 1;
    for (int step = 0; step < count; ++step) {
        int row = forward ? from + step : from - step;
        const bool wrapped = row < 0 || row >= count;
        row = (row % count + count) % count;
        for (FieldMatch& m : matchers) {
            if (holds(m, row))
                return {row, m.field, wrapped};
        }
    }
    return {};
}
