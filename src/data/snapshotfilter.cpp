#include "snapshotfilter.h"
#include "platform/messages.h"

#include "dberror.h"
#include "rowstore.h"
#include "snapshotfields.h"
#include "snapshotlookup.h"

#include <QRegularExpression>

std::optional<RowFilter::Condition> RowFilter::parse(const SnapshotFields& fields) const
{
    if (m_text.trimmed().isEmpty())
        return std::nullopt;
    static const QRegularExpression form(QStringLiteral("^\\s*(\\w+)\\s*(<>|=)\\s*'((?:[^']|'')*)'\\s*$"));
    const QRegularExpressionMatch m = form.match(m_text);
    if (!m.hasMatch())
        throw DbError(Msg::filterNotUnderstood(m_text));
    Condition condition;
    condition.field = fields.indexByName(m.captured(1));
    if (condition.field < 0)
        throw DbError(Msg::fieldNotFound(m.captured(1)));
    condition.notEqual = m.captured(2) == QLatin1String("<>");
    condition.literal = m.captured(3).replace(QLatin1String("''"), QLatin1String("'"));
    condition.literalUtf8 = condition.literal.toUtf8();
    return condition;
}

std::optional<RowFilter::Condition> RowFilter::applied(const SnapshotFields& fields) const
{
    return m_on ? parse(fields) : std::nullopt;
}

// A row without a value compares as an empty text, so that uid<>'admin' keeps a user row that has
// no login name yet.
bool RowFilter::matches(const Condition& condition, const SnapshotFields& fields, const RowStore& store,
                        const LookupFields& lookups, quint32 row)
{
    const int col = fields.column(condition.field);
    bool equal;
    if (col < 0) {
        equal = SnapshotValue::toText(lookups.result(condition.field, lookups.rowOfStored(condition.field, row)),
                                      fields.type(condition.field))
                == condition.literal;
    } else if (store.isNull(col, row)) {
        equal = condition.literal.isEmpty();
    } else if (store.type(col) == FieldType::Text) {
        const std::string_view v = store.pool(col).view(store.textId(col, row));
        equal = v == std::string_view(condition.literalUtf8.constData(), size_t(condition.literalUtf8.size()));
    } else {
        equal = store.cellText(col, row) == condition.literal;
    }
    return condition.notEqual ? !equal : equal;
}
