#include "inputmethod.h"

#include <QWidget>

void setImeMode(QWidget* widget, ImeMode mode)
{
    const bool open = mode == ImeMode::Open;
    widget->setAttribute(Qt::WA_InputMethodEnabled, open);
    Qt::InputMethodHints hints = widget->inputMethodHints();
    hints.setFlag(Qt::ImhPreferLatin, !open);
    hints.setFlag(Qt::ImhNoPredictiveText, !open);
    widget->setInputMethodHints(hints);
}
