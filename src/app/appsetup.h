#pragma once

/// Sets up what every window of the program relies on: the interface font "新細明體" at 16 pixels
/// (with substitutes so that the name resolves on Linux) and the application's name.
void setUpApplication();
