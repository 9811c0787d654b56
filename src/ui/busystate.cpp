#include "busystate.h"

#include <QEvent>
#include <QWidget>

BusyState* BusyState::instance()
{
    static BusyState state;
    return &state;
}

bool BusyState::anyBusy()
{
    return !instance()->m_windows.isEmpty();
}

bool BusyState::isBusy(const QWidget* window)
{
    if (!window)
        return false;
    for (const QPointer<QWidget>& busy : instance()->m_windows) {
        if (busy && (busy == window || window->isAncestorOf(busy)))
            return true;
    }
    return false;
}

void BusyState::enter(QWidget* window)
{
    m_windows.append(window);
    // Installed once however many scopes the window holds.
    window->installEventFilter(this);
    if (m_windows.size() == 1)
        emit busyChanged(true);
}

void BusyState::leave(const QPointer<QWidget>& window)
{
    m_windows.removeAt(m_windows.indexOf(window));
    if (window && !m_windows.contains(window))
        window->removeEventFilter(this);
    if (m_windows.isEmpty())
        emit busyChanged(false);
}

bool BusyState::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Close || !watched->isWidgetType() || !isBusy(static_cast<QWidget*>(watched)))
        return false;
    event->ignore();
    return true;
}

BusyScope::BusyScope(QWidget* window)
    : m_window(window)
{
    BusyState::instance()->enter(window);
}

BusyScope::~BusyScope()
{
    BusyState::instance()->leave(m_window);
}
