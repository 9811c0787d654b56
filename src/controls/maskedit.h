#pragma once
// An edit box whose text follows an edit mask: a fixed number of positions, each taking one kind
// of character, unfilled positions shown with a blank character. It is bound to no field.
//
// The mask is written as "<positions>;<keep literals>;<blank>", e.g. "aaaaaaaaaaaaaaaaaaaa;1;_":
// twenty positions, each an optional letter or digit, unfilled ones shown as "_". Position
// characters: L letter, A letter or digit, C any character, 0 digit (upper case required, lower
// case and 9 optional), # digit or sign, > upper case, < lower case, <> no case change, \ the next
// character as it stands; any other character is shown as it stands. Letters and digits are those
// of ASCII, and the box takes no other characters at all: what it holds is typed on a keyboard
// with the input method off and digested as ASCII.

#include <QLineEdit>

class MaskEdit : public QLineEdit
{
    Q_OBJECT
    // The translation tables set the mask by this name.
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)

public:
    explicit MaskEdit(QWidget* parent = nullptr);

    QString editMask() const { return m_editMask; }
    void setEditMask(const QString& mask);

    /// The input mask in Qt's notation that mask stands for.
    static QString toInputMask(const QString& mask);

private:
    QString m_editMask;
};
