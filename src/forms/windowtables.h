#pragma once
// The tables that more than one window declares with the same fields, each declared once. Every
// table is named as the windows name it, so that the translation tables reach it and its fields.

class Connection;
class QObject;
class SnapshotTable;

/// "tblClassroom": classroom, keyed by crpkey, with classname, teacher, classpoint and videopoint.
SnapshotTable* classroomTable(QObject* owner, Connection* conn);
/// "tblUser": users, keyed by upkey, with uid, uname, pwd, isadmin and pwdhint.
SnapshotTable* userTable(QObject* owner, Connection* conn);
/// "tblCorp": the company's one row of corp, with invoiceno, corpname and watermark.
SnapshotTable* corpTable(QObject* owner, Connection* conn);
