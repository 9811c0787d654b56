#include "rowhistory.h"

#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/history.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/historytexts.h"
#include "ui/guard.h"
#include "ui/keypreview.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
bool recorded(const SnapshotTable* table)
{
    return table && table->sql().isEmpty() && History::recordedTables().contains(table->tableName());
}

QString tableWord(const QString& table)
{
    return HistoryTexts::text(QStringLiteral("tbl_%1").arg(table).toLatin1().constData());
}
} // namespace

RowHistoryDialog::RowHistoryDialog(SnapshotTable* table, QWidget* parent)
    : QDialog(parent)
    , m_table(table->tableName())
{
    setObjectName(QStringLiteral("frmRowHistory"));
    setWindowTitle(HistoryTexts::instance()->windowTitle());
    QFont f = font();
    f.setPixelSize(16);
    setFont(f);
    resize(1000, 480);

    qryHistory = named(new SnapshotTable(this), "qryHistory");
    qryHistory->setConnection(table->connection());
    History::declareFields(qryHistory);
    dsHistory = namedSource(this, "dsHistory", qryHistory);
    const auto title = [](const char* name) { return HistoryTexts::text(name); };
    grdHistory = namedGrid(this, "grdHistory", dsHistory, 0,
                           {{QStringLiteral("changed"), title("lblChanged"), 190},
                            {QStringLiteral("account"), title("lblAccount"), 150},
                            {QStringLiteral("action"), title("lblAction"), 60},
                            {QStringLiteral("colname"), title("lblColumn"), 110},
                            {QStringLiteral("oldvalue"), title("lblOld"), 170},
                            {QStringLiteral("newvalue"), title("lblNew"), 170},
                            {QStringLiteral("dbaccount"), title("lblDbAccount"), 150}});
    grdHistory->setColumnsResizable(true);
    btnClose = namedButton(this, "btnClose", title("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grdHistory, 1);
    layout->addLayout(buttons);
}

void RowHistoryDialog::showHistoryOf(const QString& key)
{
    History::readRow(qryHistory, m_table, key, HistoryTexts::captions());
    const QString row =
        History::keyColumn(m_table).isEmpty() ? tableWord(m_table) : tableWord(m_table) + QLatin1Char(' ') + key;
    setWindowTitle(HistoryTexts::instance()->windowTitle() + QStringLiteral(" - ") + row);
    grdHistory->setFocus();
}

SnapshotTable* RowHistory::tableFor(QWidget* window, SnapshotTable* mainTable)
{
    for (QWidget* w = QApplication::focusWidget(); w && w != window; w = w->parentWidget()) {
        if (auto* grid = qobject_cast<DBGrid*>(w); grid && recorded(grid->table()))
            return grid->table();
    }
    return recorded(mainTable) ? mainTable : nullptr;
}

void RowHistory::showRowHistory(QWidget* window, SnapshotTable* table)
{
    if (!table || !table->active())
        return;
    const QString keyColumn = History::keyColumn(table->tableName());
    QString key;
    if (!keyColumn.isEmpty()) {
        if (table->state() != DataSetState::Insert && table->recNo() >= 0)
            key = table->field(keyColumn)->asString();
        if (key.isEmpty()) {
            showMessageBox(window, HistoryTexts::text("lblNoRow"), HistoryTexts::instance()->windowTitle(),
                           Win::MB_ICONASTERISK);
            return;
        }
    }
    RowHistoryDialog dialog(table, window);
    dialog.showHistoryOf(key);
    dialog.exec();
}

void RowHistory::attach(QWidget* window, SnapshotTable* mainTable)
{
    bool any = recorded(mainTable);
    const QString caption = HistoryTexts::text("mitRowHistory") + QStringLiteral("\tCtrl+H");
    for (DBGrid* grid : window->findChildren<DBGrid*>()) {
        if (!recorded(grid->table()))
            continue;
        any = true;
        // The grid's context menu lists the window's own items after its own.
        auto* item = new QAction(caption, grid);
        item->setObjectName(QStringLiteral("mitRowHistory"));
        onEvent(item, &QAction::triggered, grid, [window, grid] { showRowHistory(window, grid->table()); });
        grid->addMenuAction(item);
    }
    if (!any)
        return;
    // The key reaches the window before the box with the focus, which may take Ctrl+H for itself.
    new KeyPreview(window, [window, mainTable](QKeyEvent* event) {
        if (event->keyCombination() != QKeyCombination(Qt::ControlModifier, Qt::Key_H))
            return false;
        showRowHistory(window, tableFor(window, mainTable));
        return true;
    });
}
