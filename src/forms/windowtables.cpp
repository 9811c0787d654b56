#include "windowtables.h"

#include "data/snapshottable.h"
#include "forms/windowparts.h"

SnapshotTable* classroomTable(QObject* owner, Connection* conn)
{
    SnapshotTable* table = namedTable(owner, "tblClassroom", conn, "classroom");
    table->addField(QStringLiteral("crpkey"), FieldType::AutoInc);
    table->addField(QStringLiteral("classname"), FieldType::Text, 30);
    table->addField(QStringLiteral("teacher"), FieldType::Text, 10);
    table->addField(QStringLiteral("classpoint"), FieldType::Int32);
    table->addField(QStringLiteral("videopoint"), FieldType::UInt16);
    table->setKeyField(QStringLiteral("crpkey"));
    table->setInsertToken(QStringLiteral("insert_token"), QStringLiteral("rowkey"));
    return table;
}

SnapshotTable* userTable(QObject* owner, Connection* conn)
{
    SnapshotTable* table = namedTable(owner, "tblUser", conn, "users");
    table->addField(QStringLiteral("upkey"), FieldType::AutoInc);
    table->addField(QStringLiteral("uid"), FieldType::Text, 20);
    table->addField(QStringLiteral("uname"), FieldType::Text, 10);
    table->addField(QStringLiteral("pwd"), FieldType::Text, 40);
    table->addField(QStringLiteral("isadmin"), FieldType::Int16);
    table->addField(QStringLiteral("pwdhint"), FieldType::Text, 10);
    table->setKeyField(QStringLiteral("upkey"));
    table->setInsertToken(QStringLiteral("insert_token"), QStringLiteral("rowkey"));
    return table;
}

SnapshotTable* corpTable(QObject* owner, Connection* conn)
{
    SnapshotTable* table = namedTable(owner, "tblCorp", conn, "corp");
    table->addField(QStringLiteral("invoiceno"), FieldType::Text, 8);
    table->addField(QStringLiteral("corpname"), FieldType::Text, 30);
    table->addField(QStringLiteral("watermark"), FieldType::Int16);
    // The company's one row has no key: a save repeated after a lost answer must not store it twice.
    table->setInsertToken(QStringLiteral("insert_token"), QStringLiteral("rowkey"));
    return table;
}
