#include "formparts.h"

#include "data/datasource.h"
#include "controls/dbedit.h"
#include "data/snapshottable.h"

#include <QLabel>

SnapshotTable* namedTable(QObject* owner, const char* objectName, Connection* conn, const char* tableName)
{
    auto* table = new SnapshotTable(owner);
    table->setObjectName(QString::fromLatin1(objectName));
    table->setConnection(conn);
    table->setTableName(QString::fromLatin1(tableName));
    return table;
}

DataSource* namedSource(QObject* owner, const char* objectName, SnapshotTable* table)
{
    auto* source = new DataSource(table, owner);
    source->setObjectName(QString::fromLatin1(objectName));
    return source;
}

DBGrid* namedGrid(QWidget* parent, const char* objectName, DataSource* source, int width,
                  const QList<GridColumn>& columns)
{
    auto* grid = new DBGrid(parent);
    grid->setObjectName(QString::fromLatin1(objectName));
    grid->setDataSource(source);
    grid->setColumns(columns);
    if (width > 0)
        grid->setFixedWidth(width);
    QFont cells = grid->font();
    cells.setPixelSize(13);
    grid->setCellFont(cells);
    return grid;
}

QLabel* namedLabel(const char* objectName, const QString& caption)
{
    auto* label = new QLabel(caption);
    label->setObjectName(QString::fromLatin1(objectName));
    return label;
}

void displayOnly(QWidget* box)
{
    box->setEnabled(false);
    box->setFocusPolicy(Qt::NoFocus);
}
