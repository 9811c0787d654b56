// The texts of imports from spreadsheets, part of the catalogue declared in messages.h.
#include "messages.h"

namespace Msg {
QString importNotWorkbook(const QString& detail)
{
    return QStringLiteral("這個檔案不是可以讀取的 Excel 活頁簿 (.xlsx)。\n%1").arg(detail);
}

QString importUnreadable(const QString& detail)
{
    return QStringLiteral("無法讀取檔案。\n%1").arg(detail);
}

QString importEncodingMissing(const QString& encoding)
{
    return QStringLiteral("這台電腦無法解讀 %1 編碼的檔案。").arg(encoding);
}

QString importTooLarge()
{
    return QStringLiteral("檔案太大，無法匯入：檔案不可超過 64 MB。");
}

QString importTooManyRows(qint64 limit)
{
    return QStringLiteral("檔案的資料超過 %1 列，無法匯入。").arg(limit);
}

QString importNoTitles()
{
    return QStringLiteral("檔案是空的：第一列應該是欄位標題。");
}

QString importMissingColumns(const QString& titles)
{
    return QStringLiteral("檔案缺少必要的欄位：%1。第一列的欄位標題要與表格的標題或欄位名稱相同。").arg(titles);
}

QString importStored(const QString& value)
{
    return QStringLiteral("資料庫裡已經有「%1」（不分大小寫）").arg(value);
}

QString importRepeated(const QString& value, qint64 firstRow)
{
    return QStringLiteral("「%1」與第 %2 列重複（不分大小寫）").arg(value).arg(firstRow);
}

QString importNoClass(const QString& name)
{
    return QStringLiteral("找不到班級「%1」").arg(name);
}

QString importClassAmbiguous(const QString& name, int count)
{
    return QStringLiteral("有 %2 個班級名稱是「%1」，無法分辨是哪一個").arg(name).arg(count);
}

QString importNoPoints()
{
    return QStringLiteral("請輸入加、扣點數（這個班級沒有總點數）");
}

QString importChangedMeanwhile(qint64 row)
{
    return QStringLiteral("檔案在預覽之後變更了（第 %1 列），沒有匯入任何資料。請重新匯入。").arg(row);
}

QString importKeysInterleaved()
{
    return QStringLiteral("同時有其他工作站在新增儲值，請再匯入一次。");
}

QString importNothingKept(const QString& detail)
{
    return QStringLiteral("匯入失敗，已全部取消，資料庫沒有任何變更。\n%1").arg(detail);
}

QString importOutcomeUnknown(const QString& detail)
{
    return QStringLiteral("匯入的最後一步送出後連線中斷，無法確認資料是否已經存入。請勿重新匯入，"
                          "先重新開啟視窗查看資料是否已在表格中。\n%1")
        .arg(detail);
}

QString importDone(qint64 rows)
{
    return QStringLiteral("已匯入 %1 筆資料。").arg(rows);
}

QString importFoundAfterLoss(qint64 rows)
{
    return QStringLiteral("匯入完成時連線中斷，查詢後確認 %1 筆資料已經存入。").arg(rows);
}

QString importCancelled()
{
    return QStringLiteral("匯入已取消，資料庫沒有任何變更。");
}
} // namespace Msg
