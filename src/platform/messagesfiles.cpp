// The texts of files written whole and of settings files, part of the catalogue declared in messages.h.
#include "messages.h"

namespace Msg {
QString targetReadOnly(const QString& path)
{
    return QStringLiteral("檔案 %1 是唯讀的，不能取代").arg(path);
}

QString targetNotPlainFile(const QString& path)
{
    return QStringLiteral("%1 不是一般檔案，不能取代").arg(path);
}

QString workbookNotWhole(const QString& path, const QString& detail)
{
    return QStringLiteral("寫出的活頁簿 %1 不完整，原有的檔案未被取代：%2").arg(path, detail);
}

QString workbookPartBroken(const QString& part, const QString& detail)
{
    return detail.isEmpty() ? QStringLiteral("%1 不完整").arg(part)
                            : QStringLiteral("%1 已損壞（%2）").arg(part, detail);
}

QString workbookPartMissing(const QString& part)
{
    return QStringLiteral("缺少 %1").arg(part);
}

QString workbookRowsMissing(const QString& sheet, qint64 found, qint64 written)
{
    return QStringLiteral("%1 只有 %2 列，應有 %3 列").arg(sheet).arg(found).arg(written);
}

QString settingsFileSkipped(const QString& path, const QString& reason)
{
    return QStringLiteral("略過設定檔 %1：%2").arg(path, reason);
}

QString settingsNotPlainFile()
{
    return QStringLiteral("不是一般檔案");
}

QString settingsTooLarge(qint64 limit)
{
    return QStringLiteral("大於 %1 位元組").arg(limit);
}

QString settingIgnored(const QString& file, int line, const QString& entry)
{
    return QStringLiteral("（已略過設定檔 %1 第 %2 行的無效設定 %3）").arg(file).arg(line).arg(entry);
}

QString settingVariableIgnored(const QString& name, const QString& value)
{
    return QStringLiteral("（已略過環境變數 %1 的無效設定 %2）").arg(name, value);
}
} // namespace Msg
