#pragma once
// The distinct texts of one column, each stored once as UTF-8 and named by a 32-bit id. A million
// bookings carry only a few thousand distinct student keys and a handful of user names, so a
// column holds ids and the pool holds the text.

#include <QString>
#include <QtGlobal>
#include <string>
#include <string_view>
#include <vector>

class TextPool
{
public:
    static constexpr quint32 kNone = 0xffffffffu;

    /// The id of the text, added when new.
    quint32 intern(const char* data, size_t size);
    quint32 intern(const QString& text);
    /// The id of the text, or kNone when the pool does not hold it.
    quint32 find(const char* data, size_t size) const;
    quint32 find(const QString& text) const;

    quint32 size() const { return quint32(m_offsets.size() - 1); }
    std::string_view view(quint32 id) const
    {
        return std::string_view(m_bytes.data() + m_offsets[id], m_offsets[id + 1] - m_offsets[id]);
    }
    QString text(quint32 id) const;

    /// The position of each id when the texts are ordered as QString::compare orders them (UTF-16
    /// code units); equal texts never occur, so ranks are distinct. Recomputed after the pool grew.
    const std::vector<quint32>& ranks() const;

    void clear();

private:
    static quint64 hashOf(const char* data, size_t size);
    /// The first slot to look at for a hash whose upper half is in slot (the lower half is ignored).
    static size_t home(quint64 slot, size_t mask) { return size_t(slot >> 32) & mask; }
    void grow();

    std::string m_bytes;
    std::vector<quint32> m_offsets{0};
    // Open addressing: each slot holds the upper half of the hash, which also gives its place, and
    // id + 1 (0 marks a free slot).
    std::vector<quint64> m_slots;
    mutable std::vector<quint32> m_ranks;
};

/// Orders two UTF-8 texts as QString::compare orders the same texts in UTF-16.
bool utf16Less(std::string_view a, std::string_view b);
