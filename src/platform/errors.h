#pragma once
// The program's error types. Handlers never catch them: the guard around every handler shows
// the text in the standard error box (Abort excepted, which stops a handler without a word).

#include <QString>
#include <stdexcept>

/// An error with a text meant for the user (the server's, curl's or the program's own).
class AppError : public std::runtime_error
{
public:
    explicit AppError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

/// Stops the running handler silently, after it has told the user why (a failed check).
class Abort : public std::exception
{
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
