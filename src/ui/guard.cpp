#include "guard.h"

#include "platform/errors.h"
#include "platform/messages.h"
#include "messagebox.h"

bool guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const Abort&) {
        return false;
    } catch (const AppError& e) {
        showErrorBox(e.message());
    } catch (const std::exception& e) {
        showErrorBox(Msg::unexpectedError(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        // Nothing may cross the event loop, whatever was thrown.
        showErrorBox(Msg::unexpectedError());
    }
    return false;
}
