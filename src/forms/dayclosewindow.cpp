#include "dayclosewindow.h"

#include "controls/dbgrid.h"
#include "data/corpname.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/corpwindow.h"
#include "forms/windowparts.h"
#include "print/pagepainter.h"
#include "ui/busycursor.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kWideButton = 110;
const QString kDayFormat = QStringLiteral("yyyy/MM/dd");

QLineEdit* totalBox(const char* objectName)
{
    auto* box = named(new QLineEdit, objectName);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFixedWidth(110);
    displayOnly(box);
    return box;
}

// The day's range, from its midnight to the next one (bound, in this order), as the date index is read.
const QString kDayRange = QStringLiteral("a.buydate >= ? AND a.buydate < ?");
const QString kAdded = QStringLiteral("SUM(CASE WHEN a.watchpoint > 0 THEN a.watchpoint ELSE 0 END)");
const QString kDeducted = QStringLiteral("-SUM(CASE WHEN a.watchpoint < 0 THEN a.watchpoint ELSE 0 END)");
} // namespace

QString DayCloseWindow::accountsStatement()
{
    // users.uid is not unique in every database: the first name of the account stands for it.
    return QStringLiteral("SELECT a.uid, (SELECT MIN(u.uname) FROM users u WHERE u.uid = a.uid) uname, "
                          "COUNT(*) bookings, %1 added, %2 deducted FROM studclass a WHERE %3 "
                          "GROUP BY a.uid ORDER BY a.uid")
        .arg(kAdded, kDeducted, kDayRange);
}

QString DayCloseWindow::totalsStatement()
{
    return QStringLiteral("SELECT COUNT(*) bookings, COALESCE(%1, 0) added, COALESCE(%2, 0) deducted "
                          "FROM studclass a WHERE %3")
        .arg(kAdded, kDeducted, kDayRange);
}

QString DayCloseWindow::bookingsStatement()
{
    return QStringLiteral("SELECT LPAD(a.scpkey, 10, '0') receiptno, a.buydate, a.spkey, s.studname, c.classname, "
                          "a.watchpoint, a.uid FROM studclass a LEFT JOIN stud s ON s.spkey = a.spkey "
                          "LEFT JOIN classroom c ON c.crpkey = a.crpkey WHERE %1 ORDER BY a.buydate, a.scpkey")
        .arg(kDayRange);
}

DayCloseWindow::DayCloseWindow(Connection* conn, QWidget* parent)
    : ChildWindow(QStringLiteral("frmDayClose"), QStringLiteral("日結"), parent)
{
    qryAccounts = named(new SnapshotTable(this), "qryAccounts");
    qryAccounts->setConnection(conn);
    qryAccounts->addField(QStringLiteral("uid"), FieldType::Text, 20);
    qryAccounts->addField(QStringLiteral("uname"), FieldType::Text, 10);
    qryAccounts->addField(QStringLiteral("bookings"), FieldType::Int64);
    qryAccounts->addField(QStringLiteral("added"), FieldType::Int64);
    qryAccounts->addField(QStringLiteral("deducted"), FieldType::Int64);
    dsAccounts = namedSource(this, "dsAccounts", qryAccounts);
    qryTotals = named(new SnapshotTable(this), "qryTotals");
    qryTotals->setConnection(conn);
    qryTotals->addField(QStringLiteral("bookings"), FieldType::Int64);
    qryTotals->addField(QStringLiteral("added"), FieldType::Int64);
    qryTotals->addField(QStringLiteral("deducted"), FieldType::Int64);
    qryBookings = named(new SnapshotTable(this), "qryBookings");
    qryBookings->setConnection(conn);
    qryBookings->addField(QStringLiteral("receiptno"), FieldType::Text, 10);
    qryBookings->addField(QStringLiteral("buydate"), FieldType::DateTime);
    qryBookings->addField(QStringLiteral("spkey"), FieldType::Text, 10);
    qryBookings->addField(QStringLiteral("studname"), FieldType::Text, 10);
    qryBookings->addField(QStringLiteral("classname"), FieldType::Text, 30);
    qryBookings->addField(QStringLiteral("watchpoint"), FieldType::Int32);
    qryBookings->addField(QStringLiteral("uid"), FieldType::Text, 20);
    dsBookings = namedSource(this, "dsBookings", qryBookings);

    lblDay = named(new QLabel(QStringLiteral("日期"), pnlButton), "lblDay");
    lblDay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblDay->setGeometry(ButtonWidth + 10, 0, 50, btnExit->height());
    dteDay = named(new QDateEdit(QDate::currentDate(), pnlButton), "dteDay");
    dteDay->setDisplayFormat(kDayFormat);
    dteDay->setCalendarPopup(true);
    dteDay->setGeometry(lblDay->geometry().right() + 6, 4, 130, btnExit->height() - 8);
    btnRefresh = namedButton(pnlButton, "btnRefresh", QStringLiteral("重新整理 (&R)"));
    btnRefresh->setGeometry(dteDay->geometry().right() + 10, 0, kWideButton, btnExit->height());
    btnPrint = namedButton(pnlButton, "btnPrint", QStringLiteral("列印 (&P)"));
    btnPrint->setGeometry(btnRefresh->geometry().right() + 1, 0, ButtonWidth, btnExit->height());
    btnPdf = namedButton(pnlButton, "btnPdf", QStringLiteral("匯出 PDF…"));
    btnPdf->setGeometry(btnPrint->geometry().right() + 1, 0, kWideButton, btnExit->height());
    onEvent(btnRefresh, &QPushButton::clicked, this, &DayCloseWindow::btnRefreshClick);
    onEvent(btnPrint, &QPushButton::clicked, this, &DayCloseWindow::btnPrintClick);
    onEvent(btnPdf, &QPushButton::clicked, this, [this] { btnPdfClick(); });
    onEvent(dteDay, &QDateEdit::editingFinished, this, [this] {
        if (!qryTotals->active() || dteDay->date() != m_shownDay)
            btnRefreshClick();
    });

    lblReport = hiddenLabel(this, "lblReport", QStringLiteral("日結"));
    lblPrinted = hiddenLabel(this, "lblPrinted", QStringLiteral("列印日期"));
    lblPage = hiddenLabel(this, "lblPage", QStringLiteral("第 %1 頁，共 %2 頁"));
    lblTotalFormat = hiddenLabel(this, "lblTotalFormat", QStringLiteral("合計：%1 筆，加 %2 點，扣 %3 點"));

    grdAccounts = namedGrid(body(), "grdAccounts", dsAccounts, 0,
                            {{QStringLiteral("uid"), QStringLiteral("帳號"), 110},
                             {QStringLiteral("uname"), QStringLiteral("承辦人"), 120},
                             {QStringLiteral("bookings"), QStringLiteral("筆數"), 80},
                             {QStringLiteral("added"), QStringLiteral("加點數"), 100},
                             {QStringLiteral("deducted"), QStringLiteral("扣點數"), 100}});
    grdBookings = namedGrid(body(), "grdBookings", dsBookings, 0,
                            {{QStringLiteral("receiptno"), QStringLiteral("收據號碼"), 110},
                             {QStringLiteral("buydate"), QStringLiteral("購買日期"), 170},
                             {QStringLiteral("spkey"), QStringLiteral("學號"), 100},
                             {QStringLiteral("studname"), QStringLiteral("學生姓名"), 110},
                             {QStringLiteral("classname"), QStringLiteral("班級名稱"), 220},
                             {QStringLiteral("watchpoint"), QStringLiteral("點數"), 80},
                             {QStringLiteral("uid"), QStringLiteral("帳號"), 110}});
    grdBookings->setColumnsResizable(true);
    lblTotal = named(new QLabel(QStringLiteral("合計")), "lblTotal");
    txtBookings = totalBox("txtBookings");
    txtAdded = totalBox("txtAdded");
    txtDeducted = totalBox("txtDeducted");

    auto* totals = new QHBoxLayout;
    totals->addWidget(lblTotal);
    for (QLineEdit* box : {txtBookings, txtAdded, txtDeducted})
        totals->addWidget(box);
    totals->addStretch();
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(grdAccounts, 1);
    layout->addLayout(totals);
    layout->addWidget(grdBookings, 3);

    openWithFocusIn(dteDay);
    finishCreate();
}

QDate DayCloseWindow::chosenDay() const
{
    return dteDay->date();
}

void DayCloseWindow::chooseDay(const QDate& day)
{
    dteDay->setDate(day);
    btnRefreshClick();
}

void DayCloseWindow::loadData()
{
    btnRefreshClick();
}

void DayCloseWindow::btnRefreshClick()
{
    const BusyCursor busy;
    // A failed read leaves empty grids rather than the figures of another day.
    for (SnapshotTable* query : {qryAccounts, qryTotals, qryBookings})
        query->close();
    m_shownDay = QDate();
    showTotals();
    const QDate day = chosenDay();
    const QDateTime from(day, QTime(0, 0));
    // Each statement carries the day itself: a connection opened again between two of them cannot
    // leave one reading another day.
    const QVariantList range{from, from.addDays(1)};
    qryAccounts->setSql(accountsStatement(), range);
    qryTotals->setSql(totalsStatement(), range);
    qryBookings->setSql(bookingsStatement(), range);
    for (SnapshotTable* query : {qryAccounts, qryTotals, qryBookings})
        query->open();
    m_shownDay = day;
    showTotals();
}

void DayCloseWindow::showTotals()
{
    const bool shown = qryTotals->active() && qryTotals->recordCount() > 0;
    txtBookings->setText(shown ? qryTotals->cellText(0, 0) : QString());
    txtAdded->setText(shown ? qryTotals->cellText(0, 1) : QString());
    txtDeducted->setText(shown ? qryTotals->cellText(0, 2) : QString());
}

PagePainter::Content DayCloseWindow::paperContent()
{
    const QString totals = lblTotalFormat->text().arg(txtBookings->text(), txtAdded->text(), txtDeducted->text());
    const QList<int> accountWidths = columnWidths(grdAccounts);
    const QList<int> bookingWidths = columnWidths(grdBookings);
    return [this, totals, accountWidths, bookingWidths](PagePainter& page) {
        page.table(grdAccounts->model(), accountWidths, false);
        page.rule();
        page.space(4);
        page.text(totals, 10, true, Qt::AlignRight);
        page.space(10);
        page.table(grdBookings->model(), bookingWidths, true);
        page.rule();
    };
}

PageHeading DayCloseWindow::paperHeading()
{
    PageHeading heading;
    heading.corpName = corpName(qryTotals->connection());
    heading.logoPath = CorpWindow::localLogoPath();
    heading.title = lblReport->text() + QStringLiteral("　") + m_shownDay.toString(kDayFormat);
    heading.printedLabel = lblPrinted->text();
    heading.printed = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    heading.pageFormat = lblPage->text();
    return heading;
}

void DayCloseWindow::btnPrintClick()
{
    if (!qryTotals->active())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(lblReport->text() + QLatin1Char(' ') + m_shownDay.toString(QStringLiteral("yyyy-MM-dd")));
    PagePainter::setUpPage(&printer, PaperSpec());
    if (!promptPrint(this, &printer))
        return;
    const BusyCursor busy;
    PagePainter::paint(&printer, PaperSpec(), paperHeading(), font(), paperContent());
}

int DayCloseWindow::btnPdfClick()
{
    if (!qryTotals->active())
        return 0;
    const QString name = lblReport->text() + QLatin1Char(' ') + m_shownDay.toString(QStringLiteral("yyyy-MM-dd"));
    const QString path = promptFileSave(this, btnPdf->text().remove(QLatin1Char('&')), QStringLiteral("PDF (*.pdf)"),
                                        name + QStringLiteral(".pdf"));
    if (path.isEmpty())
        return 0;
    const BusyCursor busy;
    return PagePainter::writePdf(path, name, PaperSpec(), paperHeading(), font(), paperContent());
}
