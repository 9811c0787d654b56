#include "dberror.h"

#include <QSqlError>

namespace {
// Error numbers that mean the session is over: the client library's and the server's.
enum : int {
    ServerShutdown = 1053,     // the server is shutting down and closes the connection
    ConnectionKilled = 1927,   // KILL CONNECTION from another session
    ClientIdleTimeout = 4031,  // the server closed a session idle past wait_timeout
    ServerGone = 2006,         // found closed before a statement was sent
    ServerLost = 2013,         // lost while a statement was on its way or its answer was read
    ServerLostExtended = 2055, // as ServerLost, with the system's reason
};
} // namespace

bool DbError::isConnectionLoss(int code)
{
    switch (code) {
    case ServerShutdown:
    case ConnectionKilled:
    case ClientIdleTimeout:
    case ServerGone:
    case ServerLost:
    case ServerLostExtended:
        return true;
    default:
        return false;
    }
}

QString sqlErrorText(const QSqlError& error)
{
    const QString db = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (db.isEmpty())
        return driver;
    return driver.isEmpty() ? db : driver + QStringLiteral(": ") + db;
}

DbError sqlError(const QSqlError& error)
{
    return DbError(sqlErrorText(error), error.nativeErrorCode().toInt());
}
