// The history of changes as the database keeps it (db/history.sql) and as the program reads it:
// one row per changed column with the program's and the database's account, digests never stored,
// and the lists read newest first. (The rights of the program's account: tests/db.)

#include "coresupport.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/history.h"
#include "data/snapshottable.h"

#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace {
// The program's statement, values bound, on the program's connection.
void write(Connection* c, const QString& statement, const QVariantList& values = {})
{
    QSqlQuery q(c->database());
    QVERIFY2(q.prepare(statement), qPrintable(q.lastError().text()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text() + QLatin1Char('\n') + statement));
}

// The history rows of a row, oldest first: "action column old→new account dbaccount-user".
QStringList rowsOf(const QString& table, const QString& key)
{
    QSqlQuery q(SandboxDb::root());
    q.prepare(QStringLiteral("SELECT CONCAT_WS(' ', action, colname, CONCAT(IFNULL(oldvalue, '-'), '>', "
                             "IFNULL(newvalue, '-')), IFNULL(account, '-'), SUBSTRING_INDEX(dbaccount, '@', 1)) "
                             "FROM history WHERE tablename = ? AND rowkey = ? ORDER BY hpkey"));
    q.addBindValue(table);
    q.addBindValue(key);
    if (!q.exec())
        qFatal("%s", qPrintable(q.lastError().text()));
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString();
    return rows;
}

qint64 sessionId(Connection* c)
{
    QSqlQuery id(c->database());
    return id.exec(QStringLiteral("SELECT CONNECTION_ID()")) && id.next() ? id.value(0).toLongLong() : -1;
}

QStringList listRows(const SnapshotTable& list, const QStringList& fields)
{
    QStringList rows;
    for (int r = 0; r < list.recordCount(); ++r) {
        QStringList cells;
        for (const QString& f : fields)
            cells << list.cellText(r, list.fieldIndexByName(f));
        rows << cells.join(QLatin1Char(' '));
    }
    return rows;
}

const History::Captions kWords = {{QStringLiteral("action.added"), QStringLiteral("新增")},
                                  {QStringLiteral("action.changed"), QStringLiteral("修改")},
                                  {QStringLiteral("action.deleted"), QStringLiteral("刪除")},
                                  {QStringLiteral("table.stud"), QStringLiteral("學生")},
                                  {QStringLiteral("stud.studname"), QStringLiteral("學生姓名")}};
} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<Connection> m_conn;

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init()
    {
        SandboxDb::reseed();
        SandboxDb::loadHistory();
        m_conn.reset(SandboxDb::programConnection(nullptr));
        m_conn->setAccount(QStringLiteral("clerk"));
    }
    void cleanup() { m_conn.reset(); }

    // Only the columns that changed, text compared by its bytes; the program's account set after every
    // connect, also after the server dropped the session; a change from another client has none.
    void changedColumnsWithBothAccounts()
    {
        write(m_conn.get(),
              QStringLiteral("UPDATE classroom SET classname = ?, teacher = ?, classpoint = ? WHERE crpkey = 1"),
              {QStringLiteral("EXCEL 入門"), QStringLiteral("李老師"), 120});
        QCOMPARE(
            rowsOf(QStringLiteral("classroom"), QStringLiteral("1")),
            QStringList({"changed classname Excel 入門>EXCEL 入門 clerk ryn", "changed classpoint 100>120 clerk ryn"}));

        const qint64 before = sessionId(m_conn.get());
        SandboxDb::exec(QStringLiteral("KILL %1").arg(before));
        // The first statement finds the session gone; the next opens it again, with the account.
        QVERIFY_THROWS_EXCEPTION(DbError, m_conn->execute(QStringLiteral("DO 1")));
        write(m_conn.get(), QStringLiteral("UPDATE stud SET studname = ? WHERE spkey = ?"),
              {QStringLiteral("陳小文"), "A001"});
        QVERIFY(sessionId(m_conn.get()) != before);
        m_conn->setAccount(QStringLiteral("staff"));
        write(m_conn.get(), QStringLiteral("UPDATE stud SET studname = ? WHERE spkey = ?"),
              {QStringLiteral("陳大文"), "A001"});
        SandboxDb::exec(QStringLiteral("UPDATE course SET videolen = 1900 WHERE cpkey = 1"));
        QCOMPARE(rowsOf(QStringLiteral("stud"), QStringLiteral("A001")),
                 QStringList({"changed studname 陳大文>陳小文 clerk ryn", "changed studname 陳小文>陳大文 staff ryn"}));
        QCOMPARE(rowsOf(QStringLiteral("course"), QStringLiteral("1")),
                 QStringList({"changed videolen 1800>1900 - root"}));
    }

    // The program's account, as the servers set it up, reads the history and is refused any change
    // of it, while every table the program writes takes its writes.
    void historyOnlyReadByTheProgram()
    {
        write(m_conn.get(), QStringLiteral("UPDATE stud SET studname = ? WHERE spkey = ?"),
              {QStringLiteral("陳小文"), "A001"});
        for (const char* table : {"receiptprint", "booking_token", "insert_token", "watchlog"})
            m_conn->execute(QStringLiteral("DELETE FROM %1 WHERE 1 = 0").arg(QLatin1String(table)));
        QCOMPARE(m_conn->scalar(QStringLiteral("SELECT COUNT(*) FROM history")).toInt(), 1);
        for (const QString& statement :
             {QStringLiteral("DELETE FROM history"), QStringLiteral("UPDATE history SET account = 'nobody'"),
              QStringLiteral("INSERT INTO history (tablename) VALUES ('stud')")}) {
            try {
                m_conn->execute(statement);
                QFAIL(qPrintable(QStringLiteral("the server carried out: ") + statement));
            } catch (const DbError& e) {
                QCOMPARE(e.code(), 1142);
            }
        }
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM history WHERE account = 'clerk'")).toInt(), 1);
    }

    // An added and a deleted row are written whole; a password digest never is.
    void wholeRowsAndNoDigests()
    {
        write(m_conn.get(),
              QStringLiteral("INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES (?, ?, ?, ?, ?)"),
              {QDateTime(QDate(2026, 12, 1), QTime(9, 30)), "A002", 1, 50, "clerk"});
        const QString key = SandboxDb::scalar(QStringLiteral("SELECT MAX(scpkey) FROM studclass")).toString();
        write(m_conn.get(), QStringLiteral("DELETE FROM studclass WHERE scpkey = ?"), {key});
        QCOMPARE(
            rowsOf(QStringLiteral("studclass"), key),
            QStringList({"added scpkey ->" + key + " clerk ryn", "added buydate ->2026-12-01 09:30:00 clerk ryn",
                         "added spkey ->A002 clerk ryn", "added crpkey ->1 clerk ryn",
                         "added watchpoint ->50 clerk ryn", "added uid ->clerk clerk ryn",
                         "deleted scpkey " + key + ">- clerk ryn", "deleted buydate 2026-12-01 09:30:00>- clerk ryn",
                         "deleted spkey A002>- clerk ryn", "deleted crpkey 1>- clerk ryn",
                         "deleted watchpoint 50>- clerk ryn", "deleted uid clerk>- clerk ryn"}));

        write(m_conn.get(),
              QStringLiteral("INSERT INTO users (uid, uname, pwd, isadmin, pwdhint) VALUES (?, ?, MD5(?), 0, ?)"),
              {"clerk", QStringLiteral("小王"), "first", "x"});
        const QString upkey =
            SandboxDb::scalar(QStringLiteral("SELECT upkey FROM users WHERE uid = 'clerk'")).toString();
        write(m_conn.get(), QStringLiteral("UPDATE users SET pwd = MD5(?) WHERE upkey = ?"), {"second", upkey});
        write(m_conn.get(), QStringLiteral("UPDATE users SET pwd = pwd, uname = ? WHERE upkey = ?"),
              {QStringLiteral("小黃"), upkey});
        write(m_conn.get(), QStringLiteral("DELETE FROM users WHERE upkey = ?"), {upkey});
        const QStringList rows = rowsOf(QStringLiteral("users"), upkey);
        QVERIFY(rows.contains(QStringLiteral("added pwd ->已變更 clerk ryn")));
        QVERIFY(rows.contains(QStringLiteral("changed pwd ->已變更 clerk ryn")));
        QVERIFY(rows.contains(QStringLiteral("changed uname 小王>小黃 clerk ryn")));
        QVERIFY(rows.contains(QStringLiteral("deleted pwd 已變更>- clerk ryn")));
        QCOMPARE(rows.filter(QStringLiteral(" pwd ")).size(), 3);
        for (const char* password : {"first", "second"}) {
            const QString digest = SandboxDb::scalar(QStringLiteral("SELECT MD5('%1')").arg(password)).toString();
            QCOMPARE(
                SandboxDb::scalar(
                    QStringLiteral("SELECT COUNT(*) FROM history WHERE oldvalue = '%1' OR newvalue = '%1'").arg(digest))
                    .toInt(),
                0);
        }
    }

    // A row's list: newest first, the columns of one change in the table's order, the stored codes
    // shown as words; a key with quotes reaches the server bound. Corp's list is the table's whole history.
    void rowListNewestFirst()
    {
        const QString key = QStringLiteral("O'N\\1");
        write(m_conn.get(), QStringLiteral("INSERT INTO stud VALUES (?, ?, ?)"), {key, QStringLiteral("歐"), "p"});
        SandboxDb::exec(QStringLiteral("UPDATE history SET changed = changed - INTERVAL 1 MINUTE"));
        write(m_conn.get(), QStringLiteral("UPDATE stud SET studname = ?, studpwd = ? WHERE spkey = ?"),
              {QStringLiteral("歐陽"), "q", key});
        write(m_conn.get(), QStringLiteral("UPDATE stud SET studname = ? WHERE spkey = 'A001'"),
              {QStringLiteral("別人")});
        SnapshotTable list;
        list.setConnection(m_conn.get());
        History::declareFields(&list);
        History::readRow(&list, QStringLiteral("stud"), key, kWords);
        QCOMPARE(listRows(list, {"account", "action", "colname", "oldvalue", "newvalue"}),
                 QStringList({"clerk 修改 學生姓名 歐 歐陽", "clerk 修改 studpwd p q", "clerk 新增 spkey  O'N\\1",
                              "clerk 新增 學生姓名  歐", "clerk 新增 studpwd  p"}));
        QVERIFY(list.cellText(0, 0) > list.cellText(2, 0));
        QCOMPARE(list.cellText(0, 0).size(), 23); // yyyy/MM/dd hh:mm:ss.zzz

        SandboxDb::exec(QStringLiteral("UPDATE corp SET corpname = 'A' WHERE invoiceno = '12345678'"));
        // Two changes within one millisecond would have no order: the first is made older.
        SandboxDb::exec(QStringLiteral("UPDATE history SET changed = changed - INTERVAL 1 MINUTE"));
        SandboxDb::exec(QStringLiteral("UPDATE corp SET invoiceno = '87654321'"));
        History::readRow(&list, QStringLiteral("corp"), QString(), kWords);
        QCOMPARE(listRows(list, {"colname", "newvalue"}), QStringList({"invoiceno 87654321", "corpname A"}));
        // Another client's change shows under its database account.
        QVERIFY2(list.cellText(0, 1).startsWith(QLatin1String("root@")), qPrintable(list.cellText(0, 1)));
    }

    // The whole history by days, account, table and text; a text found in a deleted row shows it whole.
    void filteredList()
    {
        // Each change a second before the next, so that newest first is one order.
        const auto earlier = [] {
            SandboxDb::exec(QStringLiteral("UPDATE history SET changed = changed - INTERVAL 1 SECOND"));
        };
        write(m_conn.get(), QStringLiteral("UPDATE stud SET studname = ? WHERE spkey = 'A002'"),
              {QStringLiteral("林美")});
        earlier();
        m_conn->setAccount(QStringLiteral("staff"));
        write(m_conn.get(), QStringLiteral("DELETE FROM stud WHERE spkey = 'B001'"));
        earlier();
        write(m_conn.get(), QStringLiteral("UPDATE classroom SET teacher = ? WHERE crpkey = 2"),
              {QStringLiteral("黃小華")});
        earlier();
        SandboxDb::exec(QStringLiteral("UPDATE course SET point = 6 WHERE cpkey = 1"));
        SnapshotTable list;
        list.setConnection(m_conn.get());
        History::declareFields(&list);
        History::Filter f;
        f.from = f.to = QDate::currentDate();
        const QStringList fields = {"account", "tablename", "rowkey", "colname", "oldvalue"};
        History::readFiltered(&list, f, kWords);
        QCOMPARE(list.recordCount(), 6);

        f.text = QStringLiteral("黃小華");
        History::readFiltered(&list, f, kWords);
        QCOMPARE(listRows(list, fields),
                 QStringList({"staff classroom 2 teacher 吳老師", "staff 學生 B001 spkey B001",
                              "staff 學生 B001 學生姓名 黃小華", "staff 學生 B001 studpwd b001pw"}));
        f.table = QStringLiteral("stud");
        History::readFiltered(&list, f, kWords);
        QCOMPARE(list.recordCount(), 3);
        f.text.clear();
        f.account = QStringLiteral("clerk");
        History::readFiltered(&list, f, kWords);
        QCOMPARE(listRows(list, fields), QStringList({"clerk 學生 A002 學生姓名 林美玲"}));
        // A change without the program's account is found by its database account.
        f.account = QStringLiteral("root");
        f.table.clear();
        History::readFiltered(&list, f, kWords);
        QCOMPARE(listRows(list, {"rowkey", "colname", "oldvalue"}), QStringList({"1 point 5"}));
        f.account.clear();
        f.from = f.to = QDate::currentDate().addDays(-1);
        History::readFiltered(&list, f, kWords);
        QCOMPARE(list.recordCount(), 0);
        f.to = QDate::currentDate();
        f.text = QStringLiteral("%");
        History::readFiltered(&list, f, kWords);
        QCOMPARE(list.recordCount(), 0);
    }
};

RYN_CORE_TEST_MAIN(TestHistory)
#include "tst_history.moc"
