#pragma once
// Input-method switching: "open" lets the input method compose Chinese text in the widget,
// "closed" turns it off there (codes, account names, numbers and passwords).

class QWidget;

enum class ImeMode { Open, Closed };

void setImeMode(QWidget* widget, ImeMode mode);
