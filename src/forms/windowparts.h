#pragma once
// Small builders shared by the windows: each part made with the name the window gives it.

#include "controls/dbgrid.h"
#include "data/gridmodel.h"
#include "ui/inputmethod.h"

#include <QList>
#include <QString>

class Connection;
class DBEdit;
class DataSource;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SnapshotTable;

/// object, named objectName.
template <typename T> T* named(T* object, const char* objectName)
{
    object->setObjectName(QString::fromLatin1(objectName));
    return object;
}

/// A table on conn named objectName (its fields are then named objectName + field).
SnapshotTable* namedTable(QObject* owner, const char* objectName, Connection* conn, const char* tableName);
DataSource* namedSource(QObject* owner, const char* objectName, SnapshotTable* table);
/// A read-only grid with 13-pixel cells, width pixels wide (docked at the left), or as wide as its
/// layout makes it when width is 0.
DBGrid* namedGrid(QWidget* parent, const char* objectName, DataSource* source, int width,
                  const QList<GridColumn>& columns);
QLabel* namedLabel(const char* objectName, const QString& caption);
/// A note in bold blue, such as the formats an upload button accepts.
QLabel* namedNote(QWidget* parent, const char* objectName, const QString& caption);
/// A push button that is never a default button: Enter presses it only when it has the focus, and
/// moves on otherwise (the windows' Enter rule).
QPushButton* namedButton(QWidget* parent, const char* objectName, const QString& caption);
/// A password box: every typed character shows as "*", whatever the platform's style.
void maskPassword(QLineEdit* edit);
/// A box that only shows a value: greyed, never enabled, never given the focus.
void displayOnly(QWidget* box);
/// A label of parent that is never shown: its caption holds a text that follows the interface language.
QLabel* hiddenLabel(QWidget* parent, const char* objectName, const QString& caption);
/// The grid's column widths in order, which a printed table shares out in proportion.
QList<int> columnWidths(const DBGrid* grid);
