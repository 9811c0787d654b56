#include "receipttexts.h"

#include "ui/uilanguage.h"

#include <QLabel>
#include <QPointer>

namespace {
// Name and built-in caption, in the order of the window's translation table.
const char* const kTexts[][2] = {
    {"lblTitle", "收據"},
    {"lblNumber", "收據號碼"},
    {"lblDate", "日期時間"},
    {"lblSpkey", "學號"},
    {"lblName", "姓名"},
    {"lblClass", "班級名稱"},
    {"lblPoints", "加、扣點數"},
    {"lblUser", "承辦人"},
    {"lblBalance", "剩餘點數"},
    {"lblReprint", "補印（第 %1 份）"},
    {"lblPrinted", "列印日期"},
    {"lblPdfFilter", "PDF 檔 (*.pdf)"},
    {"mitReceipt", "列印收據 (&R)"},
    {"mitReceiptPdf", "收據 PDF…"},
};
} // namespace

ReceiptTexts::ReceiptTexts()
{
    setObjectName(QStringLiteral("frmReceipt"));
    setWindowTitle(QStringLiteral("收據"));
    for (const auto& [name, caption] : kTexts) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(name));
    }
}

ReceiptTexts* ReceiptTexts::instance()
{
    static QPointer<ReceiptTexts> texts;
    if (!texts) {
        texts = new ReceiptTexts;
        // Translated now into the language in effect, and again whenever it changes.
        attachLanguageController(texts);
    }
    return texts;
}

QString ReceiptTexts::text(const char* name)
{
    const auto* label = instance()->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}
