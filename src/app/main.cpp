#include "app/appsetup.h"
#include "app/logindialog.h"
#include "app/mainwindow.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// --help and --version are answered before QApplication exists: they need no display.
bool answeredOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("ryn %s\n", RYN_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("用法：ryn [選項]\n"
                        "Korvel線上補課後台管理：學生、班級、課程影片、點數與帳號的後台管理程式。\n"
                        "\n"
                        "  -h, --help     顯示這段說明後結束\n"
                        "  -v, --version  顯示版本後結束\n"
                        "\n"
                        "伺服器位址與介面語言取自設定檔 ryn.ini，詳見 man ryn；資料庫由 ryn-provision 設定。\n");
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredOption(argc, argv))
        return 0;
    QApplication app(argc, argv);
    setUpApplication();
    const std::optional<Session> session = LoginDialog::Execute();
    if (!session)
        return 0;
    setApplicationTitle(QStringLiteral("Korvel線上補課後台管理"));
    // The main window fails to come up only when its language file can no longer be read.
    std::unique_ptr<MainWindow> frmRynMain;
    if (!guarded([&] { frmRynMain = std::make_unique<MainWindow>(*session); }))
        return 1;
    frmRynMain->showMaximized();
    return app.exec();
}
