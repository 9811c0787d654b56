// Saving and deleting rows in the server, read back with the tests' own queries, and what happens
// when another workstation got there first or the server refuses.

#include "platform/messages.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "sandboxdb.h"
#include "tables.h"
#include "coresupport.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <thread>

class SnapshotWriteTest : public QObject
{
    Q_OBJECT

private:
    Connection* m_connection = nullptr;
    Connection* m_other = nullptr; // a second workstation

    std::unique_ptr<SnapshotTable> classrooms(Connection* connection)
    {
        auto t = declareTable(connection, "classroom",
                              {{"crpkey", FieldType::AutoInc},
                               {"classname", FieldType::Text, 30},
                               {"teacher", FieldType::Text, 10},
                               {"videopoint", FieldType::UInt16}},
                              "crpkey");
        t->open();
        return t;
    }

    std::unique_ptr<SnapshotTable> corp(Connection* connection)
    {
        auto t = declareTable(
            connection, "corp",
            {{"invoiceno", FieldType::Text, 8}, {"corpname", FieldType::Text, 30}, {"watermark", FieldType::Int16}});
        t->open();
        return t;
    }

    static std::unique_ptr<SnapshotTable> students(Connection* connection) { return openStudents(connection); }

    static void set(SnapshotTable& t, const char* field, const QString& text)
    {
        t.field(QString::fromLatin1(field))->setAsString(text);
    }

    static QString text(SnapshotTable& t, const char* field) { return t.field(QString::fromLatin1(field))->asString(); }

    static QVariant scalar(const QString& statement) { return SandboxDb::scalar(statement); }

    static qlonglong sessionId(Connection* connection)
    {
        QSqlQuery id(connection->database());
        if (!id.exec(QStringLiteral("SELECT CONNECTION_ID()")) || !id.next())
            qFatal("no connection id: %s", qPrintable(id.lastError().text()));
        return id.value(0).toLongLong();
    }

    static void killSession(Connection* connection)
    {
        SandboxDb::exec(QStringLiteral("KILL CONNECTION %1").arg(sessionId(connection)));
    }

    // Another session ends the connection once its INSERT is running on the server (sawInsert
    // tells whether it was seen running, or the wait ran out first).
    static void killWhenInserting(qlonglong id, std::atomic<bool>* sawInsert)
    {
        {
            QSqlQuery q(SandboxDb::rootSession(QStringLiteral("killer")));
            *sawInsert = QTest::qWaitFor(
                [&] {
                    return q.exec(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1 "
                                                 "AND INFO LIKE 'INSERT%'")
                                      .arg(id))
                           && q.next() && q.value(0).toInt() > 0;
                },
                20000);
            q.exec(QStringLiteral("KILL CONNECTION %1").arg(id));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("killer"));
    }

    static void expectLost(const std::function<void()>& action, const char* told)
    {
        try {
            action();
            QFAIL("the write went through");
        } catch (const DbError& e) {
            QVERIFY2(e.connectionLost(), qPrintable(e.message()));
            QVERIFY2(e.message().startsWith(QStringLiteral("與資料庫伺服器的連線中斷")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QString::fromUtf8(told)), qPrintable(e.message()));
            // The driver's own words follow.
            QVERIFY2(e.message().contains(QLatin1String("QMYSQL")), qPrintable(e.message()));
        }
    }

    static void expectChangedMeanwhile(const std::function<void()>& action)
    {
        try {
            action();
            QFAIL("the write went through");
        } catch (const DbError& e) {
            QVERIFY2(e.message().startsWith(Msg::changedMeanwhileNotSaved().left(20)), qPrintable(e.message()));
        }
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
        m_other = SandboxDb::programConnection(this);
    }

    void init() { SandboxDb::reseed(); }

    void insertReadsBackKeyAndDefaults()
    {
        auto t = classrooms(m_connection);
        t->append();
        set(*t, "classname", QStringLiteral("Word 進階"));
        set(*t, "videopoint", QStringLiteral("65535"));
        t->post();
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(t->field(QStringLiteral("crpkey"))->asInteger(), 4);
        QCOMPARE(scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = 4")).toString(),
                 QStringLiteral("Word 進階"));
        QCOMPARE(scalar(QStringLiteral("SELECT videopoint FROM classroom WHERE crpkey = 4")).toInt(), 65535);
        QVERIFY(scalar(QStringLiteral("SELECT teacher IS NULL FROM classroom WHERE crpkey = 4")).toBool());

        // A column left empty takes the server's default, and the snapshot shows it.
        SnapshotTable course;
        course.setConnection(m_connection);
        course.setTableName(QStringLiteral("course"));
        course.addField(QStringLiteral("cpkey"), FieldType::AutoInc);
        course.addField(QStringLiteral("coursename"), FieldType::Text, 50);
        course.addField(QStringLiteral("status"), FieldType::Text, 20);
        course.setKeyField(QStringLiteral("cpkey"));
        course.open();
        course.append();
        set(course, "coursename", QStringLiteral("新課"));
        course.post();
        QCOMPARE(text(course, "cpkey"), QStringLiteral("5"));
        QCOMPARE(text(course, "status"), QStringLiteral("new"));
        QCOMPARE(scalar(QStringLiteral("SELECT status FROM course WHERE cpkey = 5")).toString(), QStringLiteral("new"));
    }

    void insertBigintKeyAndDateTime()
    {
        SnapshotTable t;
        t.setConnection(m_connection);
        t.setTableName(QStringLiteral("studclass"));
        t.addField(QStringLiteral("scpkey"), FieldType::Int64);
        t.addField(QStringLiteral("buydate"), FieldType::DateTime);
        t.addField(QStringLiteral("spkey"), FieldType::Text, 10);
        t.setKeyField(QStringLiteral("scpkey"));
        t.open();
        t.append();
        set(t, "buydate", QStringLiteral("2026/10/01 08:30:00"));
        set(t, "spkey", QStringLiteral("A003"));
        t.post();
        QCOMPARE(text(t, "scpkey"), QStringLiteral("6"));
        QCOMPARE(
            scalar(QStringLiteral("SELECT DATE_FORMAT(buydate, '%Y-%m-%d %H:%i:%s') FROM studclass WHERE scpkey = 6"))
                .toString(),
            QStringLiteral("2026-10-01 08:30:00"));
        t.edit();
        set(t, "buydate", QStringLiteral("2027-01-02 03:04:05"));
        t.post();
        QCOMPARE(
            scalar(QStringLiteral("SELECT DATE_FORMAT(buydate, '%Y-%m-%d %H:%i:%s') FROM studclass WHERE scpkey = 6"))
                .toString(),
            QStringLiteral("2027-01-02 03:04:05"));
    }

    void emptyAndSpaceWritten()
    {
        auto t = students(m_connection);
        t->append();
        set(*t, "spkey", QStringLiteral("C001"));
        set(*t, "studname", QStringLiteral(" "));
        set(*t, "studpwd", QString());
        t->post();
        QCOMPARE(scalar(QStringLiteral("SELECT CONCAT('[', studname, ']') FROM stud WHERE spkey = 'C001'")).toString(),
                 QStringLiteral("[ ]"));
        QVERIFY(scalar(QStringLiteral("SELECT studpwd IS NULL FROM stud WHERE spkey = 'C001'")).toBool());
    }

    void updateWritesOnlyChangedColumns()
    {
        auto t = classrooms(m_connection);
        // Another workstation changes a column this one does not touch.
        SandboxDb::exec(QStringLiteral("UPDATE classroom SET teacher = '新老師' WHERE crpkey = 1"));
        t->edit();
        set(*t, "classname", QStringLiteral("Excel 中級"));
        t->post();
        QCOMPARE(scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = 1")).toString(),
                 QStringLiteral("Excel 中級"));
        QCOMPARE(scalar(QStringLiteral("SELECT teacher FROM classroom WHERE crpkey = 1")).toString(),
                 QStringLiteral("新老師"));
        QCOMPARE(scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = 2")).toString(),
                 QStringLiteral("Photoshop 影像處理"));
    }

    void secondEditorLoses()
    {
        auto first = classrooms(m_connection);
        auto second = classrooms(m_other);
        first->edit();
        second->edit();
        set(*first, "classname", QStringLiteral("第一個"));
        set(*second, "classname", QStringLiteral("第二個"));
        first->post();
        expectChangedMeanwhile([&] { second->post(); });
        QCOMPARE(second->state(), DataSetState::Edit);
        QCOMPARE(text(*second, "classname"), QStringLiteral("第二個"));
        QCOMPARE(scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = 1")).toString(),
                 QStringLiteral("第一個"));
        second->cancel();
        QCOMPARE(text(*second, "classname"), QStringLiteral("Excel 入門"));
    }

    void caseOnlyChangeIsAChange()
    {
        auto t = classrooms(m_connection);
        SandboxDb::exec(QStringLiteral("UPDATE classroom SET classname = 'EXCEL 入門' WHERE crpkey = 1"));
        t->edit();
        set(*t, "classname", QStringLiteral("Excel 入門 2"));
        expectChangedMeanwhile([&] { t->post(); });
        QCOMPARE(scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = 1")).toString(),
                 QStringLiteral("EXCEL 入門"));
    }

    void deleteOfChangedOrDeletedRow()
    {
        auto t = classrooms(m_connection);
        SandboxDb::exec(QStringLiteral("UPDATE classroom SET videopoint = 6 WHERE crpkey = 1"));
        expectChangedMeanwhile([&] { t->remove(); });
        QCOMPARE(t->recordCount(), 3);
        QCOMPARE(text(*t, "crpkey"), QStringLiteral("1"));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM classroom")).toInt(), 3);

        SandboxDb::exec(QStringLiteral("DELETE FROM classroom WHERE crpkey = 2"));
        t->setRecNo(1);
        expectChangedMeanwhile([&] { t->remove(); });
        QCOMPARE(t->recordCount(), 3);

        t->setRecNo(2);
        t->remove();
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM classroom WHERE crpkey = 3")).toInt(), 0);
        QCOMPARE(t->recordCount(), 2);
    }

    void tableWithoutKey()
    {
        SandboxDb::exec(QStringLiteral("INSERT INTO corp (invoiceno, corpname, watermark) VALUES "
                                       "('12345678', 'Korvel電腦補習班', 1)"));
        auto t = corp(m_connection);
        QCOMPARE(t->recordCount(), 2);
        t->edit();
        set(*t, "corpname", QStringLiteral("新名稱"));
        t->post();
        // Two rows alike: exactly one of them changed.
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM corp WHERE corpname = '新名稱'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM corp WHERE corpname = 'Korvel電腦補習班'")).toInt(), 1);

        // A new row picks up the watermark default, so that it can be changed again at once.
        t->append();
        set(*t, "invoiceno", QStringLiteral("87654321"));
        t->post();
        QCOMPARE(text(*t, "watermark"), QStringLiteral("0"));
        t->edit();
        set(*t, "corpname", QStringLiteral("第三"));
        t->post();
        QCOMPARE(scalar(QStringLiteral("SELECT corpname FROM corp WHERE invoiceno = '87654321'")).toString(),
                 QStringLiteral("第三"));

        auto other = corp(m_other);
        QVERIFY(other->locate(QStringLiteral("invoiceno"), QStringLiteral("87654321")));
        other->edit();
        set(*other, "watermark", QStringLiteral("1"));
        other->post();
        t->edit();
        set(*t, "corpname", QStringLiteral("第四"));
        expectChangedMeanwhile([&] { t->post(); });
        t->cancel();
        expectChangedMeanwhile([&] { t->remove(); });
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM corp")).toInt(), 3);
    }

    void serverRefusalKeepsInsertState()
    {
        auto t = students(m_connection);
        t->append();
        set(*t, "spkey", QStringLiteral("A001"));
        set(*t, "studname", QStringLiteral("重複"));
        try {
            t->post();
            QFAIL("a duplicate key was saved");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QLatin1String("Duplicate")), qPrintable(e.message()));
        }
        QCOMPARE(t->state(), DataSetState::Insert);
        QCOMPARE(t->recordCount(), 5);
        QCOMPARE(text(*t, "studname"), QStringLiteral("重複"));
        set(*t, "spkey", QStringLiteral("A009"));
        t->post();
        QCOMPARE(t->recordCount(), 5);
        QCOMPARE(scalar(QStringLiteral("SELECT studname FROM stud WHERE spkey = 'A009'")).toString(),
                 QStringLiteral("重複"));

        t->append();
        set(*t, "studname", QStringLiteral("無號"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->post()); // spkey has no default
        QCOMPARE(t->state(), DataSetState::Insert);
    }

    // The server closed the connection between two actions: the action that finds it gone fails
    // and changes nothing; the next one opens the connection again and goes on.
    void droppedConnection()
    {
        std::unique_ptr<Connection> broken(SandboxDb::programConnection(nullptr));
        auto t = classrooms(broken.get());
        killSession(broken.get());
        t->edit();
        set(*t, "classname", QStringLiteral("斷線"));
        expectLost([&] { t->post(); }, "這筆資料沒有儲存");
        QCOMPARE(t->state(), DataSetState::Edit);
        QCOMPARE(text(*t, "classname"), QStringLiteral("斷線"));
        t->post();
        QCOMPARE(scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = 1")).toString(),
                 QStringLiteral("斷線"));

        killSession(broken.get());
        expectLost([&] { t->remove(); }, "這筆資料沒有刪除");
        QCOMPARE(t->recordCount(), 3);
        t->remove();
        QCOMPARE(t->recordCount(), 2);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM classroom")).toInt(), 2);

        killSession(broken.get());
        t->close();
        QVERIFY_THROWS_EXCEPTION(DbError, t->open());
        QVERIFY(!t->active());
        t->open();
        QCOMPARE(t->recordCount(), 2);
    }

    // The connection breaks while the server carries the INSERT out: the row may or may not be
    // stored, so it is not sent again by itself; the user's next Save sends it once.
    void lostWhileTheServerWorks()
    {
        SandboxDb::exec(QStringLiteral("CREATE TABLE slowdown (on_ INT)"));
        SandboxDb::exec(QStringLiteral("INSERT INTO slowdown VALUES (1)"));
        SandboxDb::exec(QStringLiteral("CREATE TRIGGER slow_insert BEFORE INSERT ON classroom FOR EACH ROW "
                                       "SET NEW.teacher = IF(EXISTS(SELECT 1 FROM slowdown), SLEEP(20), NEW.teacher)"));
        std::unique_ptr<Connection> broken(SandboxDb::programConnection(nullptr));
        auto t = classrooms(broken.get());
        t->append();
        set(*t, "classname", QStringLiteral("慢"));
        std::atomic<bool> sawInsert{false};
        std::thread killer(killWhenInserting, sessionId(broken.get()), &sawInsert);
        expectLost([&] { t->post(); }, "無法確定這筆資料是否已經儲存");
        killer.join();
        QVERIFY(sawInsert); // the connection broke while the server carried the INSERT out
        QCOMPARE(t->state(), DataSetState::Insert);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM classroom WHERE classname = '慢'")).toInt(), 0);

        SandboxDb::exec(QStringLiteral("DROP TABLE slowdown"));
        SandboxDb::exec(QStringLiteral("DROP TRIGGER slow_insert"));
        t->post();
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM classroom WHERE classname = '慢'")).toInt(), 1);
    }

    // The row is stored but the server's values of it cannot be read back: the user is told, and
    // the row leaves the insert state, so that a second Save does not insert it again.
    void readBackFailureIsTold_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("detail");
        QTest::newRow("key changed by the server")
            << QStringLiteral("SET NEW.spkey = CONCAT(NEW.spkey, 'x')") << QString();
        QTest::newRow("value that does not fit the field")
            << QStringLiteral("SET NEW.studpwd = 'not a number'")
            << Msg::valueUnreadable("not a number", "studpwd", QString()).section(QLatin1Char(' '), -1);
    }

    void readBackFailureIsTold()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, detail);
        SandboxDb::exec(QStringLiteral("UPDATE stud SET studpwd = '0'"));
        SandboxDb::exec(QStringLiteral("CREATE TRIGGER odd_insert BEFORE INSERT ON stud FOR EACH ROW ") + trigger);
        auto t = declareTable(
            m_connection, "stud",
            {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}, {"studpwd", FieldType::Int32}},
            "spkey");
        t->open();
        t->append();
        set(*t, "spkey", QStringLiteral("R1"));
        set(*t, "studname", QStringLiteral("讀回"));
        QSignalSpy posted(t.get(), &SnapshotTable::afterPost);
        const PostOutcome outcome = t->post();
        QCOMPARE(outcome.status, PostOutcome::Status::SavedNotReadBack);
        QVERIFY2(outcome.notice.startsWith(QStringLiteral("這筆資料已經儲存")), qPrintable(outcome.notice));
        QVERIFY2(outcome.notice.contains(detail), qPrintable(outcome.notice));
        QCOMPARE(posted.count(), 1);
        QCOMPARE(posted.at(0).at(0).value<PostOutcome>().notice, outcome.notice);
        QVERIFY_THROWS_EXCEPTION(DbError, outcome.requireReadBack());
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(t->recordCount(), 5);
        QCOMPARE(text(*t, "studname"), QStringLiteral("讀回"));
        QCOMPARE(t->post().status, PostOutcome::Status::Unchanged);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM stud")).toInt(), 5);
    }
};

RYN_CORE_TEST_MAIN(SnapshotWriteTest)
#include "tst_snapshottable_write.moc"
