#pragma once
// The texts of a receipt, kept as the captions of hidden labels of one hidden window, "frmReceipt",
// so that they follow the interface language like any window's texts; the receipt reads a caption
// each time it is made.

#include <QString>
#include <QWidget>

class ReceiptTexts : public QWidget
{
    Q_OBJECT

public:
    /// The one hidden window, made on first use.
    static ReceiptTexts* instance();
    /// The caption of the named label (lblTitle, lblNumber, ...), in the language in effect.
    static QString text(const char* name);

private:
    ReceiptTexts();
};
