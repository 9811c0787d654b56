#pragma once

#include "platform/errors.h"

class QSqlError;

/// An error of the data layer: a connection that cannot be opened, a statement or row write the
/// server refused, a value that does not fit its field, or a row changed meanwhile by another workstation.
class DbError : public AppError
{
public:
    /// code is the client library's or the server's error number, 0 for the program's own errors.
    explicit DbError(const QString& message, int code = 0)
        : AppError(message)
        , m_code(code)
    {}
    int code() const { return m_code; }
    /// The connection to the server is gone (closed by the server, killed, timed out, server down).
    bool connectionLost() const { return isConnectionLoss(m_code); }

    static bool isConnectionLoss(int code);

private:
    int m_code;
};

/// The text of a Qt SQL error: the driver's words and the server's.
QString sqlErrorText(const QSqlError& error);
/// The error as a DbError, with the error number the driver reports.
DbError sqlError(const QSqlError& error);
