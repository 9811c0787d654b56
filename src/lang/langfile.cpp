#include "langfile.h"

#include "platform/errors.h"
#include "platform/messages.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>

namespace {

const QString kConstantsSection = QStringLiteral("$constants");
const QString kLanguageIdParameter = QStringLiteral("LANGID");
constexpr qint64 kChunkSize = 64 * 1024;

QString foldedKey(const QString& name)
{
    return name.toCaseFolded();
}

AppError loadingFailed(int lineIndex, const QString& message)
{
    return AppError(
        QStringLiteral("Loading translations failed.\r\nLine %1: %2").arg(QString::number(lineIndex), message));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A positive decimal number that fits a signed 32-bit integer; anything else gives 0. Leading
// zeros are allowed (the canonical form pads IDs to eight digits).
qint32 parseTranslationId(const QString& text)
{
    if (text.isEmpty())
        return 0;
    qint64 value = 0;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return 0;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<qint32>::max())
            return 0;
    }
    return qint32(value);
}

// An optionally signed decimal number within the signed 32-bit range, or 0.
qint32 parseSignedNumber(const QString& text)
{
    int pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+'))) {
        negative = text[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos == text.size())
        return 0;
    qint64 value = 0;
    for (; pos < text.size(); ++pos) {
        if (!isAsciiDigit(text[pos]))
            return 0;
        value = value * 10 + (text[pos].unicode() - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(value);
}

} // namespace

struct LangFile::Parser {
    enum class Where { Parameters, Constants, Window };

    Parser(LangFile& target, Mode readMode)
        : file(target)
        , mode(readMode)
    {}

    LangFile& file;
    Mode mode;
    Where where = Where::Parameters;
    QString sectionKey;
    bool stopped = false;

    void addLine(const QString& rawLine, int lineIndex)
    {
        const QString line = LangFile::trimmed(rawLine);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            return;
        if (line.startsWith(QLatin1Char('['))) {
            if (mode == Mode::ParametersOnly) {
                stopped = true;
                return;
            }
            if (line.size() > 2 && line.endsWith(QLatin1Char(']')))
                enterSection(LangFile::trimmed(line.mid(1, line.size() - 2)));
            return;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return;
        const QString name = LangFile::trimmed(line.left(eq));
        if (name.isEmpty())
            return;
        const QString value = LangFile::trimmed(line.mid(eq + 1));
        switch (where) {
        case Where::Parameters:
            file.m_parameters.insert(foldedKey(name), value);
            break;
        case Where::Constants:
            file.m_constants.insert(foldedKey(name), LangFile::decodeValue(value));
            break;
        case Where::Window: {
            const qint32 id = parseTranslationId(name);
            if (id <= 0)
                return;
            QHash<qint32, QString>& values = file.m_sections[sectionKey].values;
            if (values.contains(id))
                throw loadingFailed(lineIndex, QStringLiteral("Duplicate property value translation ID (%1)").arg(id));
            values.insert(id, LangFile::decodeValue(value));
            break;
        }
        }
    }

    void enterSection(const QString& name)
    {
        const QString key = foldedKey(name);
        if (key == kConstantsSection) {
            where = Where::Constants;
            return;
        }
        where = Where::Window;
        sectionKey = key;
        if (!file.m_sections.contains(key)) {
            file.m_sections.insert(key, Section{name, {}});
            file.m_sectionOrder.append(key);
        }
    }
};

LangFile LangFile::load(const QString& path, Mode mode)
{
    QFile device(path);
    if (!device.open(QIODevice::ReadOnly))
        throw loadingFailed(0, Msg::cannotOpen(path, device.errorString()));
    return read(device, mode);
}

LangFile LangFile::parse(const QByteArray& bytes, Mode mode)
{
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    return read(device, mode);
}

LangFile LangFile::read(QIODevice& device, Mode mode)
{
    // Only the mark decides the encoding. The decoder is told to keep a second mark as a
    // character, so that it stays part of the first line as it would in any other reader.
    QStringConverter::Encoding encoding = QStringConverter::System;
    const QByteArray head = device.peek(3);
    if (head.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringConverter::Utf8;
        device.read(3);
    } else if (head.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        device.read(2);
    } else if (head.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        device.read(2);
    }
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom);

    LangFile file;
    Parser parser(file, mode);
    QString buffer;
    qsizetype scanFrom = 0;
    int lineIndex = 0;
    while (!parser.stopped) {
        const QByteArray chunk = device.read(kChunkSize);
        const bool atEnd = chunk.isEmpty();
        if (!atEnd)
            buffer += decoder.decode(chunk);
        qsizetype start = 0;
        qsizetype i = scanFrom;
        for (; i < buffer.size() && !parser.stopped; ++i) {
            const QChar c = buffer.at(i);
            if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
                continue;
            // A CR at the end of what has been decoded may be the first half of a CR LF.
            if (c == QLatin1Char('\r') && i + 1 == buffer.size() && !atEnd)
                break;
            const QString line = buffer.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < buffer.size() && buffer.at(i + 1) == QLatin1Char('\n'))
                ++i;
            parser.addLine(line, lineIndex++);
            start = i + 1;
        }
        buffer.remove(0, start);
        scanFrom = qMax<qsizetype>(0, i - start);
        if (atEnd) {
            if (!buffer.isEmpty() && !parser.stopped)
                parser.addLine(buffer, lineIndex);
            break;
        }
    }
    return file;
}

QString LangFile::parameter(const QString& name) const
{
    return m_parameters.value(foldedKey(name));
}

bool LangFile::hasParameter(const QString& name) const
{
    return m_parameters.contains(foldedKey(name));
}

quint16 LangFile::languageId() const
{
    return quint16(quint32(parseSignedNumber(parameter(kLanguageIdParameter))) & 0xFFFFu);
}

QString LangFile::constant(const QString& name) const
{
    return m_constants.value(foldedKey(name));
}

const QHash<qint32, QString>* LangFile::section(const QString& windowName) const
{
    const auto it = m_sections.constFind(foldedKey(windowName));
    return it == m_sections.constEnd() ? nullptr : &it->values;
}

QStringList LangFile::sectionNames() const
{
    QStringList names;
    for (const QString& key : m_sectionOrder)
        names.append(m_sections.value(key).name);
    return names;
}

QString LangFile::decodeValue(const QString& text)
{
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == n) {
            out.append(c);
            continue;
        }
        const QChar next = text.at(i + 1);
        if (next == QLatin1Char('\\')) {
            out.append(QLatin1Char('\\'));
            ++i;
        } else if (next == QLatin1Char('n')) {
            out.append(QLatin1String("\r\n"));
            ++i;
        } else if (next == QLatin1Char('t')) {
            out.append(QLatin1Char('\t'));
            ++i;
        } else if (isAsciiDigit(next) && i + 2 < n && isAsciiDigit(text.at(i + 2))) {
            out.append(QChar((next.unicode() - '0') * 10 + (text.at(i + 2).unicode() - '0')));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return out;
}

QString LangFile::trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}
