#pragma once
// One field of a snapshot table: its name, type and size as the program holds the column, and
// access to the current row's value. Lookup fields are display-only values read from another table.

#include <QObject>
#include <QVariant>
#include <functional>

class SnapshotTable;

enum class FieldType {
    AutoInc, ///< 32-bit signed key assigned by the server; read-only
    Int16,
    UInt16,
    Int32,
    Int64,
    DateTime,
    Text, ///< at most size() characters
};

class Field : public QObject
{
    Q_OBJECT
    // Property paths of the translation tables reach these.
    Q_PROPERTY(QString FieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString KeyFields READ keyFields WRITE setKeyFields)
    Q_PROPERTY(QString LookupKeyFields READ lookupKeyFields WRITE setLookupKeyFields)
    Q_PROPERTY(QString LookupResultField READ lookupResultField WRITE setLookupResultField)

public:
    Field(SnapshotTable* table, const QString& fieldName, FieldType type, int size);

    SnapshotTable* table() const { return m_table; }
    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString& name) { m_fieldName = name; }
    FieldType type() const { return m_type; }
    int size() const { return m_size; }
    bool isNumeric() const { return m_type != FieldType::Text && m_type != FieldType::DateTime; }
    bool isSigned() const { return m_type != FieldType::UInt16; }
    bool readOnly() const { return m_type == FieldType::AutoInc || isLookup(); }
    /// The allowed range of a number field, e.g. "0 and 65535".
    QString rangeText() const;
    qint64 minimum() const;
    qint64 maximum() const;

    /// Lookup fields: the value is lookupResultField of the row of lookupTable whose lookupKeyFields
    /// equals this table's keyFields; no match gives no value.
    bool isLookup() const { return m_lookupTable != nullptr; }
    SnapshotTable* lookupTable() const { return m_lookupTable; }
    void setLookup(SnapshotTable* lookupTable, const QString& keyFields, const QString& lookupKeyFields,
                   const QString& lookupResultField);
    QString keyFields() const { return m_keyFields; }
    void setKeyFields(const QString& v) { m_keyFields = v; }
    QString lookupKeyFields() const { return m_lookupKeyFields; }
    void setLookupKeyFields(const QString& v) { m_lookupKeyFields = v; }
    QString lookupResultField() const { return m_lookupResultField; }
    void setLookupResultField(const QString& v) { m_lookupResultField = v; }

    // The current row (the edit buffer while editing).
    bool isNull() const;
    QVariant value() const;
    /// The value as text; no value gives an empty text. Date-times read "yyyy/MM/dd HH:mm:ss".
    QString asString() const;
    qint64 asInteger() const;
    /// Stores a typed text: empty text clears the field; a number field refuses text that is not a
    /// whole number or lies outside its range with a DbError naming the field (and the range).
    void setAsString(const QString& text);
    /// What setAsString() would store for a field of that type and size, checked the same way:
    /// an invalid value for empty text, a qint64 for a number, the text for a text field; a
    /// date-time field takes the text as it stands. Throws the same DbError.
    static QVariant typedValue(FieldType type, int size, const QString& fieldName, const QString& text);
    void setValue(const QVariant& value);
    void clear();

    /// Runs after a value has been stored into the field (the OnChange event).
    std::function<void(Field&)> onChange;

private:
    SnapshotTable* m_table;
    QString m_fieldName;
    FieldType m_type;
    int m_size;
    SnapshotTable* m_lookupTable = nullptr;
    QString m_keyFields;
    QString m_lookupKeyFields;
    QString m_lookupResultField;
};
