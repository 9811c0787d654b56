#pragma once
// Key preview: a window sees each key press before the control that has the focus, the way the
// windows' previewKey handlers expect.

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

class KeyPreview : public QObject
{
    Q_OBJECT

public:
    /// handler gets every key press aimed at form or a widget inside it; returning true consumes it.
    /// It runs under the guard: an error it raises is shown, and the key goes on to the control.
    KeyPreview(QWidget* form, std::function<bool(QKeyEvent*)> handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_form;
    std::function<bool(QKeyEvent*)> m_handler;
};

/// The Enter rule of the forms: Enter (character 13) moves the focus to the next enabled, visible
/// tab stop inside form, wrapping at the end; the key still reaches the control that had the focus.
/// A focused push button is pressed by Enter instead, and the focus stays; a check box is not
/// toggled (the focus moves on from it). Returns true when consumed.
bool applyEnterRule(QWidget* form, QKeyEvent* event);

/// Marks widget as one that handles its keys itself (a find bar): a key typed in it, or in a widget
/// inside it, goes straight to it and not to the form's handler (Enter and Esc included).
void keepOwnKeys(QWidget* widget);
