// The tables of the windows beyond the record windows: the grids' tools, the history lists, the
// points desk's windows and the import, part of LangTables (langtables.h).
#include "langtablebuild.h"
#include "langtables.h"

using LangTableBuild::build;

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
