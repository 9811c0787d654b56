#include "corpname.h"

#include "connection.h"

QString corpName(Connection* connection)
{
    return connection->scalar(QStringLiteral("SELECT corpname FROM corp LIMIT 1")).toString();
}
