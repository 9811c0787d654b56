#pragma once
// Reading and writing a translatable property of a Qt object by its path in a translation table.
//
// A path is a property name ("Caption"), a held object's property ("Title.Caption") or an item of
// a collection ("Items[2]", counting from 0). A name is first looked up as a Q_PROPERTY of exactly
// that name (our data classes declare ConnectionString, TableName, SQL, FieldName, DataField, ...);
// otherwise the usual names map onto the Qt widgets:
//   Caption   window title of a window; text of a label, button, check box or action; menu title
//   Hint      tool tip
//   Text      text
//   Lines     plain text of a text edit, otherwise text
//   EditMask  input mask of a line edit
//   Items[i]  item text of a combo box or list widget, or element i of a string-list property
// A held object is a QObject-valued property, or else a direct child of that name. A string list
// is read and written as one text, its lines separated by CR LF. Widget texts keep Qt's line
// breaks: CR LF is written as LF.

#include <QString>

class QObject;

namespace PropertyPath {
/// Reads the property at path into *value. asWindow makes "Caption" the window title. Returns
/// false, leaving *value alone, when the path leads nowhere or to a value that is not text.
bool read(QObject* object, const QString& path, QString* value, bool asWindow = false);
/// Writes value to the property at path. Returns false when the path leads nowhere or the
/// property cannot take the text; nothing is changed then.
bool write(QObject* object, const QString& path, const QString& value, bool asWindow = false);
} // namespace PropertyPath
