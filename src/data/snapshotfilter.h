#pragma once
// The filter of a snapshot table: a text of the form field<>'value' or field='value' (the only
// forms the windows use), applied to the visible rows while the filter is on.

#include <QByteArray>
#include <QString>
#include <optional>

class LookupFields;
class RowStore;
class SnapshotFields;

class RowFilter
{
public:
    struct Condition {
        int field = -1;
        bool notEqual = false;
        QString literal;
        QByteArray literalUtf8;
    };

    QString text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    bool on() const { return m_on; }
    void setOn(bool on) { m_on = on; }

    /// The condition of the text; nullopt for an empty text. Throws DbError when the text has
    /// another form or names no field.
    std::optional<Condition> parse(const SnapshotFields& fields) const;
    /// The condition to apply: nullopt while the filter is off or empty.
    std::optional<Condition> applied(const SnapshotFields& fields) const;
    /// True when a stored row meets the condition.
    static bool matches(const Condition& condition, const SnapshotFields& fields, const RowStore& store,
                        const LookupFields& lookups, quint32 row);

private:
    QString m_text;
    bool m_on = false;
};
