#include "keypreview.h"

#include "ui/guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace {
const char* const kOwnKeys = "rynOwnKeys";
} // namespace

void keepOwnKeys(QWidget* widget)
{
    widget->setProperty(kOwnKeys, true);
}

KeyPreview::KeyPreview(QWidget* form, std::function<bool(QKeyEvent*)> handler)
    : QObject(form)
    , m_form(form)
    , m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != m_form && !m_form->isAncestorOf(widget))
        return false;
    // A key goes to the focus widget first; an ignored one travels on to the parents, passing the
    // application's filters again, and is seen only at its first stop.
    QWidget* focus = QApplication::focusWidget();
    if (widget != (focus ? focus : m_form))
        return false;
    for (QWidget* w = widget; w && w != m_form; w = w->parentWidget()) {
        if (w->property(kOwnKeys).toBool())
            return false;
    }
    bool consumed = false;
    guarded([&] { consumed = m_handler(static_cast<QKeyEvent*>(event)); });
    return consumed;
}

namespace {
bool isTabStop(const QWidget* w, const QWidget* form)
{
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled() && w->isVisibleTo(form)
           && (w == form || form->isAncestorOf(w));
}
} // namespace

bool applyEnterRule(QWidget* form, QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !(focus == form || form->isAncestorOf(focus)))
        return false;
    // A push button is pressed by Enter. A check box is not (Space ticks it): Enter moves on from it as
    // from an edit box, so it cannot change a flag by accident.
    if (auto* button = qobject_cast<QPushButton*>(focus)) {
        if (button->isEnabled())
            button->click();
        return true;
    }
    for (QWidget* next = focus->nextInFocusChain(); next && next != focus; next = next->nextInFocusChain()) {
        if (isTabStop(next, form)) {
            next->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    return false;
}
