#include "inputmethod.h"

#include <QWidget>

void setImeMode(QWidget* widget, ImeMode mode)
{
    widget->setAttribute(Qt::WA_InputMethodEnabled, true);
    Qt::InputMethodHints hints = widget->inputMethodHints();
    hints.setFlag(Qt::ImhPreferLatin, mode == ImeMode::Closed);
    widget->setInputMethodHints(hints);
}
