#pragma once
// Input-method switching. "Open" boxes start with the input method composing Chinese text; "closed"
// boxes (codes, account names, numbers, passwords) start in Latin input, and the user may still
// switch the input method on to type a Chinese name.

class QWidget;

enum class ImeMode { Open, Closed };

/// Keeps the input method enabled in widget and tells it which input to start with.
void setImeMode(QWidget* widget, ImeMode mode);
