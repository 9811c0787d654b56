#pragma once
// Keys of the multiple-document frame that Qt's shortcut map would route otherwise:
// - a shortcut of the frame's menus (Ctrl+X "結束 (&X)") wins over a focused control's own use of
//   the key, so it works from anywhere in the frame, edit boxes included;
// - an Alt+letter underlined on an enabled button of the active child window presses that button,
//   also when a menu title underlines the same letter (the menu gets the letter only while no such
//   button is enabled), as dialog keys behave in a child window.

#include <QObject>

class QAbstractButton;
class QKeySequence;
class QMainWindow;
class QMdiArea;

class FrameKeys : public QObject
{
    Q_OBJECT

public:
    /// Watches the keys aimed at frame and the windows of its child area.
    FrameKeys(QMainWindow* frame, QMdiArea* area);
    ~FrameKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The enabled, visible button of the active child window whose underlined letter is key.
    QAbstractButton* childButtonFor(const QKeySequence& key) const;
    /// Whether an enabled item of the frame's menus has key as its shortcut.
    bool isMenuShortcut(const QKeySequence& key) const;

    QMainWindow* m_frame;
    QMdiArea* m_area;
};
