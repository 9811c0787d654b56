#pragma once

/// Sets up what every window of the program relies on: the interface font "新細明體" at 16 pixels
/// (with substitutes so that the name resolves on Linux), the application's name, and focus marks on
/// every control that holds the focus (check boxes and buttons included), however it got there.
void setUpApplication();
