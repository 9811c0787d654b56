#include "dberror.h"

#include <QSqlError>

QString sqlErrorText(const QSqlError& error)
{
    const QString db = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (db.isEmpty())
        return driver;
    return driver.isEmpty() ? db : driver + QStringLiteral(": ") + db;
}
