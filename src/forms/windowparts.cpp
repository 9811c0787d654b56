#include "windowparts.h"

#include "controls/dbedit.h"
#include "data/datasource.h"
#include "data/snapshottable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SnapshotTable* namedTable(QObject* owner, const char* objectName, Connection* conn, const char* tableName)
{
    auto* table = named(new SnapshotTable(owner), objectName);
    table->setConnection(conn);
    table->setTableName(QString::fromLatin1(tableName));
    return table;
}

DataSource* namedSource(QObject* owner, const char* objectName, SnapshotTable* table)
{
    return named(new DataSource(table, owner), objectName);
}

DBGrid* namedGrid(QWidget* parent, const char* objectName, DataSource* source, int width,
                  const QList<GridColumn>& columns)
{
    auto* grid = named(new DBGrid(parent), objectName);
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
    return named(new QLabel(caption), objectName);
}

QLabel* namedNote(QWidget* parent, const char* objectName, const QString& caption)
{
    auto* note = named(new QLabel(caption, parent), objectName);
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);
    note->setStyleSheet(QStringLiteral("color: blue;"));
    return note;
}

QPushButton* namedButton(QWidget* parent, const char* objectName, const QString& caption)
{
    auto* button = named(new QPushButton(caption, parent), objectName);
    button->setAutoDefault(false);
    return button;
}

void maskPassword(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

void displayOnly(QWidget* box)
{
    box->setEnabled(false);
    box->setFocusPolicy(Qt::NoFocus);
}

QLabel* hiddenLabel(QWidget* parent, const char* objectName, const QString& caption)
{
    QLabel* label = namedLabel(objectName, caption);
    label->setParent(parent);
    label->hide();
    return label;
}

QList<int> columnWidths(const DBGrid* grid)
{
    QList<int> widths;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        widths << grid->columnWidth(c);
    return widths;
}
