#include "lowbalancewindow.h"

#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "platform/inifile.h"
#include "ui/busycursor.h"
#include "ui/guard.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

namespace {
constexpr int kDefaultThreshold = 10;
const QString kSection = QStringLiteral("LowBalance");
const QString kKey = QStringLiteral("Threshold");
} // namespace

QString LowBalanceWindow::lowBalanceStatement()
{
    // Each student's sums read one range of an index that holds the student first and the points
    // (no table rows, no temporary table); the dates only for the students listed. Students with
    // neither bookings nor viewings stand at zero.
    return QStringLiteral(
        "SELECT t.spkey, t.studname, t.balance, "
        "(SELECT MAX(c.buydate) FROM studclass c WHERE c.spkey = t.spkey AND c.watchpoint > 0) lasttopup, "
        "(SELECT MAX(w.begintime) FROM watchlog w WHERE w.spkey = t.spkey) lastview "
        "FROM (SELECT s.spkey, s.studname, "
        "COALESCE((SELECT SUM(c.watchpoint) FROM studclass c WHERE c.spkey = s.spkey), 0) + "
        "COALESCE((SELECT SUM(w.point) FROM watchlog w WHERE w.spkey = s.spkey), 0) balance FROM stud s) t "
        "WHERE t.balance <= ? ORDER BY t.balance, t.spkey");
}

int LowBalanceWindow::storedThreshold()
{
    bool ok = false;
    const int value = IniFile::findSetting(kSection, kKey).value.toInt(&ok);
    return ok ? value : kDefaultThreshold;
}

LowBalanceWindow::LowBalanceWindow(Connection* conn, QWidget* parent)
    : ChildWindow(QStringLiteral("frmLowBalance"), QStringLiteral("點數不足"), parent)
{
    qryLowBalance = named(new SnapshotTable(this), "qryLowBalance");
    qryLowBalance->setConnection(conn);
    qryLowBalance->addField(QStringLiteral("spkey"), FieldType::Text, 20);
    qryLowBalance->addField(QStringLiteral("studname"), FieldType::Text, 10);
    qryLowBalance->addField(QStringLiteral("balance"), FieldType::Int64);
    qryLowBalance->addField(QStringLiteral("lasttopup"), FieldType::DateTime);
    qryLowBalance->addField(QStringLiteral("lastview"), FieldType::DateTime);
    dsLowBalance = namedSource(this, "dsLowBalance", qryLowBalance);

    lblThreshold = named(new QLabel(QStringLiteral("點數不超過"), pnlButton), "lblThreshold");
    lblThreshold->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblThreshold->setGeometry(ButtonWidth + 10, 0, 90, btnExit->height());
    spnThreshold = named(new QSpinBox(pnlButton), "spnThreshold");
    spnThreshold->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    spnThreshold->setValue(storedThreshold());
    spnThreshold->setGeometry(lblThreshold->geometry().right() + 6, 4, 100, btnExit->height() - 8);
    btnRefresh = namedButton(pnlButton, "btnRefresh", QStringLiteral("重新整理 (&R)"));
    btnRefresh->setGeometry(spnThreshold->geometry().right() + 10, 0, 110, btnExit->height());
    onEvent(btnRefresh, &QPushButton::clicked, this, &LowBalanceWindow::btnRefreshClick);
    onEvent(spnThreshold, &QSpinBox::editingFinished, this, [this] {
        if (!qryLowBalance->active() || spnThreshold->value() != m_shownThreshold)
            btnRefreshClick();
    });

    grdLowBalance = namedGrid(body(), "grdLowBalance", dsLowBalance, 0,
                              {{QStringLiteral("spkey"), QStringLiteral("學號"), 120},
                               {QStringLiteral("studname"), QStringLiteral("學生姓名"), 130},
                               {QStringLiteral("balance"), QStringLiteral("剩餘點數"), 100},
                               {QStringLiteral("lasttopup"), QStringLiteral("最後儲值日期"), 170},
                               {QStringLiteral("lastview"), QStringLiteral("最後觀看日期"), 170}});
    grdLowBalance->setColumnsResizable(true);
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(grdLowBalance);

    openWithFocusIn(spnThreshold);
    finishCreate();
}

void LowBalanceWindow::loadData()
{
    btnRefreshClick();
}

void LowBalanceWindow::btnRefreshClick()
{
    const BusyCursor busy;
    spnThreshold->interpretText();
    const int threshold = spnThreshold->value();
    qryLowBalance->close();
    if (threshold != storedThreshold())
        IniFile::writeSetting(kSection, kKey, QString::number(threshold));
    qryLowBalance->setSql(lowBalanceStatement(), {threshold});
    qryLowBalance->open();
    m_shownThreshold = threshold;
}
