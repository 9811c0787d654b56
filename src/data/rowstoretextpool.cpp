#include "rowstoretextpool.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {
// UTF-16 puts characters beyond U+FFFF (surrogate pairs, D800..DFFF) before U+E000..U+FFFF, while
// UTF-8 bytes follow code point order; this key restores the UTF-16 order for one code point.
quint32 utf16OrderKey(quint32 codePoint)
{
    if (codePoint < 0xD800)
        return codePoint;
    if (codePoint >= 0x10000)
        return 0xD800 + (codePoint - 0x10000);
    return codePoint + 0x100000;
}

quint32 decodeAt(std::string_view s, size_t i)
{
    const auto b = [&](size_t k) { return k < s.size() ? quint32(quint8(s[k])) : 0u; };
    const quint32 lead = b(i);
    if (lead < 0x80)
        return lead;
    if (lead < 0xE0)
        return ((lead & 0x1F) << 6) | (b(i + 1) & 0x3F);
    if (lead < 0xF0)
        return ((lead & 0x0F) << 12) | ((b(i + 1) & 0x3F) << 6) | (b(i + 2) & 0x3F);
    return ((lead & 0x07) << 18) | ((b(i + 1) & 0x3F) << 12) | ((b(i + 2) & 0x3F) << 6) | (b(i + 3) & 0x3F);
}
} // namespace

bool utf16Less(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    if (i == n)
        return a.size() < b.size();
    const quint8 x = quint8(a[i]);
    const quint8 y = quint8(b[i]);
    if (x < 0x80 && y < 0x80)
        return x < y;
    // Both texts agree up to i, so the characters that differ start at the same lead byte.
    while (i > 0 && (quint8(a[i]) & 0xC0) == 0x80)
        --i;
    return utf16OrderKey(decodeAt(a, i)) < utf16OrderKey(decodeAt(b, i));
}

quint64 TextPool::hashOf(const char* data, size_t size)
{
    quint64 h = 0x9E3779B97F4A7C15ull ^ (size * 0xFF51AFD7ED558CCDull);
    while (size >= 8) {
        quint64 w;
        std::memcpy(&w, data, 8);
        h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 29;
        data += 8;
        size -= 8;
    }
    quint64 w = 0;
    std::memcpy(&w, data, size);
    h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 32;
    h *= 0xFF51AFD7ED558CCDull;
    return h ^ (h >> 29);
}

quint32 TextPool::find(const char* data, size_t size) const
{
    if (m_slots.empty())
        return kNone;
    const quint64 tag = hashOf(data, size) & 0xFFFFFFFF00000000ull;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = home(tag, mask);; i = (i + 1) & mask) {
        const quint64 slot = m_slots[i];
        if (slot == 0)
            return kNone;
        if ((slot & 0xFFFFFFFF00000000ull) == tag) {
            const quint32 id = quint32(slot) - 1;
            const std::string_view v = view(id);
            if (v.size() == size && std::memcmp(v.data(), data, size) == 0)
                return id;
        }
    }
}

quint32 TextPool::find(const QString& text) const
{
    const QByteArray utf8 = text.toUtf8();
    return find(utf8.constData(), size_t(utf8.size()));
}

quint32 TextPool::intern(const char* data, size_t size)
{
    if ((size_t(this->size()) + 1) * 2 > m_slots.size())
        grow();
    const quint64 tag = hashOf(data, size) & 0xFFFFFFFF00000000ull;
    const size_t mask = m_slots.size() - 1;
    size_t i = home(tag, mask);
    for (;; i = (i + 1) & mask) {
        const quint64 slot = m_slots[i];
        if (slot == 0)
            break;
        if ((slot & 0xFFFFFFFF00000000ull) == tag) {
            const quint32 id = quint32(slot) - 1;
            const std::string_view v = view(id);
            if (v.size() == size && std::memcmp(v.data(), data, size) == 0)
                return id;
        }
    }
    const quint32 id = size_t(this->size());
    m_bytes.append(data, size);
    m_offsets.push_back(quint32(m_bytes.size()));
    m_slots[i] = tag | (quint64(id) + 1);
    return id;
}

quint32 TextPool::intern(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return intern(utf8.constData(), size_t(utf8.size()));
}

// A slot's place follows from the hash bits it keeps, so growing moves slots without reading a text.
void TextPool::grow()
{
    std::vector<quint64> table(std::max<size_t>(16, m_slots.size() * 2), 0);
    const size_t mask = table.size() - 1;
    for (const quint64 slot : m_slots) {
        if (slot == 0)
            continue;
        size_t i = home(slot, mask);
        while (table[i] != 0)
            i = (i + 1) & mask;
        table[i] = slot;
    }
    m_slots.swap(table);
}

QString TextPool::text(quint32 id) const
{
    const std::string_view v = view(id);
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

const std::vector<quint32>& TextPool::ranks() const
{
    if (m_ranks.size() == size())
        return m_ranks;
    std::vector<quint32> order(size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [this](quint32 a, quint32 b) { return utf16Less(view(a), view(b)); });
    m_ranks.assign(size(), 0);
    for (quint32 pos = 0; pos < order.size(); ++pos)
        m_ranks[order[pos]] = pos;
    return m_ranks;
}

void TextPool::clear()
{
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_offsets.assign(1, 0);
    m_offsets.shrink_to_fit();
    std::vector<quint64>().swap(m_slots);
    std::vector<quint32>().swap(m_ranks);
}
