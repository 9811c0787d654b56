#include "importtexts.h"

#include "ui/uilanguage.h"

#include <QLabel>
#include <QPointer>

namespace {
// Name and built-in caption, in the order of the window's translation table.
const char* const kTexts[][2] = {
    {"mitImport", "匯入 Excel/CSV (&I)…"},
    {"mitTemplate", "匯出範本…"},
    {"lblImportFilter", "Excel 或 CSV 檔 (*.xlsx *.csv)"},
    {"lblTemplateFilter", "Excel 活頁簿 (*.xlsx);;CSV 檔 (*.csv)"},
    {"lblTemplateName", "範本"},
    {"lblPreviewTitle", "匯入預覽"},
    {"lblFile", "檔案："},
    {"lblEncoding", "編碼："},
    {"lblRowCount", "資料列數："},
    {"lblIgnored", "略過的欄位："},
    {"lblFirstRows", "前 200 列（存入時的樣子）："},
    {"lblErrors", "無法存入的資料："},
    {"lblNoErrors", "沒有錯誤，可以匯入。"},
    {"lblMoreErrors", "另有 %1 個錯誤未列出"},
    {"lblRow", "列"},
    {"lblColumn", "欄位"},
    {"lblReason", "原因"},
    {"btnImport", "匯入 (&I)"},
    {"btnExportErrors", "匯出錯誤清單 (&E)…"},
    {"btnClose", "取消 (&C)"},
    {"lblErrorsName", "匯入錯誤"},
    {"lblImporting", "匯入中…"},
    {"btnCancelImport", "取消"},
    {"lblBuydate", "購買日期"},
    {"lblCrpkey", "班級代號"},
    {"lblUid", "承辦人"},
};
} // namespace

ImportTexts::ImportTexts()
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("匯入"));
    for (const auto& [name, caption] : kTexts) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(name));
    }
}

ImportTexts* ImportTexts::instance()
{
    static QPointer<ImportTexts> texts;
    if (!texts) {
        texts = new ImportTexts;
        attachLanguageController(texts);
    }
    return texts;
}

QString ImportTexts::text(const char* name)
{
    const auto* label = instance()->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}
