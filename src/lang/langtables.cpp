#include "langtables.h"
#include "langtablebuild.h"

#include <algorithm>
#include <initializer_list>

namespace LangTableBuild {

// Builds a table from the property paths in ID order: "Caption" belongs to the window itself,
// "X.Caption" to its component X. Components named in children come first, in that order, even
// when they have no translatable property.
LangEntry build(const char* window, std::initializer_list<const char*> paths,
                std::initializer_list<const char*> children)
{
    LangEntry root;
    root.name = QString::fromLatin1(window);
    for (const char* name : children)
        root.children.append(LangEntry{QString::fromLatin1(name), {}, {}});
    qint32 id = 0;
    for (const char* p : paths) {
        ++id;
        const QString path = QString::fromLatin1(p);
        const qsizetype dot = path.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            root.properties.append(LangProperty{id, path});
            continue;
        }
        const QString component = path.left(dot);
        auto it = std::find_if(root.children.begin(), root.children.end(),
                               [&](const LangEntry& e) { return e.name == component; });
        if (it == root.children.end()) {
            root.children.append(LangEntry{component, {}, {}});
            it = root.children.end() - 1;
        }
        it->properties.append(LangProperty{id, path.mid(dot + 1)});
    }
    return root;
}

} // namespace LangTableBuild

using LangTableBuild::build;

LangEntry LangTables::frmLogin()
{
    return build("frmLogin",
                 {"Caption", "lblUno.Caption", "lblPassword.Caption", "btnLogin.Caption", "btnExit.Caption",
                  "Memo1.Lines", "chkShowPassword.Caption", "connRyn.ConnectionString", "qryLogin.SQL",
                  "tblCorp.TableName", "tblCorpinvoiceno.FieldName", "tblCorpcorpname.FieldName",
                  "tblCorpwatermark.FieldName"},
                 {"lblUno", "lblPassword", "txtLogin", "txtPassword", "btnLogin", "btnExit", "Memo1", "chkShowPassword",
                  "connRyn", "qryLogin", "dsLogin", "tblCorp", "tblCorpinvoiceno", "tblCorpcorpname",
                  "tblCorpwatermark", "LangCtrl"});
}

LangEntry LangTables::frmRynMain()
{
    return build("frmRynMain", {"Caption",
                                "conn.ConnectionString",
                                "mitBasic.Caption",
                                "mitStudent.Caption",
                                "mitClassroom.Caption",
                                "mitCourse.Caption",
                                "mitBuy.Caption",
                                "mitQuery.Caption",
                                "mitCorp.Caption",
                                "mitLang.Caption",
                                "mitTW.Caption",
                                "mitCN.Caption",
                                "mitUser.Caption",
                                "mitPassword.Caption",
                                "mitExit.Caption",
                                "mitWindow.Caption",
                                "mitCascade.Caption",
                                "mitHorizontal.Caption",
                                "mitVertical.Caption",
                                "mitIcon.Caption",
                                "mitCloseAll.Caption",
                                "mitHelp.Caption",
                                "mitAbout.Caption",
                                "lblRestart.Caption",
                                "lblCloseQuery.Caption",
                                "lblExit.Caption",
                                "mitStatistics.Caption",
                                "mitHistory.Caption",
                                "mitDayClose.Caption",
                                "mitLowBalance.Caption"});
}

LangEntry LangTables::frmChangePassword()
{
    return build("frmChangePassword",
                 {"Caption", "lblPassword1.Caption", "lblPassword2.Caption", "btnOK.Caption", "chkShowPassword.Caption",
                  "btnReset.Caption", "btnExit.Caption", "tblUser.TableName"});
}

LangEntry LangTables::frmAbout()
{
    return build("frmAbout",
                 {"Caption", "lblAppName.Caption", "lblVersion.Caption", "lblWebsite.Caption", "btnOK.Caption"});
}

LangEntry LangTables::frmClassroom()
{
    return build("frmClassroom", {"Caption",
                                  "lblCrpkey.Caption",
                                  "lblClassName.Caption",
                                  "lblTeacher.Caption",
                                  "lblClassPoint.Caption",
                                  "lblVideoPoint.Caption",
                                  "btnAdd.Caption",
                                  "btnEdit.Caption",
                                  "btnDelete.Caption",
                                  "btnExit.Caption",
                                  "btnPost.Caption",
                                  "btnCancel.Caption",
                                  "txtClassName.DataField",
                                  "txtTeacher.DataField",
                                  "txtBpkey.DataField",
                                  "txtClassPoint.DataField",
                                  "txtVideoPoint.DataField",
                                  "tblClassroom.TableName",
                                  "tblClassroomcrpkey.FieldName",
                                  "tblClassroomclassname.FieldName",
                                  "tblClassroomteacher.FieldName",
                                  "tblClassroomclasspoint.FieldName",
                                  "tblClassroomvideopoint.FieldName",
                                  "grdClassroom.Columns[0].Title.Caption",
                                  "grdClassroom.Columns[1].Title.Caption"});
}

LangEntry LangTables::frmCorp()
{
    return build("frmCorp", {"Caption",
                             "lblInvoiceno.Caption",
                             "lblCorpName.Caption",
                             "lblPng.Caption",
                             "lblWH.Caption",
                             "lblLogohint.Caption",
                             "btnEdit.Caption",
                             "btnExit.Caption",
                             "btnPost.Caption",
                             "btnCancel.Caption",
                             "txtInvoiceno.DataField",
                             "txtCorpName.DataField",
                             "chkWatermark.Caption",
                             "chkWatermark.DataField",
                             "btnUpload.Caption",
                             "btnDownload.Caption",
                             "tblCorp.TableName",
                             "tblCorpinvoiceno.FieldName",
                             "tblCorpcorpname.FieldName",
                             "tblCorpwatermark.FieldName",
                             "ftpUpload.Host"});
}

LangEntry LangTables::frmCourse()
{
    return build("frmCourse", {"Caption",
                               "btnAdd.Caption",
                               "btnEdit.Caption",
                               "btnDelete.Caption",
                               "btnExit.Caption",
                               "btnPost.Caption",
                               "btnCancel.Caption",
                               "btnDelAll.Caption",
                               "lblCrpkey.Caption",
                               "lblClassName.Caption",
                               "lblCourseName.Caption",
                               "lblVideoName.Caption",
                               "lblVideoLen.Caption",
                               "lblPoint.Caption",
                               "lblStatus.Caption",
                               "Label1.Caption",
                               "txtClassName.DataField",
                               "txtBpkey.DataField",
                               "txtCourseName.DataField",
                               "txtVideoName.DataField",
                               "txtVideoLen.DataField",
                               "txtPoint.DataField",
                               "btnFile.Caption",
                               "btnUpload.Caption",
                               "txtStatus.DataField",
                               "tblClassroom.TableName",
                               "tblClassroomcrpkey.FieldName",
                               "tblClassroomclassname.FieldName",
                               "tblClassroomteacher.FieldName",
                               "tblClassroomclasspoint.FieldName",
                               "tblClassroomvideopoint.FieldName",
                               "tblCourse.IndexFieldNames",
                               "tblCourse.MasterFields",
                               "tblCourse.TableName",
                               "tblCoursecpkey.FieldName",
                               "tblCoursecrpkey.FieldName",
                               "tblCoursecoursename.FieldName",
                               "tblCoursevideoname.FieldName",
                               "tblCoursevideolen.FieldName",
                               "tblCoursepoint.FieldName",
                               "tblCoursestatus.FieldName",
                               "ftpUpload.Host",
                               "tblCourseisopen.FieldName",
                               "chkOpen.Caption",
                               "chkOpen.DataField",
                               "grdClassroom.Columns[0].Title.Caption",
                               "grdCourse.Columns[0].Title.Caption",
                               "grdCourse.Columns[1].Title.Caption",
                               "grdCourse.Columns[2].Title.Caption",
                               "grdCourse.Columns[3].Title.Caption",
                               "grdCourse.Columns[4].Title.Caption"});
}

LangEntry LangTables::frmStudClass()
{
    return build("frmStudClass", {"Caption",
                                  "btnAdd.Caption",
                                  "btnEdit.Caption",
                                  "btnDelete.Caption",
                                  "btnExit.Caption",
                                  "btnPost.Caption",
                                  "btnCancel.Caption",
                                  "lblScpkey.Caption",
                                  "lblBuyDate.Caption",
                                  "lblSpkey.Caption",
                                  "lblCrpkey.Caption",
                                  "lblWatchPoint.Caption",
                                  "lblUser.Caption",
                                  "Label1.Caption",
                                  "cboClass.DataField",
                                  "cboClass.KeyField",
                                  "cboClass.ListField",
                                  "txtScpkey.DataField",
                                  "txtBuyDate.DataField",
                                  "txtSpkey.DataField",
                                  "txtCrpkey.DataField",
                                  "txtWatchPoint.DataField",
                                  "txtUser.DataField",
                                  "DBEdit2.DataField",
                                  "txtUid.DataField",
                                  "tblClassroom.TableName",
                                  "tblClassroomcrpkey.FieldName",
                                  "tblClassroomclassname.FieldName",
                                  "tblClassroomteacher.FieldName",
                                  "tblClassroomclasspoint.FieldName",
                                  "tblClassroomvideopoint.FieldName",
                                  "tblCourse.IndexFieldNames",
                                  "tblCourse.MasterFields",
                                  "tblCourse.TableName",
                                  "tblCoursecpkey.FieldName",
                                  "tblCoursecrpkey.FieldName",
                                  "tblCoursecoursename.FieldName",
                                  "tblCoursevideoname.FieldName",
                                  "tblCoursevideolen.FieldName",
                                  "tblCoursepoint.FieldName",
                                  "tblCoursestatus.FieldName",
                                  "tblStud.TableName",
                                  "tblStudspkey.FieldName",
                                  "tblStudstudname.FieldName",
                                  "tblStudstudpwd.FieldName",
                                  "tblStudClass.TableName",
                                  "tblStudClassscpkey.FieldName",
                                  "tblStudClassbuydate.FieldName",
                                  "tblStudClassspkey.FieldName",
                                  "tblStudClasscrpkey.FieldName",
                                  "tblStudClasswatchpoint.FieldName",
                                  "tblStudClassuid.FieldName",
                                  "tblStudClassusername.FieldName",
                                  "tblStudClassusername.LookupKeyFields",
                                  "tblStudClassusername.LookupResultField",
                                  "tblStudClassusername.KeyFields",
                                  "tblStudClassstudname.FieldName",
                                  "tblStudClassstudname.LookupKeyFields",
                                  "tblStudClassstudname.LookupResultField",
                                  "tblStudClassstudname.KeyFields",
                                  "tblStudClassuname.FieldName",
                                  "tblStudClassuname.LookupKeyFields",
                                  "tblStudClassuname.LookupResultField",
                                  "tblStudClassuname.KeyFields",
                                  "tblStudClassclassname.FieldName",
                                  "tblStudClassclassname.LookupKeyFields",
                                  "tblStudClassclassname.LookupResultField",
                                  "tblStudClassclassname.KeyFields",
                                  "tblStudClassclasspoint.FieldName",
                                  "tblStudClassclasspoint.LookupKeyFields",
                                  "tblStudClassclasspoint.LookupResultField",
                                  "tblStudClassclasspoint.KeyFields",
                                  "tblUser.TableName",
                                  "grdStudClass.Columns[0].Title.Caption",
                                  "grdStudClass.Columns[1].Title.Caption",
                                  "grdStudClass.Columns[2].Title.Caption",
                                  "grdStudClass.Columns[3].Title.Caption",
                                  "grdStudClass.Columns[4].Title.Caption",
                                  "btnReceipt.Caption",
                                  "btnReceiptPdf.Caption"});
}

LangEntry LangTables::frmStudent()
{
    return build("frmStudent", {"Caption",
                                "lblSpkey.Caption",
                                "lblStudName.Caption",
                                "lblStudpwd.Caption",
                                "lblHint.Caption",
                                "btnAdd.Caption",
                                "btnEdit.Caption",
                                "btnDelete.Caption",
                                "btnExit.Caption",
                                "btnPost.Caption",
                                "btnCancel.Caption",
                                "txtStudName.DataField",
                                "txtStudpwd.DataField",
                                "txtSpkey.Hint",
                                "txtSpkey.DataField",
                                "tblStudent.TableName",
                                "tblStudentspkey.FieldName",
                                "tblStudentstudname.FieldName",
                                "tblStudentstudpwd.FieldName",
                                "grdStudent.Columns[0].Title.Caption",
                                "grdStudent.Columns[1].Title.Caption"});
}

LangEntry LangTables::frmUser()
{
    return build("frmUser", {"Caption",
                             "lblUpkey.Caption",
                             "lblUID.Caption",
                             "lblUname.Caption",
                             "lblPwd.Caption",
                             "lblPwdHint.Caption",
                             "btnAdd.Caption",
                             "btnEdit.Caption",
                             "btnDelete.Caption",
                             "btnExit.Caption",
                             "btnPost.Caption",
                             "btnCancel.Caption",
                             "txtUpkey.DataField",
                             "txtUID.DataField",
                             "txtUname.DataField",
                             "txtPwdHint.DataField",
                             "chkIsadmin.Caption",
                             "chkIsadmin.DataField",
                             "txtPwd.EditMask",
                             "tblUser.Filter",
                             "tblUser.TableName",
                             "tblUserupkey.FieldName",
                             "tblUseruid.FieldName",
                             "tblUseruname.FieldName",
                             "tblUserpwd.FieldName",
                             "tblUserisadmin.FieldName",
                             "tblUserpwdhint.FieldName",
                             "grdUser.Columns[0].Title.Caption",
                             "grdUser.Columns[1].Title.Caption"});
}

LangEntry LangTables::frmWatchlog()
{
    return build("frmWatchlog", {"Caption",
                                 "btnExit.Caption",
                                 "lblSpkey.Caption",
                                 "lblStudName.Caption",
                                 "lblNowPoint.Caption",
                                 "txtStudName.DataField",
                                 "txtSpkey.DataField",
                                 "Edit1.Text",
                                 "tblStud.TableName",
                                 "tblStudspkey.FieldName",
                                 "tblStudstudname.FieldName",
                                 "tblStudstudpwd.FieldName",
                                 "qryWatchlog.SQL",
                                 "qryWatchlogcoursename.FieldName",
                                 "qryWatchlogmac.FieldName",
                                 "qryWatchlogdevice.FieldName",
                                 "qryWatchlogpoint.FieldName",
                                 "qryWatchlogbegintime.FieldName",
                                 "qryWatchlogendtime.FieldName",
                                 "btnPrint.Caption",
                                 "btnPdf.Caption",
                                 "lblStatement.Caption",
                                 "lblPrinted.Caption",
                                 "lblPage.Caption",
                                 "grdStud.Columns[0].Title.Caption",
                                 "grdCourse.Columns[0].Title.Caption",
                                 "grdCourse.Columns[1].Title.Caption",
                                 "grdCourse.Columns[2].Title.Caption",
                                 "grdCourse.Columns[3].Title.Caption",
                                 "grdCourse.Columns[4].Title.Caption",
                                 "grdCourse.Columns[5].Title.Caption"});
}

LangEntry LangTables::frmStatistics()
{
    return build("frmStatistics",
                 {"Caption", "btnExit.Caption", "btnRefresh.Caption", "lblMonth.Caption", "lblPointsChart.Caption",
                  "lblStudentsChart.Caption", "lblTopChart.Caption", "lblSold.Caption", "lblUsed.Caption",
                  "lblStudents.Caption", "lblViews.Caption", "grdMonths.Columns[0].Title.Caption",
                  "grdMonths.Columns[1].Title.Caption", "grdMonths.Columns[2].Title.Caption",
                  "grdMonths.Columns[3].Title.Caption", "grdTopCourses.Columns[0].Title.Caption",
                  "grdTopCourses.Columns[1].Title.Caption", "grdTopCourses.Columns[2].Title.Caption"});
}

QStringList LangTables::windowNames()
{
    return {QStringLiteral("frmLogin"),     QStringLiteral("frmRynMain"),      QStringLiteral("frmChangePassword"),
            QStringLiteral("frmAbout"),     QStringLiteral("frmClassroom"),    QStringLiteral("frmCorp"),
            QStringLiteral("frmCourse"),    QStringLiteral("frmStudClass"),    QStringLiteral("frmStudent"),
            QStringLiteral("frmUser"),      QStringLiteral("frmWatchlog"),     QStringLiteral("frmStatistics"),
            QStringLiteral("frmGridTools"), QStringLiteral("frmHistoryTexts"), QStringLiteral("frmHistory"),
            QStringLiteral("frmDayClose"),  QStringLiteral("frmLowBalance"),   QStringLiteral("frmReceipt"),
            QStringLiteral("frmImport")};
}

LangEntry LangTables::forWindow(const QString& windowName)
{
    using Table = LangEntry (*)();
    static const std::pair<const char*, Table> tables[] = {
        {"frmLogin", &LangTables::frmLogin},
        {"frmRynMain", &LangTables::frmRynMain},
        {"frmChangePassword", &LangTables::frmChangePassword},
        {"frmAbout", &LangTables::frmAbout},
        {"frmClassroom", &LangTables::frmClassroom},
        {"frmCorp", &LangTables::frmCorp},
        {"frmCourse", &LangTables::frmCourse},
        {"frmStudClass", &LangTables::frmStudClass},
        {"frmStudent", &LangTables::frmStudent},
        {"frmUser", &LangTables::frmUser},
        {"frmWatchlog", &LangTables::frmWatchlog},
        {"frmStatistics", &LangTables::frmStatistics},
        {"frmGridTools", &LangTables::frmGridTools},
        {"frmHistoryTexts", &LangTables::frmHistoryTexts},
        {"frmHistory", &LangTables::frmHistory},
        {"frmDayClose", &LangTables::frmDayClose},
        {"frmLowBalance", &LangTables::frmLowBalance},
        {"frmReceipt", &LangTables::frmReceipt},
        {"frmImport", &LangTables::frmImport},
    };
    for (const auto& [name, table] : tables)
        if (windowName == QLatin1String(name))
            return table();
    return LangEntry{windowName, {}, {}};
}
