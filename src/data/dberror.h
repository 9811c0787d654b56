#pragma once

#include "platform/errors.h"

class QSqlError;

/// An error of the data layer: a connection that cannot be opened, a statement or row write the
/// server refused, a value that does not fit its field, or a row changed meanwhile by another workstation.
class DbError : public AppError
{
public:
    using AppError::AppError;
};

/// The text of a Qt SQL error: the driver's words and the server's.
QString sqlErrorText(const QSqlError& error);
