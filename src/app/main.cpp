#include "app/appsetup.h"
#include "app/formlogin.h"
#include "app/formrynmain.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication();
    if (!TfrmLogin::Execute())
        return 0;
    setApplicationTitle(QStringLiteral("Korvel線上補課後台管理"));
    // The main window fails to come up only when its language file can no longer be read.
    std::unique_ptr<TfrmRynMain> frmRynMain;
    if (!guarded([&] { frmRynMain = std::make_unique<TfrmRynMain>(); }))
        return 1;
    frmRynMain->showMaximized();
    return app.exec();
}
