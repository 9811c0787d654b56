#include "langtables.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Builds a table from the property paths in ID order: "Caption" belongs to the window itself,
// "X.Caption" to its component X. Components named in children come first, in that order, even
// when they have no translatable property.
LangEntry build(const char* window, std::initializer_list<const char*> paths,
                std::initializer_list<const char*> children = {})
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

} // namespace

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

LangEntry LangTables::frmGridTools()
{
    return build("frmGridTools",
                 {"Caption", "lblFind.Caption", "btnFindPrev.Caption", "btnFindNext.Caption", "lblNotFound.Caption",
                  "lblWrappedToTop.Caption", "lblWrappedToBottom.Caption", "mitExportXlsx.Caption",
                  "mitExportCsv.Caption", "lblXlsxFilter.Caption", "lblCsvFilter.Caption", "lblExporting.Caption",
                  "btnCancelExport.Caption", "mitFilter.Caption", "mitCopy.Caption", "mitRestoreColumns.Caption",
                  "lblFilterCount.Caption"});
}

LangEntry LangTables::frmHistoryTexts()
{
    return build("frmHistoryTexts", {"Caption",
                                     "mitRowHistory.Caption",
                                     "btnClose.Caption",
                                     "lblNoRow.Caption",
                                     "lblAllTables.Caption",
                                     "lblRows.Caption",
                                     "lblChanged.Caption",
                                     "lblAccount.Caption",
                                     "lblAction.Caption",
                                     "lblTable.Caption",
                                     "lblRowKey.Caption",
                                     "lblColumn.Caption",
                                     "lblOld.Caption",
                                     "lblNew.Caption",
                                     "lblDbAccount.Caption",
                                     "act_added.Caption",
                                     "act_changed.Caption",
                                     "act_deleted.Caption",
                                     "tbl_stud.Caption",
                                     "tbl_classroom.Caption",
                                     "tbl_course.Caption",
                                     "tbl_studclass.Caption",
                                     "tbl_users.Caption",
                                     "tbl_corp.Caption",
                                     "col_stud_spkey.Caption",
                                     "col_stud_studname.Caption",
                                     "col_stud_studpwd.Caption",
                                     "col_classroom_crpkey.Caption",
                                     "col_classroom_classname.Caption",
                                     "col_classroom_teacher.Caption",
                                     "col_classroom_classpoint.Caption",
                                     "col_classroom_videopoint.Caption",
                                     "col_course_cpkey.Caption",
                                     "col_course_crpkey.Caption",
                                     "col_course_coursename.Caption",
                                     "col_course_videoname.Caption",
                                     "col_course_videolen.Caption",
                                     "col_course_point.Caption",
                                     "col_course_status.Caption",
                                     "col_course_isopen.Caption",
                                     "col_studclass_scpkey.Caption",
                                     "col_studclass_buydate.Caption",
                                     "col_studclass_spkey.Caption",
                                     "col_studclass_crpkey.Caption",
                                     "col_studclass_watchpoint.Caption",
                                     "col_studclass_uid.Caption",
                                     "col_users_upkey.Caption",
                                     "col_users_uid.Caption",
                                     "col_users_uname.Caption",
                                     "col_users_pwd.Caption",
                                     "col_users_isadmin.Caption",
                                     "col_users_pwdhint.Caption",
                                     "col_corp_invoiceno.Caption",
                                     "col_corp_corpname.Caption",
                                     "col_corp_watermark.Caption"});
}

LangEntry LangTables::frmHistory()
{
    return build("frmHistory", {"Caption", "btnExit.Caption", "lblFrom.Caption", "lblTo.Caption", "lblAccount.Caption",
                                "lblTable.Caption", "lblText.Caption", "btnQuery.Caption"});
}

LangEntry LangTables::frmDayClose()
{
    return build("frmDayClose", {"Caption",
                                 "btnExit.Caption",
                                 "lblDay.Caption",
                                 "btnRefresh.Caption",
                                 "btnPrint.Caption",
                                 "btnPdf.Caption",
                                 "lblReport.Caption",
                                 "lblPrinted.Caption",
                                 "lblPage.Caption",
                                 "lblTotalFormat.Caption",
                                 "lblTotal.Caption",
                                 "grdAccounts.Columns[0].Title.Caption",
                                 "grdAccounts.Columns[1].Title.Caption",
                                 "grdAccounts.Columns[2].Title.Caption",
                                 "grdAccounts.Columns[3].Title.Caption",
                                 "grdAccounts.Columns[4].Title.Caption",
                                 "grdBookings.Columns[0].Title.Caption",
                                 "grdBookings.Columns[1].Title.Caption",
                                 "grdBookings.Columns[2].Title.Caption",
                                 "grdBookings.Columns[3].Title.Caption",
                                 "grdBookings.Columns[4].Title.Caption",
                                 "grdBookings.Columns[5].Title.Caption",
                                 "grdBookings.Columns[6].Title.Caption"});
}

LangEntry LangTables::frmLowBalance()
{
    return build("frmLowBalance", {"Caption", "btnExit.Caption", "lblThreshold.Caption", "btnRefresh.Caption",
                                   "grdLowBalance.Columns[0].Title.Caption", "grdLowBalance.Columns[1].Title.Caption",
                                   "grdLowBalance.Columns[2].Title.Caption", "grdLowBalance.Columns[3].Title.Caption",
                                   "grdLowBalance.Columns[4].Title.Caption"});
}

LangEntry LangTables::frmReceipt()
{
    return build("frmReceipt", {"Caption", "lblTitle.Caption", "lblNumber.Caption", "lblDate.Caption",
                                "lblSpkey.Caption", "lblName.Caption", "lblClass.Caption", "lblPoints.Caption",
                                "lblUser.Caption", "lblBalance.Caption", "lblReprint.Caption", "lblPrinted.Caption",
                                "lblPdfFilter.Caption", "mitReceipt.Caption", "mitReceiptPdf.Caption"});
}

LangEntry LangTables::frmImport()
{
    return build("frmImport", {"Caption",
                               "mitImport.Caption",
                               "mitTemplate.Caption",
                               "lblImportFilter.Caption",
                               "lblTemplateFilter.Caption",
                               "lblTemplateName.Caption",
                               "lblPreviewTitle.Caption",
                               "lblFile.Caption",
                               "lblEncoding.Caption",
                               "lblRowCount.Caption",
                               "lblIgnored.Caption",
                               "lblFirstRows.Caption",
                               "lblErrors.Caption",
                               "lblNoErrors.Caption",
                               "lblMoreErrors.Caption",
                               "lblRow.Caption",
                               "lblColumn.Caption",
                               "lblReason.Caption",
                               "btnImport.Caption",
                               "btnExportErrors.Caption",
                               "btnClose.Caption",
                               "lblErrorsName.Caption",
                               "lblImporting.Caption",
                               "btnCancelImport.Caption",
                               "lblBuydate.Caption",
                               "lblCrpkey.Caption",
                               "lblUid.Caption"});
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
