#pragma once
// A check box bound to one field of the current row: checked when the field holds the checked
// value, unchecked otherwise (also when it has no value). A click stores the other value at once.

#include "fielddatalink.h"

#include <QCheckBox>

class DataSource;
class Field;

class DBCheckBox : public QCheckBox
{
    Q_OBJECT
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString ValueChecked READ valueChecked WRITE setValueChecked)
    Q_PROPERTY(QString ValueUnchecked READ valueUnchecked WRITE setValueUnchecked)

public:
    explicit DBCheckBox(QWidget* parent = nullptr);

    DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataSource(DataSource* source);
    QString dataField() const { return m_link.fieldName(); }
    void setDataField(const QString& name);
    Field* field() const { return m_link.field(); }

    /// The text stored for a checked box ("1" unless set); compared without regard to case.
    QString valueChecked() const { return m_valueChecked; }
    void setValueChecked(const QString& value);
    QString valueUnchecked() const { return m_valueUnchecked; }
    void setValueUnchecked(const QString& value);

protected:
    /// A click: stores the other value when the row is being edited; otherwise nothing changes.
    void nextCheckState() override;

private:
    void refresh();

    FieldDataLink m_link;
    QString m_valueChecked = QStringLiteral("1");
    QString m_valueUnchecked = QStringLiteral("0");
};
