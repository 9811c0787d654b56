#include "snapshotvalue.h"

#include <QRegularExpression>

namespace SnapshotValue {

namespace {
int digits(const char* p, int count, bool& ok)
{
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const char c = p[i];
        if (c < '0' || c > '9') {
            ok = false;
            return 0;
        }
        n = n * 10 + (c - '0');
    }
    return n;
}

void appendPadded(QChar*& out, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = QChar(u'0' + value % 10);
        value /= 10;
    }
    out += width;
}

QString formatPacked(qint64 packed, char16_t dateSeparator)
{
    const int second = int(packed % 100);
    const int minute = int(packed / 100 % 100);
    const int hour = int(packed / 10000 % 100);
    const int day = int(packed / 1000000 % 100);
    const int month = int(packed / 100000000 % 100);
    const int year = int(packed / 10000000000LL);
    QString s(19, Qt::Uninitialized);
    QChar* out = s.data();
    appendPadded(out, year, 4);
    *out++ = QChar(dateSeparator);
    appendPadded(out, month, 2);
    *out++ = QChar(dateSeparator);
    appendPadded(out, day, 2);
    *out++ = QChar(u' ');
    appendPadded(out, hour, 2);
    *out++ = QChar(u':');
    appendPadded(out, minute, 2);
    *out++ = QChar(u':');
    appendPadded(out, second, 2);
    return s;
}
} // namespace

qint64 packDateTime(int year, int month, int day, int hour, int minute, int second)
{
    return ((((qint64(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
}

bool parseWireDateTime(const char* p, size_t size, qint64& packed, bool& zero)
{
    if (size < 10 || p[4] != '-' || p[7] != '-')
        return false;
    bool ok = true;
    const int year = digits(p, 4, ok);
    const int month = digits(p + 5, 2, ok);
    const int day = digits(p + 8, 2, ok);
    int hour = 0, minute = 0, second = 0;
    if (size >= 19) {
        if (p[10] != ' ' || p[13] != ':' || p[16] != ':')
            return false;
        hour = digits(p + 11, 2, ok);
        minute = digits(p + 14, 2, ok);
        second = digits(p + 17, 2, ok);
    } else if (size != 10) {
        return false;
    }
    if (!ok)
        return false;
    zero = year == 0 && month == 0 && day == 0;
    packed = packDateTime(year, month, day, hour, minute, second);
    return true;
}

bool parseTypedDateTime(const QString& text, qint64& packed)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})([/-])(\\d{1,2})\\2(\\d{1,2})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    const QDate date(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    const QTime time(m.captured(5).toInt(), m.captured(6).toInt(), m.captured(7).toInt());
    if (!date.isValid() || !time.isValid())
        return false;
    packed = packDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
    return true;
}

QString dateTimeText(qint64 packed)
{
    return formatPacked(packed, u'/');
}

QString sqlDateTimeText(qint64 packed)
{
    return formatPacked(packed, u'-');
}

QDateTime toDateTime(qint64 packed)
{
    const QDate date(int(packed / 10000000000LL), int(packed / 100000000 % 100), int(packed / 1000000 % 100));
    const QTime time(int(packed / 10000 % 100), int(packed / 100 % 100), int(packed % 100));
    return QDateTime(date, time);
}

qint64 fromDateTime(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return packDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QVariant toVariant(const CellValue& value, FieldType type)
{
    if (value.null)
        return QVariant();
    switch (type) {
    case FieldType::Text:
        return value.text;
    case FieldType::DateTime:
        return toDateTime(value.number);
    case FieldType::Int64:
        return value.number;
    default:
        return int(value.number);
    }
}

QString toText(const CellValue& value, FieldType type)
{
    if (value.null)
        return QString();
    switch (type) {
    case FieldType::Text:
        return value.text;
    case FieldType::DateTime:
        return dateTimeText(value.number);
    default:
        return QString::number(value.number);
    }
}

QVariant toBindValue(const CellValue& value, FieldType type)
{
    if (value.null)
        return QVariant();
    switch (type) {
    case FieldType::Text:
        return value.text;
    case FieldType::DateTime:
        return sqlDateTimeText(value.number);
    default:
        return value.number;
    }
}

QString quotedIdentifier(const QString& name)
{
    QStringList parts;
    for (QString part : name.split(QLatin1Char('.'))) {
        part.replace(QLatin1Char('`'), QLatin1String("``"));
        parts << QLatin1Char('`') + part + QLatin1Char('`');
    }
    return parts.join(QLatin1Char('.'));
}

CellValue convert(const CellValue& value, FieldType from, FieldType to)
{
    if (value.null)
        return value;
    const bool fromText = from == FieldType::Text;
    const bool toTextType = to == FieldType::Text;
    if (fromText == toTextType && (from == FieldType::DateTime) == (to == FieldType::DateTime))
        return value;
    if (toTextType)
        return CellValue::ofText(toText(value, from));
    if (fromText) {
        bool ok = false;
        if (to == FieldType::DateTime) {
            qint64 packed = 0;
            return parseTypedDateTime(value.text, packed) ? CellValue::ofNumber(packed) : CellValue();
        }
        const qint64 n = value.text.trimmed().toLongLong(&ok);
        return ok ? CellValue::ofNumber(n) : CellValue();
    }
    // Numbers and date-times do not mean the same thing.
    return CellValue();
}

} // namespace SnapshotValue
