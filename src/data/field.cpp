#include "field.h"
#include "platform/messages.h"

#include "dberror.h"
#include "snapshottable.h"

#include <limits>

namespace {
// Number of characters as the server counts them (code points, not UTF-16 units).
int characterCount(const QString& text)
{
    int count = 0;
    for (const QChar c : text) {
        if (!c.isLowSurrogate())
            ++count;
    }
    return count;
}

// An optional sign and digits; false when the text is something else. Overflow sets tooLarge.
bool parseWhole(const QString& text, qint64& value, bool& tooLarge)
{
    tooLarge = false;
    int i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i == text.size())
        return false;
    quint64 magnitude = 0;
    const quint64 limit =
        negative ? quint64(std::numeric_limits<qint64>::max()) + 1 : quint64(std::numeric_limits<qint64>::max());
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        if (!tooLarge) {
            const quint64 digit = c - u'0';
            if (magnitude > (limit - digit) / 10)
                tooLarge = true;
            else
                magnitude = magnitude * 10 + digit;
        }
    }
    value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}
} // namespace

Field::Field(SnapshotTable* table, const QString& fieldName, FieldType type, int size)
    : QObject(table)
    , m_table(table)
    , m_fieldName(fieldName)
    , m_type(type)
    , m_size(size)
{}

qint64 Field::minimum() const
{
    switch (m_type) {
    case FieldType::Int16:
        return std::numeric_limits<qint16>::min();
    case FieldType::UInt16:
        return 0;
    case FieldType::AutoInc:
    case FieldType::Int32:
        return std::numeric_limits<qint32>::min();
    case FieldType::Int64:
        return std::numeric_limits<qint64>::min();
    default:
        return 0;
    }
}

qint64 Field::maximum() const
{
    switch (m_type) {
    case FieldType::Int16:
        return std::numeric_limits<qint16>::max();
    case FieldType::UInt16:
        return std::numeric_limits<quint16>::max();
    case FieldType::AutoInc:
    case FieldType::Int32:
        return std::numeric_limits<qint32>::max();
    case FieldType::Int64:
        return std::numeric_limits<qint64>::max();
    default:
        return 0;
    }
}

QString Field::rangeText() const
{
    return Msg::between(minimum(), maximum());
}

void Field::setLookup(SnapshotTable* lookupTable, const QString& keyFields, const QString& lookupKeyFields,
                      const QString& lookupResultField)
{
    m_lookupTable = lookupTable;
    m_keyFields = keyFields.trimmed();
    m_lookupKeyFields = lookupKeyFields.trimmed();
    m_lookupResultField = lookupResultField.trimmed();
}

bool Field::isNull() const
{
    const int index = m_table->fieldIndex(this);
    return index < 0 || m_table->currentValue(index).null;
}

QVariant Field::value() const
{
    const int index = m_table->fieldIndex(this);
    return index < 0 ? QVariant() : SnapshotValue::toVariant(m_table->currentValue(index), m_type);
}

QString Field::asString() const
{
    const int index = m_table->fieldIndex(this);
    return index < 0 ? QString() : SnapshotValue::toText(m_table->currentValue(index), m_type);
}

qint64 Field::asInteger() const
{
    const int index = m_table->fieldIndex(this);
    const CellValue v = index < 0 ? CellValue() : m_table->currentValue(index);
    if (v.null)
        return 0;
    if (isNumeric())
        return v.number;
    qint64 n = 0;
    bool tooLarge = false;
    if (m_type == FieldType::Text && parseWhole(v.text.trimmed(), n, tooLarge) && !tooLarge)
        return n;
    throw DbError(Msg::notInteger(SnapshotValue::toText(v, m_type)));
}

void Field::setAsString(const QString& text)
{
    const int index = m_table->fieldIndex(this);
    if (index < 0)
        throw DbError(Msg::fieldWithoutTable(m_fieldName));
    m_table->checkStorable(index);
    CellValue v;
    if (m_type == FieldType::Text) {
        if (!text.isEmpty())
            v = CellValue::ofText(text);
    } else if (m_type == FieldType::DateTime) {
        if (!text.trimmed().isEmpty()) {
            qint64 packed = 0;
            if (!SnapshotValue::parseTypedDateTime(text, packed))
                throw DbError(Msg::notDateTime(text, m_fieldName));
            v = CellValue::ofNumber(packed);
        }
    } else {
        const QVariant n = typedValue(m_type, m_size, m_fieldName, text);
        if (n.isValid())
            v = CellValue::ofNumber(n.toLongLong());
    }
    if (m_type == FieldType::Text && !v.null)
        typedValue(m_type, m_size, m_fieldName, v.text);
    m_table->storeValue(index, v);
}

QVariant Field::typedValue(FieldType type, int size, const QString& fieldName, const QString& text)
{
    if (type == FieldType::Text) {
        if (text.isEmpty())
            return QVariant();
        if (size > 0 && characterCount(text) > size)
            throw DbError(Msg::textTooLong(fieldName, size));
        return text;
    }
    if (type == FieldType::DateTime)
        return text.trimmed().isEmpty() ? QVariant() : QVariant(text);
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    Field probe(nullptr, fieldName, type, size);
    qint64 n = 0;
    bool tooLarge = false;
    if (!parseWhole(t, n, tooLarge))
        throw DbError(Msg::notIntegerFor(t, fieldName, probe.rangeText()));
    if (tooLarge || n < probe.minimum() || n > probe.maximum())
        throw DbError(Msg::outOfRange(t, fieldName, probe.rangeText()));
    return n;
}

void Field::setValue(const QVariant& value)
{
    const int index = m_table->fieldIndex(this);
    if (index < 0)
        throw DbError(Msg::fieldWithoutTable(m_fieldName));
    m_table->checkStorable(index);
    // A null QString is no value, as it was before Qt 6 made QVariant::isNull() ignore it.
    if (!value.isValid() || value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
        m_table->storeValue(index, CellValue());
        return;
    }
    const int typeId = value.typeId();
    if (m_type == FieldType::Text) {
        const QString text = value.toString();
        if (m_size > 0 && characterCount(text) > m_size)
            throw DbError(Msg::textTooLong(m_fieldName, m_size));
        m_table->storeValue(index, CellValue::ofText(text));
        return;
    }
    if (m_type == FieldType::DateTime) {
        if (typeId == QMetaType::QDateTime || typeId == QMetaType::QDate) {
            const QDateTime dt = value.toDateTime();
            if (!dt.isValid())
                throw DbError(Msg::invalidDateTime(m_fieldName));
            m_table->storeValue(index, CellValue::ofNumber(SnapshotValue::fromDateTime(dt)));
            return;
        }
        setAsString(value.toString());
        return;
    }
    if (typeId == QMetaType::Double || typeId == QMetaType::Float) {
        const double d = value.toDouble();
        if (d != double(qint64(d)))
            throw DbError(Msg::notIntegerFor(value.toString(), m_fieldName, rangeText()));
    }
    setAsString(value.toString());
}

void Field::clear()
{
    setValue(QVariant());
}
