#pragma once
// Ending the program from inside a handler: the message loop stops, the main window and its child
// windows are destroyed without being asked to close, and pending edits go with them.

#include <functional>

/// Ends the program at once, with no close question.
void endProgram();

/// Replaces what endProgram() does, so that a test can watch the ending instead of stopping;
/// an empty function restores the real ending.
void setProgramEnd(std::function<void()> end);
