#include "framekeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace {
bool hasShortcut(const QList<QAction*>& actions, const QKeySequence& key)
{
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->isEnabled())
            continue;
        if (action->shortcuts().contains(key))
            return true;
        if (action->menu() && hasShortcut(action->menu()->actions(), key))
            return true;
    }
    return false;
}
} // namespace

FrameKeys::FrameKeys(QMainWindow* frame, QMdiArea* area)
    : QObject(frame)
    , m_frame(frame)
    , m_area(area)
{
    qApp->installEventFilter(this);
}

FrameKeys::~FrameKeys()
{
    qApp->removeEventFilter(this);
}

QAbstractButton* FrameKeys::childButtonFor(const QKeySequence& key) const
{
    if (key[0].keyboardModifiers() != Qt::AltModifier)
        return nullptr;
    QMdiSubWindow* active = m_area->activeSubWindow();
    if (!active || !active->widget())
        return nullptr;
    for (QAbstractButton* button : active->widget()->findChildren<QAbstractButton*>()) {
        if (button->isEnabled() && button->isVisible() && QKeySequence::mnemonic(button->text()) == key)
            return button;
    }
    return nullptr;
}

bool FrameKeys::isMenuShortcut(const QKeySequence& key) const
{
    return hasShortcut(m_frame->menuBar()->actions(), key);
}

bool FrameKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || !watched->isWidgetType())
        return false;
    if (static_cast<QWidget*>(watched)->window() != m_frame)
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (!(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QKeySequence key(keyEvent->keyCombination());
    QAbstractButton* button = childButtonFor(key);
    if (type == QEvent::KeyPress) {
        // The override below kept the key from the shortcut map; here it presses the button.
        if (!button)
            return false;
        button->click();
        return true;
    }
    if (button) {
        keyEvent->accept();
        return true;
    }
    if (isMenuShortcut(key)) {
        // Not taken by the focused control: the shortcut map gives it to the menu item.
        keyEvent->ignore();
        return true;
    }
    return false;
}
