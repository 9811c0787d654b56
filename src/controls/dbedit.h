#pragma once
// An edit box bound to one field of the current row. It shows the field's value as text; what the
// user types goes into the field when the box is left or the row is saved. Number fields take only
// the characters of a whole number, text fields only as many characters as the field holds.

#include "fielddatalink.h"

#include <QLineEdit>

class DataSource;
class Field;

class DBEdit : public QLineEdit
{
    Q_OBJECT
    // The translation tables rebind boxes by this name.
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)

public:
    explicit DBEdit(QWidget* parent = nullptr);

    DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataSource(DataSource* source);
    QString dataField() const { return m_link.fieldName(); }
    /// Binds the box to another field and shows that field's value.
    void setDataField(const QString& name);
    /// The bound field, or nullptr.
    Field* field() const { return m_link.field(); }

    /// Stores the typed text into the field when the user changed it; throws DbError when the field
    /// refuses the text (the text stays in the box).
    void updateRecord();
    /// Shows the field's value again, dropping what was typed.
    void reset();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void softRefresh();
    bool acceptsCharacter(QChar c) const;
    bool filtersCharacters() const;
    void dropRefusedCharacters(const QString& text);
    /// Stores a changed text; false when the field refused it (the error has been shown).
    bool storeOnLeaving();

    FieldDataLink m_link;
    bool m_storing = false;
};
