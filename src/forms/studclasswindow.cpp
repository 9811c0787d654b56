#include "studclasswindow.h"
#include "forms/windowtables.h"

#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/dblookupcombobox.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/corpwindow.h"
#include "forms/windowparts.h"
#include "print/receiptdesk.h"
#include "ui/guard.h"
#include "forms/importaction.h"
#include "ui/messagebox.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kPanelHeight = 140;
constexpr int kReceiptPdfWidth = 110;
} // namespace

StudClassWindow::StudClassWindow(Connection* conn, const Session& session, QWidget* parent)
    : RecordWindow(QStringLiteral("frmStudClass"), QStringLiteral("點數儲值"), parent)
    , m_session(session)
{
    tblUser = namedTable(this, "tblUser", conn, "users");
    tblUser->addField(QStringLiteral("uid"), FieldType::Text, 20);
    tblUser->addField(QStringLiteral("uname"), FieldType::Text, 10);

    // Only what the name lookup reads: a hundred thousand passwords would cost memory and time.
    tblStud = namedTable(this, "tblStud", conn, "stud");
    tblStud->addField(QStringLiteral("spkey"), FieldType::Text, 20);
    tblStud->addField(QStringLiteral("studname"), FieldType::Text, 10);

    tblClassroom = classroomTable(this, conn);
    connect(tblClassroom, &SnapshotTable::afterOpen, this, [this] { tblClassroomAfterOpen(); });
    dsClassroom = namedSource(this, "dsClassroom", tblClassroom);

    // The lookup fields come in this order, so that opening the bookings opens the staff, the
    // students and the classes, in that order.
    tblStudClass = namedTable(this, "tblStudClass", conn, "studclass");
    tblStudClass->addField(QStringLiteral("scpkey"), FieldType::Int64);
    tblStudClass->addField(QStringLiteral("buydate"), FieldType::DateTime);
    tblStudClass->addField(QStringLiteral("spkey"), FieldType::Text, 10);
    Field* crpkey = tblStudClass->addField(QStringLiteral("crpkey"), FieldType::Int32);
    tblStudClass->addField(QStringLiteral("watchpoint"), FieldType::Int32);
    tblStudClass->addField(QStringLiteral("uid"), FieldType::Text, 20);
    const QString uid = QStringLiteral("uid");
    const QString spkey = QStringLiteral("spkey");
    const QString key = QStringLiteral("crpkey");
    tblStudClass->addLookupField(QStringLiteral("username"), FieldType::Text, 10, tblUser, uid, uid,
                                 QStringLiteral("uname"));
    tblStudClass->addLookupField(QStringLiteral("studname"), FieldType::Text, 10, tblStud, spkey, spkey,
                                 QStringLiteral("studname"));
    tblStudClass->addLookupField(QStringLiteral("uname"), FieldType::Text, 10, tblUser, uid, uid,
                                 QStringLiteral("uname"));
    tblStudClass->addLookupField(QStringLiteral("classname"), FieldType::Text, 30, tblClassroom, key, key,
                                 QStringLiteral("classname"));
    tblStudClass->addLookupField(QStringLiteral("classpoint"), FieldType::Int32, 0, tblClassroom, key, key,
                                 QStringLiteral("classpoint"));
    tblStudClass->setKeyField(QStringLiteral("scpkey"));
    tblStudClass->setInsertToken(QStringLiteral("booking_token"), QStringLiteral("scpkey"));
    connect(tblStudClass, &SnapshotTable::newRecord, this, [this] { tblStudClassNewRecord(); });
    crpkey->onChange = [this](Field&) { tblStudClasscrpkeyChange(); };
    dsStudClass = namedSource(this, "dsStudClass", tblStudClass);

    grdStudClass = namedGrid(body(), "grdStudClass", dsStudClass, 0,
                             {{QStringLiteral("buydate"), QStringLiteral("購買日期"), 170},
                              {QStringLiteral("watchpoint"), QStringLiteral("購買點數"), 80},
                              {QStringLiteral("username"), QStringLiteral("承辦人"), 110},
                              {QStringLiteral("studname"), QStringLiteral("學生姓名"), 110},
                              {QStringLiteral("classname"), QStringLiteral("課程名稱"), 260}});
    grdStudClass->setWholeRowSelection(false);
    grdStudClass->setColumnsResizable(true);
    QWidget* fields = dockUpperPanel(nullptr, grdStudClass, kPanelHeight);

    txtSpkey = addEditLine(fields, &lblSpkey, "lblSpkey", QStringLiteral("學號"), "txtSpkey", dsStudClass, "spkey",
                           ImeMode::Closed, 110);
    txtStudName = new DBEdit(fields);
    txtStudName->setObjectName(QStringLiteral("DBEdit2"));
    txtStudName->setDataSource(dsStudClass);
    txtStudName->setDataField(QStringLiteral("studname"));
    txtStudName->setGeometry(txtSpkey->geometry().right() + 7, txtSpkey->y(), 130, txtSpkey->height());
    displayOnly(txtStudName);

    lblCrpkey = namedLabel("lblCrpkey", QStringLiteral("班級名稱"));
    cboClass = new DBLookupComboBox;
    cboClass->setObjectName(QStringLiteral("cboClass"));
    cboClass->setDataSource(dsStudClass);
    cboClass->setDataField(QStringLiteral("crpkey"));
    cboClass->setListSource(dsClassroom);
    cboClass->setKeyField(QStringLiteral("crpkey"));
    cboClass->setListField(QStringLiteral("classname"));
    setImeMode(cboClass, ImeMode::Closed);
    addFieldLine(fields, lblCrpkey, cboClass, 291);

    txtWatchPoint = addEditLine(fields, &lblWatchPoint, "lblWatchPoint", QStringLiteral("加、扣點數"), "txtWatchPoint",
                                dsStudClass, "watchpoint", ImeMode::Closed, 110);
    txtUid = addEditLine(fields, &lblUser, "lblUser", QStringLiteral("承辦人"), "txtUid", dsStudClass, "uname",
                         ImeMode::Closed, 130);
    displayOnly(txtUid);

    showOnlyButtons({btnAdd, btnPost, btnCancel, btnExit});
    btnReceipt = namedButton(pnlButton, "btnReceipt", QStringLiteral("收據 (&R)"));
    btnReceipt->setGeometry(btnExit->geometry().translated(btnExit->width(), 0));
    btnReceiptPdf = namedButton(pnlButton, "btnReceiptPdf", QStringLiteral("收據 PDF…"));
    btnReceiptPdf->setGeometry(btnReceipt->geometry().right() + 1, 0, kReceiptPdfWidth, btnExit->height());
    onEvent(btnReceipt, &QPushButton::clicked, this, &StudClassWindow::btnReceiptClick);
    onEvent(btnReceiptPdf, &QPushButton::clicked, this, [this] { btnReceiptPdfClick(); });
    setTabOrder(btnExit, txtSpkey);
    setTabOrder(txtSpkey, cboClass);
    setTabOrder(cboClass, txtWatchPoint);

    setMainTable(tblStudClass, dsStudClass);
    setInputs({txtSpkey, cboClass, txtWatchPoint});
    setGrids({grdStudClass});
    setFirstField(txtSpkey);
    auto* import = new ImportAction(this, grdStudClass, [this] { return Import::Rules::topUps(m_session.account); });
    // The names beside the new bookings may be of students and classes added since the window opened.
    import->reread = [this] { tblStudClass->close();
    for (SnapshotTable* source : {tblUser, tblStud, tblClassroom})
        source->close();
    tblStudClass->open();
};
finishCreate();
}

void StudClassWindow::btnPostClick()
{
    RecordWindow::btnPostClick();
    if (tblStudClass->state() == DataSetState::Browse && tblStudClass->recNo() >= 0) {
        m_lastSavedKey = tblStudClass->field(QStringLiteral("scpkey"))->asInteger();
        dsStateChange();
    }
    // The window shows only new bookings: without this the clerk could not tell whether the
    // booking of the broken save is in the database.
    switch (tblStudClass->lastInsertRecheck()) {
    case InsertRecheck::FoundStored:
        showMessageBox(this,
                       QStringLiteral("連線中斷前送出的這筆儲值已經存入資料庫，這次沒有再儲存一次，以免重複。"
                                      "表格中顯示的是資料庫裡的那一筆；如需更正，請另外新增一筆加、扣點數。"),
                       QStringLiteral("儲值先前已存入"), Win::MB_ICONASTERISK);
        break;
    case InsertRecheck::NowStored:
        showMessageBox(this, QStringLiteral("連線中斷前送出的這筆儲值並沒有存入資料庫，這次已經儲存。"),
                       QStringLiteral("儲值已儲存"), Win::MB_ICONASTERISK);
        break;
    case InsertRecheck::None:
        break;
    }
}

void StudClassWindow::tblClassroomAfterOpen()
{
    tblClassroom->setSort(QStringLiteral("classname ASC"));
}

void StudClassWindow::tblStudClassNewRecord()
{
    const QDateTime now = QDateTime::currentDateTime();
    // Stored to the second, as the column holds it.
    tblStudClass->field(QStringLiteral("buydate"))->setValue(now.addMSecs(-now.time().msec()));
    tblStudClass->field(QStringLiteral("uid"))->setAsString(m_session.account);
}

void StudClassWindow::tblStudClasscrpkeyChange()
{
    // The class's total replaces whatever points were there; a class without a total leaves the
    // points empty.
    Field* total = tblStudClass->field(QStringLiteral("classpoint"));
    Field* points = tblStudClass->field(QStringLiteral("watchpoint"));
    if (total->isNull())
        points->clear();
    else
        points->setValue(total->asInteger());
}

void StudClassWindow::dsStateChange()
{
    RecordWindow::dsStateChange();
    if (!btnReceipt)
        return;
    const bool on = m_lastSavedKey > 0 && !tblStudClass->editing();
    btnReceipt->setEnabled(on);
    btnReceiptPdf->setEnabled(on);
}

void StudClassWindow::btnReceiptClick()
{
    if (m_lastSavedKey > 0)
        ReceiptDesk::print(this, tblStudClass->connection(), m_session.account, m_lastSavedKey,
                           CorpWindow::localLogoPath());
}

int StudClassWindow::btnReceiptPdfClick()
{
    if (m_lastSavedKey <= 0)
        return 0;
    return ReceiptDesk::writePdf(this, tblStudClass->connection(), m_session.account, m_lastSavedKey,
                                 CorpWindow::localLogoPath(), btnReceiptPdf->text().remove(QLatin1Char('&')));
}
