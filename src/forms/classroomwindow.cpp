#include "classroomwindow.h"

#include "data/datasource.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/importaction.h"
#include "forms/windowtables.h"
#include "ui/inputmethod.h"

#include <QLabel>
#include <QPushButton>

ClassroomWindow::ClassroomWindow(Connection* conn, QWidget* parent)
    : RecordWindow(QStringLiteral("frmClassroom"), QStringLiteral("班級管理"), parent)
{
    tblClassroom = classroomTable(this, conn);
    dsClassroom = namedSource(this, "dsClassroom", tblClassroom);

    grdClassroom = namedGrid(body(), "grdClassroom", dsClassroom, 393,
                             {{QStringLiteral("classname"), QStringLiteral("班級名稱"), 268},
                              {QStringLiteral("teacher"), QStringLiteral("講師"), 0}});
    QWidget* fields = dockGridLeft(grdClassroom);

    txtBpkey = addEditLine(fields, &lblCrpkey, "lblCrpkey", QStringLiteral("班級代號"), "txtBpkey", dsClassroom,
                           "crpkey", ImeMode::Closed, 51);
    lblCrpkey->hide();
    txtBpkey->hide();
    txtBpkey->setEnabled(false);
    txtBpkey->setReadOnly(true);
    txtBpkey->setFocusPolicy(Qt::NoFocus);
    txtClassName = addEditLine(fields, &lblClassName, "lblClassName", QStringLiteral("班級名稱"), "txtClassName",
                               dsClassroom, "classname", ImeMode::Open, 291);
    txtTeacher = addEditLine(fields, &lblTeacher, "lblTeacher", QStringLiteral("講師"), "txtTeacher", dsClassroom,
                             "teacher", ImeMode::Closed, 164);
    txtClassPoint = addEditLine(fields, &lblClassPoint, "lblClassPoint", QStringLiteral("總點數"), "txtClassPoint",
                                dsClassroom, "classpoint", ImeMode::Closed, 49);
    txtVideoPoint = addEditLine(fields, &lblVideoPoint, "lblVideoPoint", QStringLiteral("每次扣點"), "txtVideoPoint",
                                dsClassroom, "videopoint", ImeMode::Closed, 48);

    setTabOrder(btnExit, txtClassName);
    setTabOrder(txtClassName, txtTeacher);
    setTabOrder(txtTeacher, txtClassPoint);
    setTabOrder(txtClassPoint, txtVideoPoint);

    setMainTable(tblClassroom, dsClassroom);
    setInputs({txtClassName, txtTeacher, txtClassPoint, txtVideoPoint});
    setGrids({grdClassroom});
    setFirstField(txtClassName);
    setDefaultSort(QStringLiteral("classname ASC"));
    setSortingGrid(grdClassroom, tblClassroom);
    setRequiredFields(Import::Rules::classes(), {txtClassName, txtTeacher, txtClassPoint, txtVideoPoint});
    new ImportAction(this, grdClassroom, &Import::Rules::classes);
    finishCreate();
}
