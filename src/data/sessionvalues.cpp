#include "sessionvalues.h"

#include "connection.h"

#include <QStringList>

void setSessionValues(Connection* connection, const QList<QPair<QString, QVariant>>& values)
{
    if (values.isEmpty())
        return;
    QStringList assignments;
    QVariantList bound;
    for (const auto& [name, value] : values) {
        // The names are the program's own; only letters, digits and underscores reach the statement.
        Q_ASSERT(!name.isEmpty() && name.toLatin1() == name.toUtf8());
        assignments << QStringLiteral("@%1 = ?").arg(name);
        bound << value;
    }
    connection->scalar(QStringLiteral("SET ") + assignments.join(QStringLiteral(", ")), bound);
}
