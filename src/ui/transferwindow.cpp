#include "transferwindow.h"

#include "ui/messagebox.h"

#include <QWidget>
#include <memory>

QList<TransferWindow*> runningTransfers(const QList<QWidget*>& windows)
{
    QList<TransferWindow*> running;
    for (QWidget* window : windows) {
        auto* transfer = dynamic_cast<TransferWindow*>(window);
        if (transfer && !transfer->runningTransfer().isEmpty())
            running << transfer;
    }
    return running;
}

bool askToStopTransfers(QWidget* parent, const QList<TransferWindow*>& transfers)
{
    QStringList lines;
    for (TransferWindow* transfer : transfers)
        lines << transfer->runningTransfer();
    return showMessageBox(parent, lines.join(QLatin1Char('\n')), QStringLiteral("傳輸中"),
                          Win::MB_YESNO | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2)
           == Win::IDYES;
}

void stopTransfers(const QList<TransferWindow*>& transfers, std::function<void()> then)
{
    if (transfers.isEmpty()) {
        then();
        return;
    }
    auto left = std::make_shared<int>(int(transfers.size()));
    for (TransferWindow* transfer : transfers) {
        transfer->stopTransfer([left, then] {
            if (--*left == 0)
                then();
        });
    }
}
