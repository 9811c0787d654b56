// Provisioning brings an older database to the history of changes: the table, the triggers with
// their locked definer, and the program's account reading every table, writing all but history.
// Run again it changes nothing; run on an older database's rights it moves them to single tables.

#include "coresupport.h"
#include "data/dberror.h"
#include "provisionrun.h"

#include <QSqlQuery>

class TestHistoryProvision : public QObject
{
    Q_OBJECT

    // A name of its own each run: the rights a dropped database's tables had stay with the server.
    const QString m_db = QStringLiteral("rynolder%1").arg(QDateTime::currentSecsSinceEpoch());

private slots:
    void initTestCase() { SandboxDb::require(); }
    void cleanupTestCase() { SandboxDb::exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_db)); }

    void olderDatabaseGetsTheHistory()
    {
        ProvisionRun::makeOlderDatabase(m_db);
        const int port = qEnvironmentVariableIntValue("RYN_DB_PORT");
        const ProvisionRun::Outcome first = ProvisionRun::provision(port, m_db);
        QVERIFY2(first.exitCode == 0, qPrintable(first.output));
        for (const QString& done :
             {QStringLiteral("created the tables history"), QStringLiteral("made the history of changes"),
              QStringLiteral(
                  "granted ryn@127.0.0.1 DELETE, INSERT, UPDATE on users corp stud classroom course studclass "
                  "watchlog"),
              QStringLiteral("revoked DELETE, INSERT, UPDATE on %1 from ryn@127.0.0.1").arg(m_db)})
            QVERIFY2(first.output.contains(done), qPrintable(first.output));
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE "
                                                  "TRIGGER_SCHEMA = '%1' AND DEFINER = 'ryn_history@localhost'")
                                       .arg(m_db))
                     .toInt(),
                 18);
        const ProvisionRun::Outcome again = ProvisionRun::provision(port, m_db);
        QVERIFY2(again.exitCode == 0 && again.output.contains(QStringLiteral("Nothing to change")),
                 qPrintable(again.output));

        // A trigger changed by hand, and rights taken away from the definer, are made right again.
        SandboxDb::exec(QStringLiteral("DROP TRIGGER %1.course_history_update").arg(m_db));
        SandboxDb::exec(QStringLiteral("CREATE TRIGGER %1.course_history_update AFTER UPDATE ON %1.course "
                                       "FOR EACH ROW SET @x = 1")
                            .arg(m_db));
        SandboxDb::exec(QStringLiteral("REVOKE INSERT ON %1.history FROM 'ryn_history'@'localhost'").arg(m_db));
        const ProvisionRun::Outcome repair = ProvisionRun::provision(port, m_db);
        QVERIFY2(repair.exitCode == 0 && repair.output.contains(QStringLiteral("made the history of changes")),
                 qPrintable(repair.output));
        QVERIFY(ProvisionRun::provision(port, m_db).output.contains(QStringLiteral("Nothing to change")));

        // The program writes as it did, each change recorded with its account; the history it only reads.
        auto program = ProvisionRun::workstation(port, m_db, QStringLiteral("clerk"));
        program->execute(QStringLiteral("UPDATE course SET videolen = 2000 WHERE cpkey = 1"));
        program->execute(QStringLiteral("DELETE FROM stud WHERE spkey = 'A003'"));
        QCOMPARE(program
                     ->scalar(QStringLiteral("SELECT GROUP_CONCAT(CONCAT_WS(' ', tablename, action, colname, account) "
                                             "ORDER BY hpkey SEPARATOR ', ') FROM history"))
                     .toString(),
                 QStringLiteral("course changed videolen clerk, stud deleted spkey clerk, stud deleted studname clerk, "
                                "stud deleted studpwd clerk"));
        for (const QString& statement :
             {QStringLiteral("DELETE FROM history"), QStringLiteral("UPDATE history SET account = 'nobody'")}) {
            try {
                program->execute(statement);
                QFAIL(qPrintable(QStringLiteral("the server carried out: ") + statement));
            } catch (const DbError& e) {
                QCOMPARE(e.code(), 1142);
            }
        }
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM %1.history WHERE account = 'clerk'").arg(m_db))
                     .toInt(),
                 4);
        // Nobody logs in as the triggers' definer.
        QCOMPARE(
            SandboxDb::scalar(QStringLiteral("SELECT JSON_EXTRACT(Priv, '$.account_locked') FROM mysql.global_priv "
                                             "WHERE User = 'ryn_history' AND Host = 'localhost'"))
                .toString(),
            QStringLiteral("true"));
    }
};

RYN_CORE_TEST_MAIN(TestHistoryProvision)
#include "tst_historyprovision.moc"
