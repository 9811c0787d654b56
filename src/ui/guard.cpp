#include "guard.h"

#include "platform/errors.h"
#include "messagebox.h"

bool guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const Abort&) {
        return false;
    } catch (const AppError& e) {
        ShowErrorBox(e.message());
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // Nothing may cross the event loop, whatever was thrown.
        ShowErrorBox(QStringLiteral("發生不明的錯誤，這個動作沒有完成。"));
    }
    return false;
}
