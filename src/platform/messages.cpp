#include "messages.h"

namespace {
/// The program's text, then the server's or the library's on a line of its own.
QString withDetail(const QString& text, const QString& detail)
{
    return detail.isEmpty() ? text : text + QLatin1Char('\n') + detail;
}

const QString kLost = QStringLiteral("與資料庫伺服器的連線中斷，");
} // namespace

namespace Msg {
QString unexpectedError(const QString& detail)
{
    return withDetail(QStringLiteral("發生不明的錯誤，這個動作沒有完成。"), detail);
}

QString cannotWrite(const QString& path, const QString& detail)
{
    return QStringLiteral("無法寫入檔案 %1：%2").arg(path, detail);
}

QString cannotCreate(const QString& path, const QString& detail)
{
    return detail.isEmpty() ? QStringLiteral("無法建立檔案 %1").arg(path)
                            : QStringLiteral("無法建立檔案 %1：%2").arg(path, detail);
}

QString cannotOpen(const QString& path, const QString& detail)
{
    return QStringLiteral("無法開啟檔案 %1：%2").arg(path, detail);
}

QString cannotReplace(const QString& path, const QString& detail)
{
    return QStringLiteral("無法取代檔案 %1：%2").arg(path, detail);
}

QString driverMissing()
{
    return QStringLiteral("沒有安裝 MariaDB 資料庫驅動程式（QMYSQL）");
}

QString cannotConnect(const QString& server, const QString& detail)
{
    return QStringLiteral("無法連線到") + server + QStringLiteral("：") + detail;
}

QString connectionNotOpen()
{
    return QStringLiteral("資料庫連線沒有開啟");
}

QString databaseServer(const QString& host, int port)
{
    return QStringLiteral("資料庫伺服器 %1 連接埠 %2").arg(host).arg(port);
}

QString settingDefault()
{
    return QStringLiteral("程式內定值");
}

QString settingVariable(const QString& name)
{
    return QStringLiteral("環境變數 ") + name;
}

QString settingFile(const QString& path)
{
    return QStringLiteral("設定檔 ") + path;
}

QString settingConnectionString()
{
    return QStringLiteral("連線字串");
}

QString settingsBothFrom(const QString& source)
{
    return QStringLiteral("（位址及連接埠取自%1）").arg(source);
}

QString settingsEachFrom(const QString& hostSource, const QString& portSource)
{
    return QStringLiteral("（位址取自%1，連接埠取自%2）").arg(hostSource, portSource);
}

QString settingsWhere(const QString& userFile)
{
    return QStringLiteral("，可在 %1 或 /etc/ryn/ryn.ini 的 [Server] 段以 Host 及 DbPort 設定").arg(userFile);
}

QString lostDuringSave(bool maybeSaved, bool checkedOnRetry, const QString& detail)
{
    if (maybeSaved && checkedOnRetry)
        return withDetail(
            kLost
                + QStringLiteral(
                    "無法確定這筆資料是否已經儲存，畫面上的內容都還在。"
                    "再按一次儲存時，程式會先到資料庫查看這筆資料是否已經存入：已經存入的不會再儲存一次。"),
            detail);
    if (maybeSaved)
        return withDetail(kLost
                              + QStringLiteral("無法確定這筆資料是否已經儲存，畫面上的內容都還在。"
                                               "請先確認這筆資料是否已存入資料庫，再決定是否重新儲存，以免重複儲存。"),
                          detail);
    return withDetail(kLost + QStringLiteral("這筆資料沒有儲存，畫面上的內容都還在。請再按一次儲存，程式會重新連線。"),
                      detail);
}

QString lostDuringDelete(bool maybeDeleted, const QString& detail)
{
    return withDetail(kLost
                          + (maybeDeleted
                                 ? QStringLiteral("無法確定這筆資料是否已經刪除。請先確認，再決定是否重新刪除。")
                                 : QStringLiteral("這筆資料沒有刪除。請再刪除一次，程式會重新連線。")),
                      detail);
}

QString noConnection()
{
    return QStringLiteral("資料表沒有設定資料庫連線");
}

QString noTableNorStatement()
{
    return QStringLiteral("資料表沒有設定資料表名稱，也沒有查詢敘述");
}

QString readFailed(const QString& what, const QString& detail)
{
    return QStringLiteral("讀取%1失敗：%2").arg(what, detail);
}

QString returnsNoRows(const QString& what)
{
    return QStringLiteral("%1的查詢敘述不會傳回資料").arg(what);
}

QString valueUnreadable(const QString& value, const QString& column, const QString& what)
{
    return QStringLiteral("%3的欄位 '%2' 的值 '%1' 無法依欄位的型別讀取").arg(value, column, what);
}

QString fieldNotFound(const QString& field)
{
    return QStringLiteral("找不到欄位 '%1'").arg(field);
}

QString fieldNotFoundIn(const QString& field, const QString& what)
{
    return QStringLiteral("%2中找不到欄位 '%1'").arg(field, what);
}

QString keyFieldNotFound(const QString& field)
{
    return QStringLiteral("找不到鍵值欄位 '%1'").arg(field);
}

QString defaultsUnreadable(const QString& what)
{
    return QStringLiteral("無法讀取%1的預設值").arg(what);
}

QString fieldsOnOpenTable()
{
    return QStringLiteral("資料表開啟後不能再加欄位");
}

QString duplicateField(const QString& field)
{
    return QStringLiteral("欄位名稱 '%1' 重複").arg(field);
}

QString lookupWithoutTable(const QString& field)
{
    return QStringLiteral("查閱欄位 '%1' 沒有設定查閱的資料表").arg(field);
}

QString noSuchRecord(int number)
{
    return QStringLiteral("沒有第 %1 筆資料").arg(number);
}

QString tableClosed()
{
    return QStringLiteral("資料表沒有開啟，無法執行這項操作");
}

QString tableEmpty()
{
    return QStringLiteral("資料表沒有資料，無法執行這項操作");
}

QString queryReadOnly()
{
    return QStringLiteral("查詢的結果不能修改");
}

QString saveCurrentFirst()
{
    return QStringLiteral("請先儲存或取消目前這筆資料的修改");
}

QString saveDetailsFirst()
{
    return QStringLiteral("請先儲存或取消明細資料的修改");
}

QString notEditing()
{
    return QStringLiteral("資料表不在編輯或新增狀態");
}

QString fieldReadOnly(const QString& field)
{
    return QStringLiteral("欄位 '%1' 不能修改").arg(field);
}

QString fieldWithoutTable(const QString& field)
{
    return QStringLiteral("欄位 '%1' 不屬於任何資料表").arg(field);
}

QString textTooLong(const QString& field, int size)
{
    return QStringLiteral("欄位 '%1' 的文字超過 %2 個字").arg(field).arg(size);
}

QString invalidDateTime(const QString& field)
{
    return QStringLiteral("欄位 '%1' 的日期時間不正確").arg(field);
}

QString notDateTime(const QString& text, const QString& field)
{
    return QStringLiteral("'%1' 不是欄位 '%2' 的正確日期時間，請以 yyyy/MM/dd HH:mm:ss 的格式輸入").arg(text, field);
}

QString notInteger(const QString& text)
{
    return QStringLiteral("'%1' 不是正確的整數").arg(text);
}

QString notIntegerFor(const QString& text, const QString& field, const QString& range)
{
    return QStringLiteral("'%1' 不是欄位 '%2' 的正確整數，請輸入 %3 的整數").arg(text, field, range);
}

QString between(qint64 minimum, qint64 maximum)
{
    return QStringLiteral("%1 到 %2 之間").arg(minimum).arg(maximum);
}

QString outOfRange(const QString& text, const QString& field, const QString& range)
{
    return QStringLiteral("'%1' 超出欄位 '%2' 的範圍，數值必須在 %3").arg(text, field, range);
}

QString invalidSortOrder(const QString& text)
{
    return QStringLiteral("'%1' 不是正確的排序方式").arg(text);
}

QString filterNotUnderstood(const QString& filter)
{
    return QStringLiteral("無法解讀篩選條件 '%1'").arg(filter);
}

QString changedMeanwhileNotSaved()
{
    return QStringLiteral("這筆資料在讀取之後已被其他使用者修改或刪除，沒有儲存。請重新讀取，查看目前的內容。");
}

QString changedMeanwhileNotDeleted()
{
    return QStringLiteral("這筆資料在讀取之後已被其他使用者修改或刪除，沒有刪除。請重新讀取，查看目前的內容。");
}

QString savedNotReadBack(const QString& detail)
{
    return withDetail(QStringLiteral("這筆資料已經儲存，但無法從資料庫讀回它的鍵值與預設值，畫面上顯示的是輸入的內容。"
                                     "請關閉視窗再開啟，重新讀取之後再修改或刪除這筆資料。"),
                      detail);
}

QString passwordCharacters()
{
    return QStringLiteral("密碼只能使用半形的英文字母、數字、空格與鍵盤上的符號，不可使用中文、全形字元或其他特殊字元");
}

QString passwordCharactersTitle()
{
    return QStringLiteral("密碼含有不允許的字元");
}

QString ftpFailed(const QString& operation, const QString& detail)
{
    return QStringLiteral("FTP 作業失敗（%1）：%2").arg(operation, detail);
}

QString ftpLogin(const QString& host, int port)
{
    return QStringLiteral("登入 %1:%2").arg(host).arg(port);
}

QString ftpCannotStart(const QString& detail)
{
    return QStringLiteral("FTP 元件無法啟動：") + detail;
}

QString ftpNoHandle()
{
    return QStringLiteral("FTP 元件無法建立連線");
}

QString ftpBusy()
{
    return QStringLiteral("另一項 FTP 作業正在進行");
}

QString ftpNotConnected()
{
    return QStringLiteral("沒有連線到 FTP 伺服器");
}

QString ftpModeDuringTransfer()
{
    return QStringLiteral("傳輸中不能變更 FTP 資料連線模式");
}

QString ftpControlCharacter()
{
    return QStringLiteral("名稱含有控制字元");
}

QString ftpNotPlainName(const QString& name)
{
    return QStringLiteral("「%1」不是單純的檔名").arg(name);
}

QString ftpSourceNotReadable()
{
    return QStringLiteral("本機檔案沒有開啟供讀取");
}

QString ftpCannotReadLocal(const QString& detail)
{
    return QStringLiteral("無法讀取本機檔案：") + detail;
}

QString ftpCannotWriteLocal(const QString& detail)
{
    return QStringLiteral("無法寫入本機檔案：") + detail;
}

QString ftpStoreNotConfirmed(const QString& reply)
{
    return QStringLiteral("伺服器沒有確認收到檔案（%1）").arg(reply);
}

QString ftpBytesSent(qint64 sent, qint64 total)
{
    return QStringLiteral("檔案 %2 位元組只送出 %1 位元組").arg(sent).arg(total);
}

QString ftpSizeNotNumber(const QString& reply)
{
    return QStringLiteral("伺服器回覆的檔案大小不是數字：") + reply;
}

QString ftpBrokenOff()
{
    return QStringLiteral("連線已中斷，傳輸沒有完成");
}

QString ftpNoReply()
{
    return QStringLiteral("伺服器沒有回應");
}

QString ftpPartOnServer(qint64 held, qint64 total)
{
    return QStringLiteral("伺服器上只有檔案 %2 位元組中的 %1 位元組").arg(held).arg(total);
}

QString ftpNotWhole(const QString& detail)
{
    return withDetail(QStringLiteral("檔案沒有完整傳到伺服器，伺服器上原有的檔案沒有更動。"), detail);
}

QString ftpNoHost()
{
    return QStringLiteral("無法連線主機");
}

QString notPng(const QString& path, const QString& detail)
{
    return QStringLiteral("%1 不是可讀取的 PNG 圖檔：%2").arg(path, detail);
}

QString printCannotStart()
{
    return QStringLiteral("無法開始列印");
}

QString printCannotNewPage()
{
    return QStringLiteral("無法開始新的一頁");
}

QString printUnfinished()
{
    return QStringLiteral("列印未完成");
}

QString videoNameRefused(const QString& name)
{
    return QStringLiteral("影片檔名「%1」不可含有「/」、「\\」或控制字元，也不可以「.」開頭。").arg(name);
}

QString videoNameLetters()
{
    return QStringLiteral("檔名需為英、數字");
}

QString videoNameIsLogo(const QString& name)
{
    return QStringLiteral("影片檔名不可為「%1」：這是公司浮水印圖檔的檔名。").arg(name);
}

QString videoNameTaken(const QString& name, const QString& className, const QString& course)
{
    return QStringLiteral("影片檔名「%1」已經是班級「%2」的課程「%3」的影片，請換一個檔名。")
        .arg(name, className, course);
}

QString videoNotDeleted(const QString& name, const QString& detail)
{
    return withDetail(QStringLiteral("伺服器上的影片檔「%1」無法刪除，課程沒有刪除。").arg(name), detail);
}

QString videoHostUnreachable(const QString& name, const QString& detail)
{
    return withDetail(ftpNoHost(), videoNotDeleted(name, detail));
}

QString tableBadText()
{
    return QStringLiteral("翻譯表中的文字不是有效的 UTF-8");
}

QString tableNegativeCount()
{
    return QStringLiteral("翻譯表中的數量為負數");
}

QString tableTruncated()
{
    return QStringLiteral("翻譯表的資料不完整");
}

QString tableTooDeep()
{
    return QStringLiteral("翻譯表的項目層數太多");
}

QString tableTrailingData()
{
    return QStringLiteral("翻譯表之後還有多餘的資料");
}

QString tableFaultAt(const QString& fault, qint64 byte)
{
    return QStringLiteral("%1（第 %2 位元組）").arg(fault).arg(byte);
}

QString receiptNoBooking(const QString& number)
{
    return QStringLiteral("找不到收據號碼 %1 的儲值記錄，可能已被刪除").arg(number);
}

QString storedRowNotFound(const QString& tokenTable)
{
    return QStringLiteral("這筆資料先前已經存入資料庫，但在 %1 中找不到它的鍵值，無法顯示那一筆。請重新開啟視窗查看。")
        .arg(tokenTable);
}
} // namespace Msg
