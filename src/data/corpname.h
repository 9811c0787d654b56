#pragma once

#include <QString>

class Connection;

/// The company's name as it heads every printed paper: corpname of the first row of corp, empty when
/// there is none. Throws DbError.
QString corpName(Connection* connection);
