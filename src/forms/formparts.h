#pragma once
// Small builders shared by the record windows: each part made with the name the window gives it.

#include "controls/dbgrid.h"
#include "controls/gridmodel.h"
#include "ui/inputmethod.h"

#include <QList>

class Connection;
class DBEdit;
class DataSource;
class QLabel;
class QWidget;
class SnapshotTable;

/// A table on conn named objectName (its fields are then named objectName + field).
SnapshotTable* namedTable(QObject* owner, const char* objectName, Connection* conn, const char* tableName);
DataSource* namedSource(QObject* owner, const char* objectName, SnapshotTable* table);
/// A read-only grid with 13-pixel cells, width pixels wide (0: as wide as its place in the layout).
DBGrid* namedGrid(QWidget* parent, const char* objectName, DataSource* source, int width,
                  const QList<GridColumn>& columns);
QLabel* namedLabel(const char* objectName, const QString& caption);
/// A box that only shows a value: greyed, never enabled, never given the focus.
void displayOnly(QWidget* box);
