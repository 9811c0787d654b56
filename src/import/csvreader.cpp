#include "csvreader.h"

#include "platform/errors.h"
#include "platform/messages.h"

namespace {
constexpr qint64 kChunk = 1 << 20;

// True when every byte of the device is UTF-8 (a split sequence at a chunk's end is carried over).
bool wholeUtf8(QIODevice* device)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    while (!device->atEnd()) {
        const QByteArray chunk = device->read(kChunk);
        if (chunk.isEmpty())
            break;
        const QString ignored = utf8.decode(chunk);
        if (utf8.hasError())
            return false;
    }
    // A sequence cut off at the very end is not UTF-8 either.
    const QString rest = utf8.decode(QByteArray());
    return !utf8.hasError() && rest.isEmpty();
}
} // namespace

CsvReader::CsvReader(QIODevice* device)
    : m_device(device)
{
    const QByteArray head = device->peek(3);
    const bool bom = head.startsWith("\xEF\xBB\xBF");
    if (bom || wholeUtf8(device)) {
        m_encoding = bom ? QStringLiteral("UTF-8 (BOM)") : QStringLiteral("UTF-8");
        m_decoder = QStringDecoder(QStringConverter::Utf8);
    } else {
        m_encoding = QStringLiteral("Big5");
        m_decoder = QStringDecoder("Big5");
        if (!m_decoder.isValid())
            throw AppError(Msg::importEncodingMissing(m_encoding));
    }
    if (!device->seek(0))
        throw AppError(Msg::importUnreadable(device->errorString()));
}

bool CsvReader::fill()
{
    while (!m_atEnd) {
        const QByteArray chunk = m_device->read(kChunk);
        if (chunk.isEmpty()) {
            m_atEnd = true;
            m_text = m_text.mid(m_pos) + m_decoder.decode(QByteArray());
            m_pos = 0;
            return true;
        }
        const QString decoded = m_decoder.decode(chunk);
        if (decoded.isEmpty())
            continue;
        m_text = m_text.mid(m_pos) + decoded;
        m_pos = 0;
        return true;
    }
    return false;
}

bool CsvReader::next(Sheet::Row& row)
{
    for (;;) {
        const qsizetype size = m_text.size();
        if (m_pos >= size) {
            if (m_atEnd || !fill())
                return false;
            continue;
        }
        QStringList fields;
        QString field;
        bool quoted = false;
        bool needMore = false;
        bool done = false;
        qsizetype i = m_pos;
        while (!done) {
            if (i >= size) {
                if (!m_atEnd) {
                    needMore = true;
                    break;
                }
                done = true;
                continue;
            }
            const QChar c = m_text.at(i);
            if (quoted) {
                if (c != QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else if (i + 1 >= size && !m_atEnd) {
                    needMore = true;
                    break;
                } else if (i + 1 < size && m_text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    i += 2;
                } else {
                    quoted = false;
                    ++i;
                }
            } else if (c == QLatin1Char(',')) {
                fields.append(field);
                field.clear();
                ++i;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                if (c == QLatin1Char('\r') && i + 1 >= size && !m_atEnd) {
                    needMore = true;
                    break;
                }
                i += (c == QLatin1Char('\r') && i + 1 < size && m_text.at(i + 1) == QLatin1Char('\n')) ? 2 : 1;
                done = true;
            } else if (c == QLatin1Char('"') && field.isEmpty()) {
                quoted = true;
                ++i;
            } else {
                field += c;
                ++i;
            }
        }
        if (needMore) {
            if (!fill())
                return false;
            continue;
        }
        fields.append(field);
        m_pos = i;
        row.number = ++m_record;
        row.cells = fields;
        return true;
    }
}
