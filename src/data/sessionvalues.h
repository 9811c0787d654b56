#pragma once
// Values for a statement that is read as a snapshot: the snapshot loader sends its statement as
// text, so the values go to the server first, bound, as user variables of the connection's session
// (@name), and the statement names the variables. The two run on one session, one after the other.

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class Connection;

/// Sets each @name of the connection's session to its value, bound; throws DbError.
void setSessionValues(Connection* connection, const QList<QPair<QString, QVariant>>& values);
