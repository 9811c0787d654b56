#include "historytexts.h"

#include "ui/uilanguage.h"

#include <QLabel>
#include <QPointer>

namespace {
// Name and built-in caption, in the order of the window's translation table. The words of the
// stored codes are named act_<action>, tbl_<table> and col_<table>_<column>.
const char* const kTexts[][2] = {
    {"mitRowHistory", "歷史記錄 (&H)"},
    {"btnClose", "關閉 (&C)"},
    {"lblNoRow", "這筆記錄還沒有儲存，沒有歷史記錄"},
    {"lblAllTables", "（全部）"},
    {"lblRows", "共 %1 筆異動"},
    {"lblChanged", "時間"},
    {"lblAccount", "帳號"},
    {"lblAction", "動作"},
    {"lblTable", "資料表"},
    {"lblRowKey", "鍵值"},
    {"lblColumn", "欄位"},
    {"lblOld", "原值"},
    {"lblNew", "新值"},
    {"lblDbAccount", "資料庫帳號"},
    {"act_added", "新增"},
    {"act_changed", "修改"},
    {"act_deleted", "刪除"},
    {"tbl_stud", "學生"},
    {"tbl_classroom", "班級"},
    {"tbl_course", "課程"},
    {"tbl_studclass", "加、扣點數"},
    {"tbl_users", "使用者"},
    {"tbl_corp", "公司基本資料"},
    {"col_stud_spkey", "學號"},
    {"col_stud_studname", "學生姓名"},
    {"col_stud_studpwd", "密碼"},
    {"col_classroom_crpkey", "班級代號"},
    {"col_classroom_classname", "班級名稱"},
    {"col_classroom_teacher", "講師"},
    {"col_classroom_classpoint", "總點數"},
    {"col_classroom_videopoint", "每次扣點"},
    {"col_course_cpkey", "課程代號"},
    {"col_course_crpkey", "班級代號"},
    {"col_course_coursename", "課程名稱"},
    {"col_course_videoname", "影片檔名"},
    {"col_course_videolen", "影片長度"},
    {"col_course_point", "點數"},
    {"col_course_status", "影片狀態"},
    {"col_course_isopen", "公開的課程"},
    {"col_studclass_scpkey", "主鍵"},
    {"col_studclass_buydate", "儲值日期"},
    {"col_studclass_spkey", "學號"},
    {"col_studclass_crpkey", "班級代號"},
    {"col_studclass_watchpoint", "加、扣點數"},
    {"col_studclass_uid", "承辦人"},
    {"col_users_upkey", "使用者代號"},
    {"col_users_uid", "帳號"},
    {"col_users_uname", "姓名"},
    {"col_users_pwd", "密碼"},
    {"col_users_isadmin", "管理員"},
    {"col_users_pwdhint", "密碼提示"},
    {"col_corp_invoiceno", "公司統編"},
    {"col_corp_corpname", "公司名稱"},
    {"col_corp_watermark", "影片加浮水印"},
};
} // namespace

HistoryTexts::HistoryTexts()
{
    setObjectName(QStringLiteral("frmHistoryTexts"));
    setWindowTitle(QStringLiteral("歷史記錄"));
    for (const auto& [name, caption] : kTexts) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(name));
    }
}

HistoryTexts* HistoryTexts::instance()
{
    static QPointer<HistoryTexts> texts;
    if (!texts) {
        texts = new HistoryTexts;
        attachLanguageController(texts);
    }
    return texts;
}

QString HistoryTexts::text(const char* name)
{
    const auto* label = instance()->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

History::Captions HistoryTexts::captions()
{
    History::Captions words;
    for (const QLabel* label : instance()->findChildren<QLabel*>()) {
        const QString name = label->objectName();
        if (name.startsWith(QLatin1String("act_")))
            words.append({QStringLiteral("action.") + name.mid(4), label->text()});
        else if (name.startsWith(QLatin1String("tbl_")))
            words.append({QStringLiteral("table.") + name.mid(4), label->text()});
        else if (name.startsWith(QLatin1String("col_"))) {
            QString code = name.mid(4); // table_column
            code[code.indexOf(QLatin1Char('_'))] = QLatin1Char('.');
            words.append({code, label->text()});
        }
    }
    return words;
}
