#include "studentwindow.h"

#include "data/datasource.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/importaction.h"

#include <QLabel>
#include <QPushButton>

namespace {
const QString kSpkeyHint = QStringLiteral("請注意：學號一旦儲存，就不能變更");
}

StudentWindow::StudentWindow(Connection* conn, QWidget* parent)
    : RecordWindow(QStringLiteral("frmStudent"), QStringLiteral("學生管理"), parent)
{
    tblStudent = namedTable(this, "tblStudent", conn, "stud");
    Field* spkey = tblStudent->addField(QStringLiteral("spkey"), FieldType::Text, 20);
    tblStudent->addField(QStringLiteral("studname"), FieldType::Text, 10);
    tblStudent->addField(QStringLiteral("studpwd"), FieldType::Text, 40);
    tblStudent->setKeyField(QStringLiteral("spkey"));
    spkey->onChange = [this](Field&) { tblStudentspkeyChange(); };
    dsStudent = namedSource(this, "dsStudent", tblStudent);

    grdStudent = namedGrid(body(), "grdStudent", dsStudent, 345,
                           {{QStringLiteral("spkey"), QStringLiteral("學號"), 102},
                            {QStringLiteral("studname"), QStringLiteral("學生姓名"), 180}});
    QWidget* fields = dockGridLeft(grdStudent);

    txtSpkey = addEditLine(fields, &lblSpkey, "lblSpkey", QStringLiteral("學號"), "txtSpkey", dsStudent, "spkey",
                           ImeMode::Closed, 195);
    txtSpkey->setFocusPolicy(Qt::ClickFocus);
    txtSpkey->setToolTip(kSpkeyHint);
    txtStudName = addEditLine(fields, &lblStudName, "lblStudName", QStringLiteral("學生姓名"), "txtStudName", dsStudent,
                              "studname", ImeMode::Open, 195);
    txtStudpwd = addEditLine(fields, &lblStudpwd, "lblStudpwd", QStringLiteral("密碼"), "txtStudpwd", dsStudent,
                             "studpwd", ImeMode::Closed, 195);

    lblHint = namedLabel("lblHint", QStringLiteral("提示"));
    lblHint->setParent(fields);
    QFont bold = lblHint->font();
    bold.setPixelSize(19);
    bold.setBold(true);
    lblHint->setFont(bold);
    lblHint->setStyleSheet(QStringLiteral("color: red;"));
    lblHint->setGeometry(txtStudpwd->x(), txtStudpwd->y() + 34, 420, 28);

    setTabOrder(txtStudName, txtStudpwd);
    setTabOrder(txtStudpwd, btnAdd);

    setMainTable(tblStudent, dsStudent);
    setInputs({txtSpkey, txtStudName, txtStudpwd});
    setGrids({grdStudent});
    setFirstField(txtSpkey);
    setDefaultSort(QStringLiteral("studname ASC"));
    setSortingGrid(grdStudent, tblStudent);
    setRequiredFields(Import::Rules::students(), {txtSpkey, txtStudName, txtStudpwd});
    new ImportAction(this, grdStudent, &Import::Rules::students);
    setFieldHint(txtSpkey, kSpkeyHint);
    setFieldHint(txtStudpwd, QStringLiteral("請輸入以 英文 與 數字 組成的密碼"));
    finishCreate();
}

void StudentWindow::loadData()
{
    lblHint->clear();
    RecordWindow::loadData();
}

void StudentWindow::dsStateChange()
{
    RecordWindow::dsStateChange();
    // The number is typed only while a student is added; once saved it cannot change.
    txtSpkey->setEnabled(tblStudent->state() == DataSetState::Insert);
}

void StudentWindow::tblStudentspkeyChange()
{
    Field* password = tblStudent->field(QStringLiteral("studpwd"));
    if (password->isNull())
        password->setAsString(tblStudent->field(QStringLiteral("spkey"))->asString());
}

void StudentWindow::fieldEnter(QWidget* box)
{
    RecordWindow::fieldEnter(box);
    if (box == txtSpkey)
        lblHint->setText(kSpkeyHint);
}

void StudentWindow::fieldExit(QWidget* box)
{
    RecordWindow::fieldExit(box);
    if (box == txtSpkey)
        lblHint->clear();
}
