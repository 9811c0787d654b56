#include "watchlogwindow.h"

#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/receiptbook.h"
#include "data/snapshottable.h"
#include "forms/corpwindow.h"
#include "forms/windowparts.h"
#include "print/pointstatement.h"
#include "print/receiptdesk.h"
#include "print/receipttexts.h"
#include "ui/busycursor.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

namespace {
constexpr int kPanelHeight = 190;
constexpr int kPdfButtonWidth = 110;

// grdCourseDrawColumnCell: the 2nd, 4th, 6th ... rows of the log are pale green, the selected
// cell of such a row included; the other rows keep the grid's own colours.
class AlternateRows : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if ((index.row() + 1) % 2 == 0) {
            option->backgroundBrush = kLogEvenRows;
            option->state &= ~QStyle::State_Selected;
        }
    }
};
} // namespace

QString formatBalance(qint64 sum, const QLocale& locale)
{
    const QString digits = QString::number(sum < 0 ? -quint64(sum) : quint64(sum));
    QString grouped;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += locale.groupSeparator();
        grouped += digits.at(i);
    }
    return sum < 0 ? QLatin1Char('-') + grouped : grouped;
}

QString WatchLogWindow::watchlogStatement()
{
    const QStringList lines = {
        QStringLiteral("SELECT * FROM "),
        QStringLiteral("("),
        QStringLiteral("   SELECT coursename, mac, device, a.point, begintime, endtime FROM watchlog a "),
        QStringLiteral("   LEFT JOIN course b ON a.cpkey=b.cpkey "),
        QStringLiteral("       WHERE spkey=?"),
        QStringLiteral("   UNION ALL "),
        QStringLiteral("   SELECT concat('購買 ',classname, ' 點數') coursename, null mac, null device, watchpoint "
                       "point, buydate begintime, null endtime FROM studclass a "),
        QStringLiteral("   LEFT JOIN classroom b ON a.crpkey=b.crpkey "),
        QStringLiteral("       WHERE spkey=?"),
        QStringLiteral(") a "),
        QStringLiteral("   ORDER BY begintime"),
    };
    QString statement;
    for (const QString& line : lines)
        statement += line + QStringLiteral("\r\n");
    return statement;
}

WatchLogWindow::WatchLogWindow(Connection* conn, const Session& session, QWidget* parent)
    : RecordWindow(QStringLiteral("frmWatchlog"), QStringLiteral("點數查詢"), parent)
    , m_session(session)
{
    // The students' passwords are not shown here, so they are not read.
    tblStud = namedTable(this, "tblStud", conn, "stud");
    tblStud->addField(QStringLiteral("spkey"), FieldType::Text, 20);
    tblStud->addField(QStringLiteral("studname"), FieldType::Text, 10);
    connect(tblStud, &SnapshotTable::afterScroll, this, [this] { tblStudAfterScroll(); });
    dsStud = namedSource(this, "dsStud", tblStud);

    qryWatchlog = new SnapshotTable(this);
    qryWatchlog->setObjectName(QStringLiteral("qryWatchlog"));
    qryWatchlog->setConnection(conn);
    qryWatchlog->setSql(QStringLiteral("SELECT * FROM watchlog"));
    qryWatchlog->addField(QStringLiteral("coursename"), FieldType::Text, 50);
    qryWatchlog->addField(QStringLiteral("mac"), FieldType::Text, 20);
    qryWatchlog->addField(QStringLiteral("device"), FieldType::Text, 30);
    qryWatchlog->addField(QStringLiteral("point"), FieldType::Int32);
    qryWatchlog->addField(QStringLiteral("begintime"), FieldType::DateTime);
    qryWatchlog->addField(QStringLiteral("endtime"), FieldType::DateTime);
    dsWatchlog = namedSource(this, "dsWatchlog", qryWatchlog);

    grdStud =
        namedGrid(body(), "grdStud", dsStud, 240, {{QStringLiteral("studname"), QStringLiteral("學生姓名"), 190}});
    grdCourse = namedGrid(body(), "grdCourse", dsWatchlog, 0,
                          {{QStringLiteral("coursename"), QStringLiteral("課程名稱"), 300},
                           {QStringLiteral("mac"), QStringLiteral("網卡"), 150},
                           {QStringLiteral("device"), QStringLiteral("Android 型號"), 160, Qt::AlignLeft},
                           {QStringLiteral("point"), QStringLiteral("點數"), 60},
                           {QStringLiteral("begintime"), QStringLiteral("開始時刻"), 160},
                           {QStringLiteral("endtime"), QStringLiteral("結束時刻"), 160}});
    grdCourse->setWholeRowSelection(false);
    grdCourse->setColumnsResizable(true);
    grdCourse->setItemDelegate(new AlternateRows(grdCourse));
    // The log's context menu adds the receipt of a booking's row to the grid's own items, by mouse
    // and by keyboard alike.
    m_receiptPrint = new QAction(this);
    m_receiptPrint->setObjectName(QStringLiteral("mitReceipt"));
    m_receiptPdf = new QAction(this);
    m_receiptPdf->setObjectName(QStringLiteral("mitReceiptPdf"));
    grdCourse->addMenuAction(m_receiptPrint);
    grdCourse->addMenuAction(m_receiptPdf);
    connect(grdCourse, &DBGrid::contextMenuAboutToShow, this, [this] {
        m_receiptPrint->setText(ReceiptTexts::text("mitReceipt"));
        m_receiptPdf->setText(ReceiptTexts::text("mitReceiptPdf"));
        m_menuBooking = 0;
        guarded([this] { m_menuBooking = bookingKeyAt(grdCourse->contextRow()); });
        m_receiptPrint->setEnabled(m_menuBooking > 0);
        m_receiptPdf->setEnabled(m_menuBooking > 0);
    });
    connect(m_receiptPrint, &QAction::triggered, this, [this] {
        const qint64 key = m_menuBooking;
        guarded([&] {
            ReceiptDesk::print(this, qryWatchlog->connection(), m_session.account, key, CorpWindow::localLogoPath());
        });
    });
    connect(m_receiptPdf, &QAction::triggered, this, [this] {
        const qint64 key = m_menuBooking;
        guarded([&] {
            ReceiptDesk::writePdf(this, qryWatchlog->connection(), m_session.account, key, CorpWindow::localLogoPath(),
                                  m_receiptPdf->text().remove(QLatin1Char('&')));
        });
    });
    QWidget* fields = dockUpperPanel(grdStud, grdCourse, kPanelHeight);

    txtSpkey = addEditLine(fields, &lblSpkey, "lblSpkey", QStringLiteral("學號"), "txtSpkey", dsStud, "spkey",
                           ImeMode::Closed, 195);
    displayOnly(txtSpkey);
    lblSpkey->installEventFilter(this);
    statementEdit = new QLineEdit(QStringLiteral("Edit1"), fields);
    statementEdit->setObjectName(QStringLiteral("Edit1"));
    statementEdit->setGeometry(txtSpkey->geometry().right() + 7, txtSpkey->y(), 420, txtSpkey->height());
    statementEdit->hide();
    txtStudName = addEditLine(fields, &lblStudName, "lblStudName", QStringLiteral("姓名"), "txtStudName", dsStud,
                              "studname", ImeMode::Open, 195);
    displayOnly(txtStudName);
    lblNowPoint = namedLabel("lblNowPoint", QStringLiteral("剩餘點數"));
    txtNowPoint = new QLineEdit(QStringLiteral("0"));
    txtNowPoint->setObjectName(QStringLiteral("txtNowPoint"));
    txtNowPoint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtNowPoint->setReadOnly(true);
    displayOnly(txtNowPoint);
    addFieldLine(fields, lblNowPoint, txtNowPoint, 195);

    showOnlyButtons({btnExit});
    btnPrint = namedButton(pnlButton, "btnPrint", QStringLiteral("列印 (&P)"));
    btnPrint->setGeometry(btnExit->geometry().translated(ButtonWidth, 0));
    btnPdf = namedButton(pnlButton, "btnPdf", QStringLiteral("匯出 PDF…"));
    btnPdf->setGeometry(btnPrint->x() + ButtonWidth, 0, kPdfButtonWidth, btnExit->height());
    onEvent(btnPrint, &QPushButton::clicked, this, &WatchLogWindow::btnPrintClick);
    onEvent(btnPdf, &QPushButton::clicked, this, [this] { btnPdfClick(); });
    lblStatement = namedLabel("lblStatement", QStringLiteral("學生點數明細"));
    lblPrinted = namedLabel("lblPrinted", QStringLiteral("列印日期"));
    lblPage = namedLabel("lblPage", QStringLiteral("第 %1 頁，共 %2 頁"));
    for (QLabel* hidden : {lblStatement, lblPrinted, lblPage}) {
        hidden->setParent(this);
        hidden->hide();
    }
    // Read only when a statement is made: the company's name heads it.
    tblCorp = namedTable(this, "tblCorp", conn, "corp");
    tblCorp->addField(QStringLiteral("corpname"), FieldType::Text, 30);
    setMainTable(tblStud, dsStud);
    setGrids({grdStud});
    setDefaultSort(QStringLiteral("studname ASC"));
    setSortingGrid(grdStud, tblStud);
    finishCreate();
}

void WatchLogWindow::tblAfterOpen()
{
    // Sorting and going to the first row are part of opening: the log is loaded once, when the
    // table has opened.
    const QScopedValueRollback<bool> opening(m_opening, true);
    RecordWindow::tblAfterOpen();
}

void WatchLogWindow::tblStudAfterScroll()
{
    if (m_opening || tblStud->recordCount() == 0)
        return;
    loadSelected();
}

void WatchLogWindow::loadSelected()
{
    const BusyCursor busyCursor;
    try {
        loadLog();
    } catch (...) {
        // No balance for this student, and none of another student beside this one's name.
        txtNowPoint->clear();
        throw;
    }
}

void WatchLogWindow::loadLog()
{
    qint64 sum = 0; // the true figure, however many points the rows hold
    qryWatchlog->close();
    m_logSpkey.clear();
    m_logName.clear();
    const QString statement = watchlogStatement();
    const QString spkey = tblStud->field(QStringLiteral("spkey"))->asString();
    qryWatchlog->setSql(statement, {spkey, spkey});
    statementEdit->setText(statement);
    qryWatchlog->open();
    m_logSpkey = tblStud->field(QStringLiteral("spkey"))->asString();
    m_logName = tblStud->field(QStringLiteral("studname"))->asString();
    const int point = 3;
    const int rows = qryWatchlog->recordCount();
    for (int row = 0; row < rows; ++row)
        sum += qryWatchlog->cellValue(row, point).toLongLong();
    if (rows > 0)
        qryWatchlog->setRecNo(0);
    txtNowPoint->setText(formatBalance(sum));
}

void WatchLogWindow::lblSpkeyClick()
{
    statementEdit->setHidden(!statementEdit->isHidden());
}

bool WatchLogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblSpkey && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && lblSpkey->rect().contains(mouse->position().toPoint()))
            guarded([this] { lblSpkeyClick(); });
    }
    return RecordWindow::eventFilter(watched, event);
}

StatementTexts WatchLogWindow::statementTexts()
{
    StatementTexts texts;
    tblCorp->close();
    tblCorp->open();
    if (tblCorp->recordCount() > 0)
        texts.corpName = tblCorp->cellText(0, 0);
    tblCorp->close();
    texts.title = lblStatement->text();
    texts.logoPath = CorpWindow::localLogoPath();
    texts.spkeyLabel = lblSpkey->text();
    texts.spkey = m_logSpkey;
    texts.nameLabel = lblStudName->text();
    texts.name = m_logName;
    // Summed again from the rows printed: the box may still show an earlier student's figure
    // while a newly selected log is being summed.
    qint64 sum = 0;
    const int point = 3;
    for (int row = 0; row < qryWatchlog->recordCount(); ++row)
        sum += qryWatchlog->cellValue(row, point).toLongLong();
    texts.balanceLabel = lblNowPoint->text();
    texts.balance = formatBalance(sum);
    texts.printedLabel = lblPrinted->text();
    texts.printed = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    texts.pageFormat = lblPage->text();
    return texts;
}

void WatchLogWindow::btnPrintClick()
{
    // No student, or a log not loaded yet: there is no statement to print.
    if (m_logSpkey.isEmpty() || !qryWatchlog->active())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(lblStatement->text() + QLatin1Char(' ') + m_logSpkey);
    PointStatement::setUpPage(&printer);
    if (!promptPrint(this, &printer))
        return;
    const BusyCursor busy;
    PointStatement(statementTexts(), grdCourse->model(), columnWidths(grdCourse), font()).paint(&printer);
}

int WatchLogWindow::btnPdfClick()
{
    if (m_logSpkey.isEmpty() || !qryWatchlog->active())
        return 0;
    const QString path = promptFileSave(this, btnPdf->text().remove(QLatin1Char('&')), QStringLiteral("PDF (*.pdf)"),
                                        m_logSpkey + QStringLiteral(".pdf"));
    if (path.isEmpty())
        return 0;
    const BusyCursor busy;
    return PointStatement(statementTexts(), grdCourse->model(), columnWidths(grdCourse), font()).writePdf(path);
}

qint64 WatchLogWindow::bookingKeyAt(int row)
{
    if (row < 0 || !qryWatchlog->active() || row >= qryWatchlog->recordCount() || m_logSpkey.isEmpty())
        return 0;
    enum { Course, Mac, Device, Point, Begin, End };
    // A booking's row has no network card, device or end; the same text, time and points may stand
    // on more than one row, the bookings then taken in key order.
    const auto cells = [this](int r) {
        return QVariantList{qryWatchlog->cellValue(r, Course), qryWatchlog->cellValue(r, Point),
                            qryWatchlog->cellValue(r, Begin)};
    };
    const auto bookingLike = [this](int r) {
        return qryWatchlog->cellValue(r, Mac).isNull() && qryWatchlog->cellValue(r, Device).isNull()
               && qryWatchlog->cellValue(r, End).isNull();
    };
    if (!bookingLike(row))
        return 0;
    const QVariantList shown = cells(row);
    int occurrence = 0;
    for (int r = 0; r < row; ++r)
        occurrence += bookingLike(r) && cells(r) == shown ? 1 : 0;
    return ReceiptBook::findBooking(qryWatchlog->connection(), m_logSpkey, shown.at(2).toDateTime(), shown.at(1),
                                    shown.at(0).toString(), occurrence);
}

QMenu* WatchLogWindow::logMenu(int row)
{
    return grdCourse->makeContextMenu(this, row);
}
