#include "xlsxreader.h"

#include "platform/errors.h"
#include "platform/messages.h"

#include <QDateTime>
#include <QRegularExpression>
#include <zip.h>

namespace {
constexpr qint64 kPartLimit = 256LL * 1024 * 1024;   // any part but the sheet, unpacked
constexpr qint64 kSheetLimit = 2048LL * 1024 * 1024; // the sheet, unpacked
constexpr qint64 kChunk = 256 * 1024;
constexpr int kMaxColumns = 16384; // A to XFD

[[noreturn]] void broken(const QString& detail)
{
    throw AppError(Msg::importNotWorkbook(detail));
}

// "BC12" -> 54 (from 0); -1 when there are no letters.
int columnOf(QStringView ref)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : ref) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            break;
        column = column * 26 + (u - u'A' + 1);
        if (column > kMaxColumns)
            return kMaxColumns;
        ++letters;
    }
    return letters ? column - 1 : -1;
}

// Whether a number format code shows a date or a time: y, d, h or s outside quotes, brackets and
// escapes ("m" alone could be minutes or months, and then a y, d, h or s is there too).
bool dateFormat(const QString& code)
{
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            // [h], [mm], [ss]: elapsed time
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toLower();
            if (!inside.isEmpty() && (inside[0] == QLatin1Char('h') || inside[0] == QLatin1Char('s')))
                return true;
            bracket = 1;
            i = close < 0 ? code.size() : close;
            bracket = 0;
        } else if (!bracket && QStringLiteral("yYdDhHsSeE").contains(c)) {
            return true;
        } else if (c == QLatin1Char(';')) {
            break; // the first section decides
        }
    }
    return false;
}

bool builtinDate(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

QString numberText(double v)
{
    if (v == double(qint64(v)) && v > -9007199254740992.0 && v < 9007199254740992.0)
        return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

QString dateText(double serial, bool date1904)
{
    // Excel counts 1900 as a leap year: from day 61 on, 1899-12-30 is day 0.
    const QDate base = date1904 ? QDate(1904, 1, 1) : (serial < 61 ? QDate(1899, 12, 31) : QDate(1899, 12, 30));
    const qint64 seconds = qint64(serial * 86400.0 + (serial >= 0 ? 0.5 : -0.5));
    const qint64 days = seconds / 86400;
    const int rest = int(seconds % 86400);
    const QDateTime dt(base.addDays(days), QTime(0, 0).addSecs(rest));
    if (days == 0 && serial < 1)
        return dt.toString(QStringLiteral("HH:mm:ss")); // a time of day alone
    return rest == 0 ? dt.toString(QStringLiteral("yyyy/MM/dd")) : dt.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}
} // namespace

XlsxReader::XlsxReader(const QByteArray& bytes)
    : m_bytes(bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &error);
    if (source)
        m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_archive) {
        const QString detail = QString::fromLocal8Bit(zip_error_strerror(&error));
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        broken(detail);
    }
    zip_error_fini(&error);
    try {
        readWorkbook();
        readSharedStrings();
        readStyles();
        m_sheet = zip_fopen(m_archive, m_sheetPath.toUtf8().constData(), 0);
        if (!m_sheet)
            broken(m_sheetPath + QStringLiteral(": ") + QString::fromLocal8Bit(zip_strerror(m_archive)));
    } catch (...) {
        zip_discard(m_archive);
        throw;
    }
}

XlsxReader::~XlsxReader()
{
    if (m_sheet)
        zip_fclose(m_sheet);
    if (m_archive)
        zip_discard(m_archive);
}

QByteArray XlsxReader::part(const QString& name, bool required)
{
    zip_file_t* file = zip_fopen(m_archive, name.toUtf8().constData(), 0);
    if (!file) {
        if (required)
            broken(name + QStringLiteral(": ") + QString::fromLocal8Bit(zip_strerror(m_archive)));
        return QByteArray();
    }
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            const QString detail = QString::fromLocal8Bit(zip_file_strerror(file));
            zip_fclose(file);
            broken(name + QStringLiteral(": ") + detail);
        }
        if (n == 0)
            break;
        if (data.size() + n > kPartLimit) {
            zip_fclose(file);
            throw AppError(Msg::importTooLarge());
        }
        data.append(buffer, qsizetype(n));
    }
    zip_fclose(file);
    return data;
}

void XlsxReader::readWorkbook()
{
    QString firstId;
    QXmlStreamReader book(part(QStringLiteral("xl/workbook.xml"), true));
    while (!book.atEnd()) {
        if (book.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (book.name() == QLatin1String("workbookPr")) {
            const QStringView v = book.attributes().value(QLatin1String("date1904"));
            m_date1904 = v == QLatin1String("1") || v == QLatin1String("true");
        } else if (book.name() == QLatin1String("sheet") && firstId.isEmpty()) {
            for (const QXmlStreamAttribute& a : book.attributes())
                if (a.name() == QLatin1String("id"))
                    firstId = a.value().toString();
        }
    }
    if (book.hasError())
        broken(QStringLiteral("xl/workbook.xml: ") + book.errorString());
    QXmlStreamReader rels(part(QStringLiteral("xl/_rels/workbook.xml.rels"), false));
    while (!firstId.isEmpty() && !rels.atEnd()) {
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == QLatin1String("Relationship")
            && rels.attributes().value(QLatin1String("Id")) == firstId) {
            const QString target = rels.attributes().value(QLatin1String("Target")).toString();
            m_sheetPath = target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    if (m_sheetPath.isEmpty())
        m_sheetPath = QStringLiteral("xl/worksheets/sheet1.xml");
}

void XlsxReader::readSharedStrings()
{
    QXmlStreamReader xml(part(QStringLiteral("xl/sharedStrings.xml"), false));
    QString current;
    bool inText = false;
    int phonetic = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("si"))
                current.clear();
            else if (xml.name() == QLatin1String("t"))
                inText = true;
            else if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == QLatin1String("si"))
                m_shared.append(current);
            else if (xml.name() == QLatin1String("t"))
                inText = false;
            else if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            break;
        case QXmlStreamReader::Characters:
            if (inText && phonetic == 0)
                current += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        broken(QStringLiteral("xl/sharedStrings.xml: ") + xml.errorString());
}

void XlsxReader::readStyles()
{
    QXmlStreamReader xml(part(QStringLiteral("xl/styles.xml"), false));
    QHash<int, bool> customDates;
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("numFmt")) {
                customDates.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                                   dateFormat(xml.attributes().value(QLatin1String("formatCode")).toString()));
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                m_dateStyles.append(customDates.contains(id) ? customDates.value(id) : builtinDate(id));
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
    if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        broken(QStringLiteral("xl/styles.xml: ") + xml.errorString());
}

bool XlsxReader::readMore()
{
    char buffer[kChunk];
    const zip_int64_t n = zip_fread(m_sheet, buffer, sizeof buffer);
    if (n < 0)
        broken(m_sheetPath + QStringLiteral(": ") + QString::fromLocal8Bit(zip_file_strerror(m_sheet)));
    if (n == 0)
        return false;
    m_sheetRead += n;
    if (m_sheetRead > kSheetLimit)
        throw AppError(Msg::importTooLarge());
    m_xml.addData(QByteArray(buffer, qsizetype(n)));
    return true;
}

QString XlsxReader::cellText(const QString& type, int style, const QString& value) const
{
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= m_shared.size())
            broken(QStringLiteral("shared string %1").arg(value));
        return m_shared.at(index);
    }
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("d")) {
        const QDateTime dt = QDateTime::fromString(value, Qt::ISODate);
        return dt.isValid() ? dt.toString(dt.time() == QTime(0, 0) ? QStringLiteral("yyyy/MM/dd")
                                                                   : QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                            : value;
    }
    if (!type.isEmpty() && type != QLatin1String("n"))
        return value; // str (a formula's text), e (an error such as #N/A)
    if (value.isEmpty())
        return value;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value;
    if (style >= 0 && style < m_dateStyles.size() && m_dateStyles.at(style) && number >= 0 && number < 2958466)
        return dateText(number, m_date1904);
    return numberText(number);
}

bool XlsxReader::next(Sheet::Row& row)
{
    if (m_sheetDone)
        return false;
    bool inRow = false;
    bool inValue = false;
    bool inInline = false;
    bool inText = false;
    int phonetic = 0;
    int column = -1;
    int nextColumn = 0;
    int style = -1;
    QString type;
    QString value;
    QString inlineText;
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && readMore())
                continue;
            broken(m_sheetPath + QStringLiteral(": ") + m_xml.errorString());
        }
        if (token == QXmlStreamReader::EndDocument) {
            m_sheetDone = true;
            return false;
        }
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("row")) {
                inRow = true;
                const qint64 r = m_xml.attributes().value(QLatin1String("r")).toLongLong();
                row.number = r > m_lastRow ? r : m_lastRow + 1;
                row.cells.clear();
                nextColumn = 0;
            } else if (name == QLatin1String("c") && inRow) {
                const int c = columnOf(m_xml.attributes().value(QLatin1String("r")).toString());
                column = c >= 0 ? c : nextColumn;
                if (column >= kMaxColumns)
                    broken(m_sheetPath + QStringLiteral(": ")
                           + m_xml.attributes().value(QLatin1String("r")).toString());
                type = m_xml.attributes().value(QLatin1String("t")).toString();
                const QStringView s = m_xml.attributes().value(QLatin1String("s"));
                style = s.isEmpty() ? -1 : s.toInt();
                value.clear();
                inlineText.clear();
            } else if (name == QLatin1String("v")) {
                inValue = true;
            } else if (name == QLatin1String("is")) {
                inInline = true;
            } else if (name == QLatin1String("t")) {
                inText = inInline;
            } else if (name == QLatin1String("rPh")) {
                ++phonetic;
            }
        } else if (token == QXmlStreamReader::Characters) {
            if (inValue)
                value += m_xml.text();
            else if (inText && phonetic == 0)
                inlineText += m_xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("v")) {
                inValue = false;
            } else if (name == QLatin1String("t")) {
                inText = false;
            } else if (name == QLatin1String("is")) {
                inInline = false;
            } else if (name == QLatin1String("rPh")) {
                --phonetic;
            } else if (name == QLatin1String("c") && inRow && column >= 0) {
                const QString text = type == QLatin1String("inlineStr") ? inlineText : cellText(type, style, value);
                if (!text.isEmpty()) {
                    while (row.cells.size() <= column)
                        row.cells.append(QString());
                    row.cells[column] = text;
                }
                nextColumn = column + 1;
                column = -1;
            } else if (name == QLatin1String("row") && inRow) {
                m_lastRow = row.number;
                return true;
            } else if (name == QLatin1String("sheetData")) {
                m_sheetDone = true;
                return false;
            }
        }
    }
}
