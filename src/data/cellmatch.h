#pragma once
// Whether a cell's shown text contains a text, letters compared without case, read straight from
// the row store: the find bar and the filter boxes both ask it of a million rows per keystroke.
// - a text column remembers, per interned text, whether it holds the text (each distinct text is
//   looked at once);
// - number and date-time columns are skipped when the text holds a character their shown form
//   never has, and otherwise formatted into a small buffer, never into a QString.

#include "rowstore.h"

#include <QByteArray>
#include <QString>
#include <charconv>
#include <string_view>
#include <vector>

namespace CellMatch {

inline char foldAscii(char c)
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

} // namespace CellMatch
