#include "historywindow.h"

#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/historytexts.h"
#include "ui/busycursor.h"
#include "ui/guard.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
constexpr int kDaysShown = 30;

QLabel* filterLabel(QWidget* parent, const char* objectName, const QString& caption)
{
    QLabel* label = namedLabel(objectName, caption);
    label->setParent(parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QDateEdit* dateBox(QWidget* parent, const char* objectName, const QDate& date)
{
    auto* box = named(new QDateEdit(date, parent), objectName);
    box->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    box->setCalendarPopup(true);
    return box;
}
} // namespace

HistoryWindow::HistoryWindow(Connection* conn, QWidget* parent)
    : ChildWindow(QStringLiteral("frmHistory"), QStringLiteral("異動記錄"), parent)
{
    qryHistory = named(new SnapshotTable(this), "qryHistory");
    qryHistory->setConnection(conn);
    History::declareFields(qryHistory);
    dsHistory = namedSource(this, "dsHistory", qryHistory);

    auto* filters = new QWidget(body());
    filters->setObjectName(QStringLiteral("pnlFilter"));
    const QDate today = QDate::currentDate();
    lblFrom = filterLabel(filters, "lblFrom", QStringLiteral("日期"));
    dtpFrom = dateBox(filters, "dtpFrom", today.addDays(1 - kDaysShown));
    lblTo = filterLabel(filters, "lblTo", QStringLiteral("至"));
    dtpTo = dateBox(filters, "dtpTo", today);
    lblAccount = filterLabel(filters, "lblAccount", QStringLiteral("帳號"));
    txtAccount = named(new QLineEdit(filters), "txtAccount");
    txtAccount->setMaxLength(20);
    lblTable = filterLabel(filters, "lblTable", QStringLiteral("資料表"));
    cboTable = named(new QComboBox(filters), "cboTable");
    lblText = filterLabel(filters, "lblText", QStringLiteral("文字"));
    txtText = named(new QLineEdit(filters), "txtText");
    txtText->setMaxLength(255);
    btnQuery = namedButton(filters, "btnQuery", QStringLiteral("查詢 (&Q)"));
    onEvent(btnQuery, &QPushButton::clicked, this, &HistoryWindow::btnQueryClick);
    auto* row = new QHBoxLayout(filters);
    row->setContentsMargins(4, 4, 4, 4);
    for (QWidget* w : std::initializer_list<QWidget*>{lblFrom, dtpFrom, lblTo, dtpTo, lblAccount, txtAccount, lblTable,
                                                      cboTable, lblText, txtText, btnQuery})
        row->addWidget(w);
    row->addStretch(1);
    txtAccount->setFixedWidth(140);
    txtText->setFixedWidth(200);

    const auto title = [](const char* name) { return HistoryTexts::text(name); };
    grdHistory = namedGrid(body(), "grdHistory", dsHistory, 0,
                           {{QStringLiteral("changed"), title("lblChanged"), 190},
                            {QStringLiteral("account"), title("lblAccount"), 140},
                            {QStringLiteral("action"), title("lblAction"), 60},
                            {QStringLiteral("tablename"), title("lblTable"), 110},
                            {QStringLiteral("rowkey"), title("lblRowKey"), 90},
                            {QStringLiteral("colname"), title("lblColumn"), 110},
                            {QStringLiteral("oldvalue"), title("lblOld"), 170},
                            {QStringLiteral("newvalue"), title("lblNew"), 170},
                            {QStringLiteral("dbaccount"), title("lblDbAccount"), 150}});
    grdHistory->setColumnsResizable(true);
    auto* column = new QVBoxLayout(body());
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(filters);
    column->addWidget(grdHistory, 1);

    setTabOrder(dtpFrom, dtpTo);
    setTabOrder(dtpTo, txtAccount);
    setTabOrder(txtAccount, cboTable);
    setTabOrder(cboTable, txtText);
    setTabOrder(txtText, btnQuery);
    openWithFocusIn(dtpFrom);
    finishCreate();
}

void HistoryWindow::loadData()
{
    // The table list in the language in effect: every table first, then each recorded one.
    cboTable->clear();
    cboTable->addItem(HistoryTexts::text("lblAllTables"), QString());
    for (const QString& table : History::recordedTables())
        cboTable->addItem(HistoryTexts::text(QStringLiteral("tbl_%1").arg(table).toLatin1().constData()), table);
    btnQueryClick();
}

History::Filter HistoryWindow::filter() const
{
    History::Filter f;
    f.from = dtpFrom->date();
    f.to = dtpTo->date();
    f.account = txtAccount->text().trimmed();
    f.table = cboTable->currentData().toString();
    f.text = txtText->text().trimmed();
    return f;
}

void HistoryWindow::btnQueryClick()
{
    const BusyCursor busy;
    statusBar->clearMessage();
    History::readFiltered(qryHistory, filter(), HistoryTexts::captions());
    statusBar->showMessage(HistoryTexts::text("lblRows").arg(qryHistory->recordCount()));
}

bool HistoryWindow::previewKey(QKeyEvent* event)
{
    // Enter in a filter box reads at once.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (txtAccount->hasFocus() || txtText->hasFocus())) {
        guarded([this] { btnQueryClick(); });
        return true;
    }
    return ChildWindow::previewKey(event);
}
