#include "tables.h"

std::unique_ptr<SnapshotTable> declareTable(Connection* connection, const char* tableName,
                                            std::initializer_list<FieldDecl> fields, const char* key)
{
    auto t = std::make_unique<SnapshotTable>();
    t->setConnection(connection);
    t->setTableName(QString::fromLatin1(tableName));
    for (const FieldDecl& f : fields)
        t->addField(QString::fromLatin1(f.name), f.type, f.size);
    if (key)
        t->setKeyField(QString::fromLatin1(key));
    return t;
}
