#include "exportsource.h"

#include "snapshottable.h"
#include "snapshotvalue.h"

#include <QDateTime>
#include <algorithm>

void ExportCell::setText(const QString& v)
{
    kind = Text;
    storage = v.toUtf8();
    text = std::string_view(storage.constData(), size_t(storage.size()));
}

void ExportCell::setDateTime(const QDateTime& v)
{
    if (!v.isValid()) {
        kind = Empty;
        return;
    }
    kind = DateTime;
    integer = SnapshotValue::fromDateTime(v);
}

void ExportCell::setVariant(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        kind = Empty;
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        setInteger(v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        kind = Real;
        real = v.toDouble();
        break;
    case QMetaType::QDateTime:
        setDateTime(v.toDateTime());
        break;
    case QMetaType::QDate:
        setDateTime(v.toDate().startOfDay());
        break;
    default:
        setText(v.toString());
    }
}

SnapshotExportSource::SnapshotExportSource(const SnapshotTable* table, const QList<Column>& columns)
    : m_table(table)
    , m_columns(columns)
{
    const std::vector<Field*>& fields = table->fields();
    for (const Column& c : columns) {
        const auto it = std::find(fields.begin(), fields.end(), table->findField(c.fieldName));
        m_fields.push_back(it == fields.end() ? -1 : int(it - fields.begin()));
    }
}

int SnapshotExportSource::columnCount() const
{
    return int(m_columns.size());
}

QString SnapshotExportSource::columnTitle(int column) const
{
    return m_columns.at(column).title;
}

qint64 SnapshotExportSource::rowCount() const
{
    return m_table->active() ? m_table->recordCount() : 0;
}

void SnapshotExportSource::cell(qint64 row, int column, ExportCell& out) const
{
    SnapshotTable::CellView& view = m_view;
    m_table->cellView(int(row), m_fields[size_t(column)], view);
    if (view.null) {
        out.kind = ExportCell::Empty;
    } else if (view.type == FieldType::Text) {
        out.kind = ExportCell::Text;
        out.text = view.text;
    } else if (view.type == FieldType::DateTime) {
        out.kind = ExportCell::DateTime;
        out.integer = view.number;
    } else {
        out.setInteger(view.number);
    }
}
