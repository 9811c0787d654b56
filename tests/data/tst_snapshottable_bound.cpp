// A statement read with bound values, and the table's events: several listeners, vetoes and the
// outcome of a save.

#include "data/connection.h"
#include "data/dberror.h"
#include "data/snapshottable.h"
#include "platform/errors.h"
#include "sandboxdb.h"
#include "tables.h"
#include "coresupport.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>

class SnapshotBoundTest : public QObject
{
    Q_OBJECT

private:
    Connection* m_connection = nullptr;

    static qlonglong sessionId(Connection* connection)
    {
        QSqlQuery id(connection->database());
        if (!id.exec(QStringLiteral("SELECT CONNECTION_ID()")) || !id.next())
            qFatal("no connection id: %s", qPrintable(id.lastError().text()));
        return id.value(0).toLongLong();
    }

    std::unique_ptr<SnapshotTable> query(const QString& statement, const QVariantList& values,
                                         std::initializer_list<FieldDecl> fields)
    {
        auto t = declareTable(m_connection, "", fields);
        t->setSql(statement, values);
        return t;
    }

    static QStringList column(const SnapshotTable& t, int field)
    {
        QStringList cells;
        for (int row = 0; row < t.recordCount(); ++row)
            cells << t.cellText(row, field);
        return cells;
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
    }

    void init() { SandboxDb::reseed(); }

    // Text with the characters that end or escape a literal matches itself only; a spliced value
    // would have found the other rows or broken the statement.
    void boundTextMatchesItselfOnly()
    {
        QSqlQuery insert(SandboxDb::root());
        insert.prepare(QStringLiteral("INSERT INTO stud (spkey, studname) VALUES (?, ?), (?, ?)"));
        for (const char* v : {"O'B\\1", "引號", "O'B", "相近"})
            insert.addBindValue(QString::fromUtf8(v));
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        auto t = query(QStringLiteral("SELECT spkey, studname FROM stud WHERE spkey = ? ORDER BY spkey"),
                       {QStringLiteral("O'B\\1")}, {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}});
        t->open();
        QCOMPARE(column(*t, 0), QStringList{QStringLiteral("O'B\\1")});
        QCOMPARE(column(*t, 1), QStringList{QStringLiteral("引號")});

        t->close();
        t->setSql(t->sql(), {QStringLiteral("' OR ''='")});
        t->open();
        QCOMPARE(t->recordCount(), 0);
        // Setting the text alone drops the values: the mark is then left unbound and refused.
        t->close();
        t->setSql(t->sql());
        QVERIFY(t->sqlValues().isEmpty());
        QVERIFY_THROWS_EXCEPTION(DbError, t->open());
    }

    // Every kind of value comes back as the plain query reads it; a text longer than the first
    // buffer arrives whole, and a missing value stays missing.
    void boundValuesOfEveryKind()
    {
        const QString longText = QString(300, QChar(0x9577)) + QStringLiteral("'\\");
        auto t = query(QStringLiteral("SELECT ? AS t, ? AS n, ? AS d, ? AS day, ? AS z, seq FROM seq_1_to_3"),
                       {longText, Q_INT64_C(6442450923), QDateTime(QDate(2026, 12, 2), QTime(8, 30, 15)),
                        QDate(2026, 2, 28), QVariant()},
                       {{"t", FieldType::Text, 400},
                        {"n", FieldType::Int64},
                        {"d", FieldType::DateTime},
                        {"day", FieldType::DateTime},
                        {"z", FieldType::Text, 5},
                        {"seq", FieldType::Int32}});
        t->open();
        QCOMPARE(t->recordCount(), 3);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(t->cellValue(row, 0).toString(), longText);
            QCOMPARE(t->cellValue(row, 1).toLongLong(), Q_INT64_C(6442450923));
            QCOMPARE(t->cellText(row, 2), QStringLiteral("2026/12/02 08:30:15"));
            QCOMPARE(t->cellText(row, 3), QStringLiteral("2026/02/28 00:00:00"));
            QVERIFY(!t->cellValue(row, 4).isValid());
            QCOMPARE(t->cellValue(row, 5).toInt(), row + 1);
        }
    }

    // The table read with values and the same table read as a plain query hold the same cells.
    void boundReadEqualsPlainRead()
    {
        SandboxDb::exec(QStringLiteral("UPDATE studclass SET buydate = '2026-11-01 00:00:00.250' WHERE scpkey = 1"));
        const std::initializer_list<FieldDecl> fields = {{"scpkey", FieldType::Int64},
                                                         {"buydate", FieldType::DateTime},
                                                         {"spkey", FieldType::Text, 10},
                                                         {"watchpoint", FieldType::Int32},
                                                         {"uid", FieldType::Text, 20}};
        auto plain = query(QStringLiteral("SELECT * FROM studclass WHERE scpkey > 0 ORDER BY scpkey"), {}, fields);
        auto bound = query(QStringLiteral("SELECT * FROM studclass WHERE scpkey > ? ORDER BY scpkey"), {0}, fields);
        plain->open();
        bound->open();
        QVERIFY(plain->recordCount() > 0);
        QCOMPARE(bound->recordCount(), plain->recordCount());
        for (int field = 0; field < 5; ++field)
            QCOMPARE(column(*bound, field), column(*plain, field));
    }

    // A read refused at its preparing (a column that is not there) or at its running (more or fewer
    // values than marks) fails with the server's reason, and the same session reads on at once: the
    // answers of a statement prepared and run together are all taken off the wire.
    void refusedBoundReadLeavesTheSessionInStep()
    {
        const qlonglong session = sessionId(m_connection);
        const std::initializer_list<FieldDecl> fields = {{"spkey", FieldType::Text, 20}};
        const QString byKey = QStringLiteral("SELECT spkey FROM stud WHERE spkey = ?");
        struct Refused {
            QString statement;
            QVariantList values;
        };
        for (const Refused& r : {Refused{QStringLiteral("SELECT nosuchcolumn FROM stud WHERE spkey = ?"), {1}},
                                 Refused{byKey, {QStringLiteral("A001"), QStringLiteral("A002")}},
                                 Refused{QStringLiteral("SELECT spkey FROM stud WHERE spkey = ? OR spkey = ?"),
                                         {QStringLiteral("A001")}}}) {
            auto refused = query(r.statement, r.values, fields);
            try {
                refused->open();
                QFAIL(qPrintable(QStringLiteral("not refused: ") + r.statement));
            } catch (const DbError& e) {
                QVERIFY2(!e.connectionLost(), qPrintable(e.message()));
            }
            auto next = query(byKey, {QStringLiteral("A002")}, fields);
            next->open();
            QCOMPARE(column(*next, 0), QStringList{QStringLiteral("A002")});
        }
        QCOMPARE(sessionId(m_connection), session);
    }

    // A statement read again with other values is prepared on the session once: later reads send
    // only the values, and each reads its own rows.
    void statementKeptPreparedOnTheSession()
    {
        auto status = [this](const char* name) {
            QSqlQuery q(m_connection->database());
            if (!q.exec(QStringLiteral("SHOW SESSION STATUS LIKE '%1'").arg(QLatin1String(name))) || !q.next())
                qFatal("no status %s: %s", name, qPrintable(q.lastError().text()));
            return q.value(1).toLongLong();
        };
        const qlonglong prepared = status("Com_stmt_prepare");
        for (const char* key : {"A001", "A002", "A003", "A002"}) {
            auto t = query(QStringLiteral("SELECT spkey FROM stud WHERE spkey = ?"), {QString::fromLatin1(key)},
                           {{"spkey", FieldType::Text, 20}});
            t->open();
            QCOMPARE(column(*t, 0), QStringList{QString::fromLatin1(key)});
        }
        QCOMPARE(status("Com_stmt_prepare") - prepared, 1);
    }

    // A connection killed between two openings: the opening that finds it gone fails, the next
    // one binds the same values on the new session and reads the same rows.
    void valuesBoundAgainAfterReconnect()
    {
        auto t = query(QStringLiteral("SELECT spkey FROM stud WHERE spkey >= ? AND spkey < ? ORDER BY spkey"),
                       {QStringLiteral("A002"), QStringLiteral("B")}, {{"spkey", FieldType::Text, 20}});
        t->open();
        const QStringList before = column(*t, 0);
        QCOMPARE(before, (QStringList{"A002", "A003"}));
        t->close();
        const qlonglong killed = sessionId(m_connection);
        SandboxDb::exec(QStringLiteral("KILL CONNECTION %1").arg(killed));
        try {
            t->open();
        } catch (const DbError& e) {
            QVERIFY2(e.connectionLost(), qPrintable(e.message()));
            QVERIFY(!t->active());
            t->open();
        }
        QVERIFY(sessionId(m_connection) != killed);
        QCOMPARE(column(*t, 0), before);
    }

    void everyAfterPostListenerIsCalled()
    {
        auto t = openStudents(m_connection);
        QStringList heard;
        QObject::connect(t.get(), &SnapshotTable::afterPost,
                         [&](const PostOutcome& outcome) { heard << QStringLiteral("first %1").arg(outcome.saved()); });
        QSignalSpy second(t.get(), &SnapshotTable::afterPost);
        t->edit();
        t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("兩聽"));
        const PostOutcome outcome = t->post();
        QCOMPARE(outcome.status, PostOutcome::Status::Saved);
        QCOMPARE(heard, QStringList{QStringLiteral("first 1")});
        QCOMPARE(second.count(), 1);
        QCOMPARE(second.at(0).at(0).value<PostOutcome>().status, PostOutcome::Status::Saved);

        // Nothing changed: the save still ends the editing and says so.
        t->edit();
        QCOMPARE(t->post().status, PostOutcome::Status::Unchanged);
        QCOMPARE(second.count(), 2);
    }

    // The vetoes are asked in order until one refuses; its reason is the error, nothing is written
    // and the row stays as typed.
    void vetoStopsThePostWithItsReason()
    {
        auto t = openStudents(m_connection);
        QStringList asked;
        t->addVeto(SnapshotTable::VetoStep::Post, [&](QString*) {
            asked << QStringLiteral("first");
            return true;
        });
        const int refusing = t->addVeto(SnapshotTable::VetoStep::Post, [&](QString* reason) {
            asked << QStringLiteral("second");
            *reason = QStringLiteral("姓名不可改");
            return false;
        });
        t->addVeto(SnapshotTable::VetoStep::Post, [&](QString*) {
            asked << QStringLiteral("third");
            return true;
        });
        QSignalSpy posted(t.get(), &SnapshotTable::afterPost);
        t->edit();
        t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("被擋"));
        try {
            t->post();
            QFAIL("the veto did not stop the save");
        } catch (const DbError& e) {
            QCOMPARE(e.message(), QStringLiteral("姓名不可改"));
        }
        QCOMPARE(asked, (QStringList{"first", "second"}));
        QCOMPARE(posted.count(), 0);
        QCOMPARE(t->state(), DataSetState::Edit);
        QCOMPARE(t->field(QStringLiteral("studname"))->asString(), QStringLiteral("被擋"));
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT studname FROM stud WHERE spkey = 'A001'")).toString(),
                 QStringLiteral("陳大文"));

        // A post veto does not stand in the way of a delete, and one without a reason aborts silently.
        t->removeVeto(refusing);
        asked.clear();
        t->post();
        QCOMPARE(asked, (QStringList{"first", "third"}));
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT studname FROM stud WHERE spkey = 'A001'")).toString(),
                 QStringLiteral("被擋"));
        t->addVeto(SnapshotTable::VetoStep::Delete, [](QString*) { return false; });
        QVERIFY_THROWS_EXCEPTION(Abort, t->remove());
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM stud WHERE spkey = 'A001'")).toInt(), 1);
    }
};

RYN_CORE_TEST_MAIN(SnapshotBoundTest)
#include "tst_snapshottable_bound.moc"
