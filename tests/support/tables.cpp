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

std::unique_ptr<SnapshotTable> openStudents(Connection* connection)
{
    auto t = declareTable(
        connection, "stud",
        {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}, {"studpwd", FieldType::Text, 40}}, "spkey");
    t->open();
    return t;
}

std::unique_ptr<SnapshotTable> declareBookings(Connection* connection)
{
    return declareTable(connection, "studclass",
                        {{"scpkey", FieldType::Int64},
                         {"buydate", FieldType::DateTime},
                         {"spkey", FieldType::Text, 10},
                         {"watchpoint", FieldType::Int32},
                         {"uid", FieldType::Text, 20}},
                        "scpkey");
}
