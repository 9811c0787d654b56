#pragma once
// A window whose transfer runs while the program is in use. Closing it, closing all windows or
// ending the program while the transfer runs asks one question first; on Yes the window stops the
// transfer, puts its row back, and only then lets the close go on.

#include <QStringList>
#include <functional>

class QWidget;

class TransferWindow
{
public:
    virtual ~TransferWindow() = default;
    /// The question's line for what is on its way, naming the file and the window; empty when
    /// nothing is.
    virtual QString runningTransfer() const = 0;
    /// Stops the transfer; whenStopped runs once it has ended and the window has put back what it
    /// changed (at once when nothing runs).
    virtual void stopTransfer(std::function<void()> whenStopped) = 0;
};

/// The windows under parent (the main window's children, or parent itself) with a transfer running.
QList<TransferWindow*> runningTransfers(const QList<QWidget*>& windows);

/// The one question before closing while transfers run: a line for each, Yes and No, No the
/// default. True on Yes.
bool askToStopTransfers(QWidget* parent, const QList<TransferWindow*>& transfers);

/// Stops every transfer, then runs then once all have ended.
void stopTransfers(const QList<TransferWindow*>& transfers, std::function<void()> then);
