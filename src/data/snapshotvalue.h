#pragma once
// One value of a snapshot cell outside the column arrays (the edit buffer, a bound value), and the
// conversions between the forms a value takes: wire text, typed text, QVariant and SQL text.
// Date-times are held packed as the decimal number yyyyMMddHHmmss, which orders them in time and
// formats without calendar arithmetic.

#include "field.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

struct CellValue {
    bool null = true;
    qint64 number = 0; ///< integers, and date-times packed
    QString text;      ///< text fields

    static CellValue ofNumber(qint64 n)
    {
        CellValue v;
        v.null = false;
        v.number = n;
        return v;
    }
    static CellValue ofText(const QString& t)
    {
        CellValue v;
        v.null = false;
        v.text = t;
        return v;
    }
    bool operator==(const CellValue& o) const
    {
        return null == o.null && (null || (number == o.number && text == o.text));
    }
    bool operator!=(const CellValue& o) const { return !(*this == o); }
};

namespace SnapshotValue {
/// True for the types held as 32-bit numbers (or text ids).
inline bool isNarrow(FieldType t)
{
    return t != FieldType::Int64 && t != FieldType::DateTime;
}

qint64 packDateTime(int year, int month, int day, int hour, int minute, int second);
/// Reads the server's text form "YYYY-MM-DD[ HH:MM:SS[.ffffff]]"; false when it is not one. A zero
/// date sets zero and returns true.
bool parseWireDateTime(const char* text, size_t size, qint64& packed, bool& zero);
/// Reads a typed date-time: "yyyy/MM/dd HH:mm:ss" or "yyyy-MM-dd HH:mm:ss", the seconds or the whole
/// time may be left out; false when the text is no valid date-time.
bool parseTypedDateTime(const QString& text, qint64& packed);
/// "yyyy/MM/dd HH:mm:ss", as the windows show date-times.
QString dateTimeText(qint64 packed);
/// "yyyy-MM-dd HH:mm:ss", as the server reads date-times.
QString sqlDateTimeText(qint64 packed);
QDateTime toDateTime(qint64 packed);
qint64 fromDateTime(const QDateTime& dateTime);

QVariant toVariant(const CellValue& value, FieldType type);
QString toText(const CellValue& value, FieldType type);
/// The value bound to a statement parameter for a cell.
QVariant toBindValue(const CellValue& value, FieldType type);
/// A table or column name quoted for a statement (a database prefix quoted apart).
QString quotedIdentifier(const QString& name);
/// The value converted for a column of another type (a link or lookup key); null when it does not
/// convert.
CellValue convert(const CellValue& value, FieldType from, FieldType to);
} // namespace SnapshotValue
