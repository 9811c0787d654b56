#pragma once
// What every test program shares: the application set up as the program sets it up (fonts,
// title), prompts answered by the test, and a way to act inside modal windows.

#include "controls/gridexport.h"
#include "platform/dialogseam.h"
#include "ui/messagebox.h"

#include <QtTest>
#include <functional>

namespace TestSupport {
/// The flags of a confirmation: OK and Cancel, the question icon, Cancel the default.
constexpr int kConfirmFlags = Win::MB_OKCANCEL | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2;

/// Scripted prompts, the interface font, the application's name. Called by RYN_TEST_MAIN.
void setUp();
/// Runs action once the next modal window is up (polled on a zero-delay timer, up to 10 s).
void runWhenModal(std::function<void(QWidget* modal)> action);
/// The texts of the prompts since the last clear, one per entry.
QStringList promptTexts();
/// Exports the grid as the menu item does and waits for the writer (up to a minute): true when
/// the file was written whole.
bool exportAndWait(DBGrid* grid, GridExport::Format format);
} // namespace TestSupport

/// A QtTest main that sets the application up first; reads the private servers' addresses.
#define RYN_TEST_MAIN(TestClass)                                                                                       \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        TestSupport::setUp();                                                                                          \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
