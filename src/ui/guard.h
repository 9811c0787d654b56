#pragma once
// The guard that every event handler runs under. Qt does not let exceptions cross the event loop,
// so each handler is entered through guarded(): an error it raises is shown in the standard error
// box, the handler stops at that step, and the window stays as it was.

#include <QObject>
#include <functional>

/// Runs the handler; returns false when it raised an error (shown; an exception that is not a
/// standard error is shown as an unknown error) or aborted (silent).
bool guarded(const std::function<void()>& handler);

/// Connects a signal to a handler that runs under the guard.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection onEvent(Sender* sender, Signal signal, Receiver* receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto&&...) {
        guarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>)
                (receiver->*handler)();
            else
                handler();
        });
    });
}
