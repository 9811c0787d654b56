#include "gridtooltexts.h"

#include "ui/uilanguage.h"

#include <QLabel>
#include <QPointer>

namespace {
// Name and built-in caption, in the order of the window's translation table.
const char* const kTexts[][2] = {
    {"lblFind", "尋找："},
    {"btnFindPrev", "上一筆"},
    {"btnFindNext", "下一筆"},
    {"lblNotFound", "找不到"},
    {"lblWrappedToTop", "已到最後一筆，從第一筆繼續"},
    {"lblWrappedToBottom", "已到第一筆，從最後一筆繼續"},
    {"mitExportXlsx", "匯出 Excel (.xlsx)…"},
    {"mitExportCsv", "匯出 CSV…"},
    {"lblXlsxFilter", "Excel 活頁簿 (*.xlsx)"},
    {"lblCsvFilter", "CSV 檔 (*.csv)"},
    {"lblExporting", "匯出中…"},
    {"btnCancelExport", "取消"},
    {"mitFilter", "篩選 (&F)"},
    {"mitCopy", "複製 (&C)"},
    {"mitRestoreColumns", "恢復預設欄位 (&R)"},
    {"lblFilterCount", "顯示 %1 筆，共 %2 筆"},
};
} // namespace

GridToolTexts::GridToolTexts()
{
    setObjectName(QStringLiteral("frmGridTools"));
    setWindowTitle(QStringLiteral("表格工具"));
    for (const auto& [name, caption] : kTexts) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(name));
    }
}

GridToolTexts* GridToolTexts::instance()
{
    static QPointer<GridToolTexts> texts;
    if (!texts) {
        texts = new GridToolTexts;
        // Translated now into the language in effect, and again whenever it changes.
        attachLanguageController(texts);
    }
    return texts;
}

QString GridToolTexts::text(const char* name)
{
    const auto* label = instance()->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}
