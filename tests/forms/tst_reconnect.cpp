// The database server goes away between two actions of a clerk: the session is killed, the server
// restarts, or the server drops the session after wait_timeout. The row being typed is kept and
// saved exactly once by a later Save, the rows saved before stay, and the connection comes back with
// all its settings.

#include "app/logindialog.h"
#include "controls/dbedit.h"
#include "data/snapshottable.h"
#include "forms/studentwindow.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"

#include <QFileInfo>
#include <QPushButton>

using namespace FormDriver;

namespace {
qlonglong sessionId(Connection* connection)
{
    QSqlQuery id(connection->database());
    if (!id.exec(QStringLiteral("SELECT CONNECTION_ID()")) || !id.next())
        qFatal("no connection id: %s", qPrintable(id.lastError().text()));
    return id.value(0).toLongLong();
}

} // namespace

class TestReconnect : public QObject, WindowFixture<StudentWindow>
{
    Q_OBJECT

    // The restart stops a server of the case's own: stopping the suite's server would fail every
    // later test when the case failed between the stop and the start.
    SandboxDb::OwnServers m_own{QStringLiteral("test-restart-sandbox")};

    // A Save that cannot reach the server fails, says that nothing was saved, and keeps the row.
    void saveFails()
    {
        DialogSeam::queueAnswer(Win::IDOK);
        click(m_form->btnPost);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY2(DialogSeam::last().text.startsWith(QStringLiteral("與資料庫伺服器的連線中斷，這筆資料沒有儲存")),
                 qPrintable(DialogSeam::last().text));
        QCOMPARE(m_form->tblStudent->state(), DataSetState::Insert);
        QCOMPARE(m_form->txtSpkey->text(), QStringLiteral("R\\2"));
        QCOMPARE(m_form->txtStudName->text(), QStringLiteral("重新連線"));
        DialogSeam::clear();
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        if (QTest::currentDataTag() == QLatin1String("server restarted")) {
            const QString failed = m_own.start();
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
        }
        startCase();
    }

    void cleanup()
    {
        SandboxDb::exec(QStringLiteral("SET GLOBAL wait_timeout = DEFAULT"));
        endCase();
        const QString data = m_own.dataFolder();
        m_own.discard();
        QVERIFY2(data.isEmpty() || !QFileInfo::exists(data), qPrintable(data + QStringLiteral(" left behind")));
    }

    void typedRowSavedOnceAfterLoss_data()
    {
        QTest::addColumn<QString>("loss");
        QTest::newRow("session killed") << QStringLiteral("kill");
        QTest::newRow("server restarted") << QStringLiteral("restart");
        QTest::newRow("idle past wait_timeout") << QStringLiteral("idle");
    }

    void typedRowSavedOnceAfterLoss()
    {
        QFETCH(QString, loss);
        if (loss == QLatin1String("idle")) {
            SandboxDb::exec(QStringLiteral("SET GLOBAL wait_timeout = 2"));
            m_conn.reset(SandboxDb::programConnection(nullptr));
        }
        open();
        click(m_form->btnAdd);
        typeInto(m_form->txtSpkey, QStringLiteral("R1"));
        typeInto(m_form->txtStudName, QStringLiteral("先存"));
        click(m_form->btnPost);
        QCOMPARE(m_form->tblStudent->state(), DataSetState::Browse);
        // Another workstation adds a row: the window's snapshot is not read again.
        SandboxDb::exec(QStringLiteral("INSERT INTO stud VALUES ('W1', 'other', 'W1')"));

        click(m_form->btnAdd);
        typeInto(m_form->txtSpkey, QStringLiteral("R\\2"));
        typeInto(m_form->txtStudName, QStringLiteral("重新連線"));
        const qlonglong before = sessionId(m_conn.get());
        if (loss == QLatin1String("kill")) {
            SandboxDb::exec(QStringLiteral("KILL CONNECTION %1").arg(before));
            saveFails();
        } else if (loss == QLatin1String("restart")) {
            QString failed = m_own.stop();
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
            saveFails(); // finds the connection gone
            saveFails(); // cannot open it again yet
            // The server comes back with its data on another free port, which the program reads
            // when it opens its connection again, as it would read a changed ryn.ini.
            failed = m_own.start();
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
        } else {
            // The server drops the session once it has been idle for wait_timeout.
            const auto dropped = [before] {
                return SandboxDb::scalar(
                           QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
                               .arg(before))
                           .toInt()
                       == 0;
            };
            QTRY_VERIFY_WITH_TIMEOUT(dropped(), 60000);
        }
        if (QTest::currentTestFailed())
            return;
        click(m_form->btnPost);
        QVERIFY2(DialogSeam::prompts().isEmpty(), qPrintable(TestSupport::promptTexts().join(QLatin1Char('\n'))));
        QCOMPARE(m_form->tblStudent->state(), DataSetState::Browse);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT GROUP_CONCAT(spkey ORDER BY spkey SEPARATOR ' ') FROM stud"))
                     .toString(),
                 QStringLiteral("A001 A002 A003 B001 R1 R\\2 W1"));
        QCOMPARE(m_form->tblStudent->recordCount(), 6);
        QVERIFY(sessionId(m_conn.get()) != before);
        // The connection comes back with all its settings.
        QSqlQuery q(m_conn->database());
        QVERIFY(q.exec("SELECT CONCAT_WS(' ', FIND_IN_SET('NO_BACKSLASH_ESCAPES', @@SESSION.sql_mode) > 0, "
                       "@@SESSION.character_set_client, @@SESSION.character_set_results)")
                && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("1 utf8mb4 utf8mb4"));
        // An update that changes nothing still reports the row it matched.
        QVERIFY(q.exec(QStringLiteral("UPDATE stud SET studname = studname WHERE spkey = 'A001'")));
        QCOMPARE(q.numRowsAffected(), 1);
    }

    // The login dialog's own connection comes back the same way.
    void loginAfterKilledSession()
    {
        LoginDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        SandboxDb::exec(QStringLiteral("KILL CONNECTION %1").arg(sessionId(dialog.connRyn)));
        dialog.txtLogin->setText(QStringLiteral("admin"));
        dialog.txtPassword->setText(QStringLiteral("admin123"));
        DialogSeam::queueAnswer(Win::IDOK);
        QTest::mouseClick(dialog.btnLogin, Qt::LeftButton);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.session.account, QString());
        DialogSeam::clear();
        QTest::mouseClick(dialog.btnLogin, Qt::LeftButton);
        QVERIFY2(DialogSeam::prompts().isEmpty(), qPrintable(TestSupport::promptTexts().join(QLatin1Char('\n'))));
        QCOMPARE(dialog.result(), int(LoginDialog::mrOk));
        QCOMPARE(dialog.session.account, QStringLiteral("admin"));
    }
};

RYN_TEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
