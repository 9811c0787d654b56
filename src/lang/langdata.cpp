#include "langdata.h"

#include "platform/messages.h"

#include <QStringDecoder>
#include <QtEndian>

int LangEntry::propertyCount() const
{
    int count = int(properties.size());
    for (const LangEntry& c : children)
        count += c.propertyCount();
    return count;
}

const LangEntry* LangEntry::child(const QString& childName) const
{
    for (const LangEntry& c : children)
        if (c.name == childName)
            return &c;
    return nullptr;
}

namespace {

void putU8(QByteArray& out, quint8 v)
{
    out.append(char(v));
}

void putU16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putI32(QByteArray& out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putText(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    Q_ASSERT(utf8.size() <= 0xFFFF);
    const quint16 length = quint16(qMin<qsizetype>(utf8.size(), 0xFFFF));
    putU16(out, length);
    out.append(utf8.constData(), length);
}

void putEntry(QByteArray& out, const LangEntry& entry)
{
    putText(out, entry.name);
    putU8(out, entry.properties.isEmpty() ? 0 : 1);
    if (!entry.properties.isEmpty()) {
        putI32(out, qint32(entry.properties.size()));
        for (const LangProperty& p : entry.properties) {
            putI32(out, p.id);
            putText(out, p.path);
        }
    }
    putU8(out, entry.children.isEmpty() ? 0 : 1);
    if (!entry.children.isEmpty()) {
        putI32(out, qint32(entry.children.size()));
        for (const LangEntry& c : entry.children)
            putEntry(out, c);
    }
}

// Reads the byte form without ever looking past the end; the first failure is kept and every
// later read then fails too, so callers may check once after a group of reads.
class Reader
{
public:
    explicit Reader(const QByteArray& bytes)
        : m_bytes(bytes)
    {}

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    bool atEnd() const { return m_pos == m_bytes.size(); }
    qsizetype position() const { return m_pos; }

    void fail(const QString& message)
    {
        if (m_error.isEmpty())
            m_error = Msg::tableFaultAt(message, m_pos);
    }

    quint8 u8()
    {
        if (!take(1))
            return 0;
        return quint8(m_bytes.at(m_pos - 1));
    }

    quint16 u16()
    {
        if (!take(2))
            return 0;
        return qFromLittleEndian<quint16>(m_bytes.constData() + m_pos - 2);
    }

    qint32 i32()
    {
        if (!take(4))
            return 0;
        return qFromLittleEndian<qint32>(m_bytes.constData() + m_pos - 4);
    }

    QString text()
    {
        const quint16 length = u16();
        if (!take(length))
            return {};
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString result = decoder.decode(QByteArrayView(m_bytes.constData() + m_pos - length, length));
        if (decoder.hasError())
            fail(Msg::tableBadText());
        return result;
    }

    qint32 count()
    {
        const qint32 n = i32();
        if (n < 0)
            fail(Msg::tableNegativeCount());
        return n;
    }

private:
    bool take(qsizetype n)
    {
        if (failed())
            return false;
        if (n > m_bytes.size() - m_pos) {
            fail(Msg::tableTruncated());
            return false;
        }
        m_pos += n;
        return true;
    }

    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
    QString m_error;
};

bool readEntry(Reader& in, LangEntry& entry, int depth)
{
    if (depth > LangData::MaxDepth) {
        in.fail(Msg::tableTooDeep());
        return false;
    }
    entry.name = in.text();
    if (in.u8() != 0) {
        const qint32 n = in.count();
        // Counts come from the data; the loop ends at the first failed read, so a huge count in
        // a short buffer costs nothing.
        for (qint32 i = 0; i < n && !in.failed(); ++i) {
            LangProperty p;
            p.id = in.i32();
            p.path = in.text();
            if (!in.failed())
                entry.properties.append(p);
        }
    }
    if (in.u8() != 0) {
        const qint32 n = in.count();
        for (qint32 i = 0; i < n && !in.failed(); ++i) {
            LangEntry child;
            if (readEntry(in, child, depth + 1))
                entry.children.append(std::move(child));
        }
    }
    return !in.failed();
}

} // namespace

QByteArray LangData::encode(const LangEntry& root)
{
    QByteArray out;
    putEntry(out, root);
    return out;
}

std::optional<LangEntry> LangData::decode(const QByteArray& bytes, QString* error)
{
    Reader in(bytes);
    LangEntry root;
    if (readEntry(in, root, 0) && !in.atEnd())
        in.fail(Msg::tableTrailingData());
    if (in.failed()) {
        if (error)
            *error = in.error();
        return std::nullopt;
    }
    return root;
}
