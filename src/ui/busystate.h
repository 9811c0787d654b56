#pragma once
// Busy windows: a child window that lets the interface run during a long transfer or load marks
// itself busy for as long as the work lasts. A busy window refuses to close, and the main window,
// which asks only this record, takes no command until no window is busy.

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

class BusyState : public QObject
{
    Q_OBJECT

public:
    /// The one record of the program.
    static BusyState* instance();
    /// True while any window holds a BusyScope.
    static bool anyBusy();
    /// True while window, or a window inside it, holds a BusyScope.
    static bool isBusy(const QWidget* window);

signals:
    /// The first scope began (true) or the last one ended (false).
    void busyChanged(bool busy);

protected:
    /// A close event of a busy window is ignored: the window stays, nothing is asked.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class BusyScope;
    void enter(QWidget* window);
    void leave(const QPointer<QWidget>& window);

    /// One entry per scope; an entry whose window was freed meanwhile is null until its scope ends.
    QList<QPointer<QWidget>> m_windows;
};

/// Marks window busy from construction to destruction. The window may be freed before the scope
/// ends; the scope then only ends the busy state.
class BusyScope
{
public:
    explicit BusyScope(QWidget* window);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QPointer<QWidget> m_window;
};
