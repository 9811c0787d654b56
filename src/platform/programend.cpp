#include "programend.h"

#include <QCoreApplication>

namespace {
std::function<void()> s_end;
}

void endProgram()
{
    if (s_end) {
        s_end();
        return;
    }
    // The loop in main() returns, and main() frees the main window with its children: no window
    // gets a close event, so the main window's close question is not asked.
    QCoreApplication::exit(0);
}

void setProgramEnd(std::function<void()> end)
{
    s_end = std::move(end);
}
