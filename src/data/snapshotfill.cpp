#include "snapshotfill.h"
#include "platform/messages.h"

#include "dberror.h"
#include "rowstore.h"
#include "snapshottable.h"

#include <limits>

namespace {
CellValue cellOf(const QVariant& value, const LoadColumn& column, const QString& what)
{
    if (!value.isValid() || value.isNull())
        return CellValue();
    switch (column.type) {
    case FieldType::Text:
        return CellValue::ofText(value.toString());
    case FieldType::DateTime: {
        const int id = value.typeId();
        if (id == QMetaType::QDateTime || id == QMetaType::QDate) {
            const QDateTime dt = id == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
            if (dt.isValid())
                return CellValue::ofNumber(SnapshotValue::fromDateTime(dt));
            break;
        }
        // Typed text first; what the server sends has seconds' fractions and zero dates besides.
        const QString text = value.toString();
        qint64 packed = 0;
        bool zero = false;
        const QByteArray wire = text.toUtf8();
        if (SnapshotValue::parseTypedDateTime(text, packed))
            return CellValue::ofNumber(packed);
        if (SnapshotValue::parseWireDateTime(wire.constData(), size_t(wire.size()), packed, zero))
            return zero ? CellValue() : CellValue::ofNumber(packed);
        break;
    }
    default: {
        bool ok = false;
        const qint64 n = value.toLongLong(&ok);
        // A fraction would be rounded silently; the server's text for it would not read either.
        const bool real = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
        const bool narrow = SnapshotValue::isNarrow(column.type);
        const bool fits =
            !narrow || (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max());
        if (ok && fits && (!real || double(n) == value.toDouble()))
            return CellValue::ofNumber(n);
        break;
    }
    }
    throw DbError(Msg::valueUnreadable(value.toString(), column.name, what));
}
} // namespace

void SnapshotFill::append(RowStore& store, const std::vector<LoadColumn>& columns, const Rows& rows,
                          const QString& what)
{
    std::vector<CellValue> cells(columns.size());
    for (const std::vector<QVariant>& row : rows) {
        if (row.size() < columns.size())
            throw DbError(Msg::fieldNotFoundIn(columns[row.size()].name, what));
        if (row.size() > columns.size())
            throw DbError(
                Msg::valueUnreadable(row[columns.size()].toString(), QString::number(columns.size() + 1), what));
        // The whole row is read before any of it is stored, so that a refused row leaves none behind.
        for (size_t c = 0; c < columns.size(); ++c)
            cells[c] = cellOf(row[c], columns[c], what);
        store.appendRow(cells);
    }
}

void SnapshotFill::open(SnapshotTable& table, const Rows& rows)
{
    std::vector<LoadColumn> columns;
    for (const Field* f : table.fields()) {
        if (!f->isLookup())
            columns.push_back({f->fieldName(), f->type()});
    }
    table.openFilled([&](RowStore& store, const QString& what) { append(store, columns, rows, what); });
}
