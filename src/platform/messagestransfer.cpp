// The texts of transfers to the video server, part of the catalogue declared in messages.h.
#include "messages.h"

namespace Msg {
QString transferStillRunning(const QString& what, const QString& window)
{
    return QStringLiteral("「%1」視窗的%2仍在進行，要中斷並關閉嗎？").arg(window, what);
}

QString uploadRestored()
{
    return QStringLiteral("課程已恢復為上傳前的影片檔名、長度及狀態，伺服器上原有的影片沒有更動。");
}

QString uploadNotRestored()
{
    return QStringLiteral("課程在上傳期間已被其他工作站更改，保留其他工作站的資料。");
}

QString videoOfCourse(const QString& name)
{
    return QStringLiteral("影片 %1 上傳").arg(name);
}

QString logoUpload(const QString& name)
{
    return QStringLiteral("圖檔 %1 上傳").arg(name);
}

QString courseDeletion(const QString& name)
{
    return QStringLiteral("課程影片 %1 刪除").arg(name);
}
} // namespace Msg
