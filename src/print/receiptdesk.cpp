#include "receiptdesk.h"

#include "data/receiptbook.h"
#include "receipt.h"
#include "receipttexts.h"
#include "ui/busycursor.h"
#include "ui/messagebox.h"

#include <QPrinter>
#include <QWidget>

namespace {
// Records the receipt, then makes it; a failure to make it takes the record back (a failure there
// leaves the record: the next receipt is then marked as a reprint, never the other way round).
template <typename Make>
int recordAndMake(Connection* connection, const QString& account, const ReceiptData& data, Make make)
{
    const ReceiptBook::Copy copy = ReceiptBook::record(connection, data.key, account);
    try {
        make(copy.number);
    } catch (...) {
        try {
            ReceiptBook::withdraw(connection, copy.recordKey);
        } catch (...) {
        }
        throw;
    }
    return copy.number;
}
} // namespace

bool ReceiptDesk::print(QWidget* parent, Connection* connection, const QString& account, qint64 key,
                        const QString& logoPath)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(ReceiptTexts::text("lblTitle") + QLatin1Char(' ') + ReceiptBook::number(key));
    Receipt::setUpPage(&printer);
    if (!promptPrint(parent, &printer))
        return false;
    const BusyCursor busy;
    const ReceiptData data = ReceiptBook::read(connection, key);
    recordAndMake(connection, account, data,
                  [&](int copy) { Receipt(data, copy, logoPath, parent->font()).paint(&printer); });
    return true;
}

int ReceiptDesk::writePdf(QWidget* parent, Connection* connection, const QString& account, qint64 key,
                          const QString& logoPath, const QString& title)
{
    const QString path = promptFileSave(parent, title, ReceiptTexts::text("lblPdfFilter"),
                                        ReceiptTexts::text("lblTitle") + QLatin1Char(' ') + ReceiptBook::number(key)
                                            + QStringLiteral(".pdf"));
    if (path.isEmpty())
        return 0;
    const BusyCursor busy;
    const ReceiptData data = ReceiptBook::read(connection, key);
    return recordAndMake(connection, account, data,
                         [&](int copy) { Receipt(data, copy, logoPath, parent->font()).writePdf(path); });
}
