// The history of changes on a three-node Galera cluster: provisioning made on one node reaches the
// others, a change made through any node is recorded once with its workstation's account and read
// on every node, and the program's account may change the history on none of them.

#include "coresupport.h"
#include "data/dberror.h"
#include "provisionrun.h"

#include <QSqlError>
#include <QSqlQuery>

class TestHistoryCluster : public QObject
{
    Q_OBJECT

    QList<int> m_ports;
    // A name of its own each run: the rights a dropped database's tables had stay with the server.
    const QString m_db = QStringLiteral("rynhistory%1").arg(QDateTime::currentSecsSinceEpoch());

    QString read(int node, const QString& statement)
    {
        QSqlQuery q(SandboxDb::rootSession(QStringLiteral("cluster-root-%1").arg(node), m_ports.at(node - 1)));
        q.exec(QStringLiteral("SET SESSION wsrep_sync_wait = 1"));
        if (!q.exec(statement) || !q.next())
            qFatal("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
        return q.value(0).toString();
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        for (const QString& port : qEnvironmentVariable("RYN_DB_PORTS").split(QLatin1Char(' '), Qt::SkipEmptyParts))
            m_ports << port.toInt();
        QCOMPARE(m_ports.size(), 3);
    }
    void cleanupTestCase() { SandboxDb::exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_db)); }

    void provisionedOnOneNodeRecordsOnAll()
    {
        ProvisionRun::makeOlderDatabase(m_db);
        const ProvisionRun::Outcome first = ProvisionRun::provision(m_ports.at(0), m_db);
        QVERIFY2(first.exitCode == 0 && first.output.contains(QStringLiteral("made the history of changes")),
                 qPrintable(first.output));
        const QString triggers =
            QStringLiteral("SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = "
                           "'%1' AND DEFINER = 'ryn_history@localhost'")
                .arg(m_db);
        for (int node = 1; node <= 3; ++node)
            QCOMPARE(read(node, triggers), QStringLiteral("18"));
        // Another node finds everything in place.
        const ProvisionRun::Outcome again = ProvisionRun::provision(m_ports.at(2), m_db);
        QVERIFY2(again.exitCode == 0 && again.output.contains(QStringLiteral("Nothing to change")),
                 qPrintable(again.output));

        auto second = ProvisionRun::workstation(m_ports.at(1), m_db, QStringLiteral("clerk2"));
        auto third = ProvisionRun::workstation(m_ports.at(2), m_db, QStringLiteral("clerk3"));
        second->execute(QStringLiteral("UPDATE stud SET studname = '二號' WHERE spkey = 'A001'"));
        third->execute(QStringLiteral("UPDATE stud SET studname = '三號' WHERE spkey = 'A001'"));
        const QString rows = QStringLiteral("SELECT GROUP_CONCAT(CONCAT_WS(' ', oldvalue, newvalue, account) ORDER BY "
                                            "changed, hpkey SEPARATOR ', ') FROM %1.history")
                                 .arg(m_db);
        for (int node = 1; node <= 3; ++node)
            QCOMPARE(read(node, rows), QStringLiteral("陳大文 二號 clerk2, 二號 三號 clerk3"));
        for (Connection* program : {second.get(), third.get()}) {
            try {
                program->execute(QStringLiteral("DELETE FROM history"));
                QFAIL("the server carried out a DELETE of the history");
            } catch (const DbError& e) {
                QCOMPARE(e.code(), 1142);
            }
        }
        QCOMPARE(read(1, QStringLiteral("SELECT COUNT(*) FROM %1.history").arg(m_db)), QStringLiteral("2"));
    }
};

RYN_CORE_TEST_MAIN(TestHistoryCluster)
#include "tst_historycluster.moc"
