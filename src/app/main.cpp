#include "app/appsetup.h"
#include "app/formlogin.h"
#include "app/formrynmain.h"
#include "platform/messagebox.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication();
    if (!TfrmLogin::Execute())
        return 0;
    setApplicationTitle(QStringLiteral("Korvel線上補課後台管理"));
    TfrmRynMain frmRynMain;
    frmRynMain.showMaximized();
    return app.exec();
}
