// Opening a table, the edit states and the order in which a window hears of them.

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "sandboxdb.h"
#include "coresupport.h"

#include <QSignalSpy>

namespace {
// The signals and events of a table, in the order they came.
struct Recorder {
    QStringList log;
    void attach(SnapshotTable* t)
    {
        QObject::connect(t, &SnapshotTable::stateChanged, [this] { log << QStringLiteral("stateChanged"); });
        QObject::connect(t, &SnapshotTable::rowsReset, [this] { log << QStringLiteral("rowsReset"); });
        QObject::connect(t, &SnapshotTable::currentChanged, [this] { log << QStringLiteral("currentChanged"); });
        QObject::connect(t, &SnapshotTable::rowChanged,
                         [this](int row) { log << QStringLiteral("rowChanged %1").arg(row); });
        QObject::connect(t, &SnapshotTable::afterOpen, [this] { log << QStringLiteral("afterOpen"); });
        QObject::connect(t, &SnapshotTable::newRecord, [this] { log << QStringLiteral("onNewRecord"); });
        QObject::connect(t, &SnapshotTable::afterInsert, [this] { log << QStringLiteral("afterInsert"); });
        t->addVeto(SnapshotTable::VetoStep::Post, [this](QString*) {
            log << QStringLiteral("beforePost");
            return true;
        });
        QObject::connect(t, &SnapshotTable::afterPost, [this] { log << QStringLiteral("afterPost"); });
        t->addVeto(SnapshotTable::VetoStep::Delete, [this](QString*) {
            log << QStringLiteral("beforeDelete");
            return true;
        });
        QObject::connect(t, &SnapshotTable::afterScroll, [this] { log << QStringLiteral("afterScroll"); });
    }
    QStringList take() { return std::exchange(log, QStringList()); }
};
} // namespace

class SnapshotStatesTest : public QObject
{
    Q_OBJECT

private:
    Connection* m_connection = nullptr;

    std::unique_ptr<SnapshotTable> students()
    {
        auto t = std::make_unique<SnapshotTable>();
        t->setConnection(m_connection);
        t->setTableName(QStringLiteral("stud"));
        t->addField(QStringLiteral("SPKEY"), FieldType::Text, 20);
        t->addField(QStringLiteral("studname"), FieldType::Text, 10);
        t->setKeyField(QStringLiteral("spkey"));
        return t;
    }

    QVariant nameInServer(const QString& spkey)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT studname FROM stud WHERE spkey = '%1'").arg(spkey));
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
    }

    void init() { SandboxDb::reseed(); }

    void openMatchesColumnsByName()
    {
        auto t = students();
        Recorder rec;
        rec.attach(t.get());
        t->open();
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(t->recordCount(), 4);
        QCOMPARE(t->recNo(), 0);
        QCOMPARE(t->cellText(1, 0), QStringLiteral("A002"));
        QCOMPARE(t->cellText(1, 1), QStringLiteral("林美玲"));
        QCOMPARE(t->field(QStringLiteral("studname"))->asString(), QStringLiteral("陳大文"));
        QCOMPARE(rec.take(), (QStringList{"rowsReset", "currentChanged", "afterOpen", "stateChanged", "afterScroll"}));
        t->close();
        QCOMPARE(t->state(), DataSetState::Inactive);
        QCOMPARE(t->recordCount(), 0);
        QCOMPARE(t->recNo(), -1);
    }

    void openRefusesMissingColumn()
    {
        auto t = students();
        t->addField(QStringLiteral("nosuch"), FieldType::Int32);
        try {
            t->open();
            QFAIL("opened without the column");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QLatin1String("nosuch")), qPrintable(e.message()));
        }
        QVERIFY(!t->active());
        // The result was consumed: the connection still answers.
        auto again = students();
        again->open();
        QCOMPARE(again->recordCount(), 4);
    }

    void appendAndCancel()
    {
        auto t = students();
        t->setSort(QStringLiteral("studname DESC"));
        t->open();
        t->setRecNo(2);
        const QString before = t->field(QStringLiteral("spkey"))->asString();
        Recorder rec;
        rec.attach(t.get());
        t->append();
        QCOMPARE(rec.take(),
                 (QStringList{"onNewRecord", "rowsReset", "currentChanged", "stateChanged", "afterInsert"}));
        QCOMPARE(t->state(), DataSetState::Insert);
        QCOMPARE(t->recordCount(), 5);
        QCOMPARE(t->recNo(), 4);
        QVERIFY(t->field(QStringLiteral("spkey"))->isNull());
        t->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("C001"));
        QCOMPARE(t->cellText(4, 0), QStringLiteral("C001"));
        t->cancel();
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(t->recordCount(), 4);
        QCOMPARE(t->recNo(), 2);
        QCOMPARE(t->field(QStringLiteral("spkey"))->asString(), before);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM stud")).toInt(), 4);
    }

    void newRecordHandlerFills()
    {
        auto t = students();
        t->open();
        const auto fill = QObject::connect(t.get(), &SnapshotTable::newRecord, [&] {
            t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("新生"));
        });
        t->append();
        QCOMPARE(t->field(QStringLiteral("studname"))->asString(), QStringLiteral("新生"));
        t->cancel();

        QObject::disconnect(fill);
        QObject::connect(t.get(), &SnapshotTable::newRecord, [] { throw Abort(); });
        QVERIFY_THROWS_EXCEPTION(Abort, t->append());
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(t->recordCount(), 4);
        QCOMPARE(t->recNo(), 0);
    }

    void editShowsBufferAndCancelRestores()
    {
        auto t = students();
        t->open();
        t->setRecNo(1);
        Recorder rec;
        rec.attach(t.get());
        t->edit();
        QCOMPARE(rec.take(), QStringList{"stateChanged"});
        t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("改名"));
        QCOMPARE(t->cellText(1, 1), QStringLiteral("改名"));
        QCOMPARE(t->cellValue(1, 1).toString(), QStringLiteral("改名"));
        QCOMPARE(t->cellText(0, 1), QStringLiteral("陳大文"));
        t->cancel();
        QCOMPARE(rec.take(), (QStringList{"rowChanged 1", "rowChanged 1", "stateChanged"}));
        QCOMPARE(t->cellText(1, 1), QStringLiteral("林美玲"));
        QCOMPARE(t->field(QStringLiteral("studname"))->asString(), QStringLiteral("林美玲"));
    }

    void postOrder()
    {
        auto t = students();
        t->open();
        Recorder rec;
        rec.attach(t.get());
        t->addUpdateHook([&] {
            rec.log << QStringLiteral("hook");
            t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("鉤子"));
        });
        t->edit();
        rec.take();
        t->post();
        QCOMPARE(rec.take(),
                 (QStringList{"hook", "rowChanged 0", "beforePost", "rowChanged 0", "afterPost", "stateChanged"}));
        QCOMPARE(nameInServer(QStringLiteral("A001")).toString(), QStringLiteral("鉤子"));
    }

    void refusedPostKeepsEditing()
    {
        auto t = students();
        t->open();
        const int veto = t->addVeto(SnapshotTable::VetoStep::Post, [](QString*) -> bool { throw Abort(); });
        t->edit();
        t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("不存"));
        QVERIFY_THROWS_EXCEPTION(Abort, t->post());
        QCOMPARE(t->state(), DataSetState::Edit);
        QCOMPARE(t->field(QStringLiteral("studname"))->asString(), QStringLiteral("不存"));
        QCOMPARE(nameInServer(QStringLiteral("A001")).toString(), QStringLiteral("陳大文"));

        // A hook whose control holds a bad value stops the save the same way.
        t->removeVeto(veto);
        const int hook = t->addUpdateHook([] { throw DbError(QStringLiteral("bad text")); });
        QVERIFY_THROWS_EXCEPTION(DbError, t->post());
        QCOMPARE(t->state(), DataSetState::Edit);
        t->removeUpdateHook(hook);
        t->post();
        QCOMPARE(nameInServer(QStringLiteral("A001")).toString(), QStringLiteral("不存"));
    }

    void movingWhileEditingIsRefused()
    {
        auto t = students();
        t->open();
        t->edit();
        QVERIFY_THROWS_EXCEPTION(DbError, t->setRecNo(1));
        QCOMPARE(t->recNo(), 0);
        t->cancel();
        t->setRecNo(3);
        QCOMPARE(t->field(QStringLiteral("spkey"))->asString(), QStringLiteral("B001"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setRecNo(4));
        QVERIFY(t->locate(QStringLiteral("studname"), QStringLiteral("張志明")));
        QCOMPARE(t->recNo(), 2);
        QVERIFY(!t->locate(QStringLiteral("studname"), QStringLiteral("nobody")));
        QCOMPARE(t->recNo(), 2);
    }

    void editOnEmptyTable()
    {
        SandboxDb::exec(QStringLiteral("DELETE FROM stud"));
        auto t = students();
        t->open();
        QVERIFY(t->isEmpty());
        QCOMPARE(t->recNo(), -1);
        QVERIFY_THROWS_EXCEPTION(DbError, t->edit());
        QCOMPARE(t->state(), DataSetState::Browse);
        QVERIFY_THROWS_EXCEPTION(DbError, t->remove());
    }

    void removeMovesToNeighbour()
    {
        auto t = students();
        t->open();
        t->setRecNo(1);
        Recorder rec;
        rec.attach(t.get());
        t->remove();
        QCOMPARE(rec.take(), (QStringList{"beforeDelete", "rowsReset", "currentChanged", "afterScroll"}));
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(t->recordCount(), 3);
        QCOMPARE(t->field(QStringLiteral("spkey"))->asString(), QStringLiteral("A003"));
        t->setRecNo(2);
        t->remove();
        QCOMPARE(t->recNo(), 1);
        QCOMPARE(t->field(QStringLiteral("spkey"))->asString(), QStringLiteral("A003"));
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT GROUP_CONCAT(spkey ORDER BY spkey) FROM stud")).toString(),
                 QStringLiteral("A001,A003"));

        t->addVeto(SnapshotTable::VetoStep::Delete, [](QString*) { return false; });
        QVERIFY_THROWS_EXCEPTION(Abort, t->remove());
        QCOMPARE(t->recordCount(), 2);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM stud")).toInt(), 2);
    }

    void queryIsReadOnly()
    {
        SnapshotTable q;
        q.setConnection(m_connection);
        q.setSql(QStringLiteral("SELECT s.spkey, s.studname, COUNT(c.scpkey) AS bought FROM stud s "
                                "LEFT JOIN studclass c ON c.spkey = s.spkey GROUP BY s.spkey, s.studname"));
        q.addField(QStringLiteral("spkey"), FieldType::Text, 20);
        q.addField(QStringLiteral("bought"), FieldType::Int32);
        q.open();
        QCOMPARE(q.recordCount(), 4);
        QVERIFY(q.locate(QStringLiteral("spkey"), QStringLiteral("A001")));
        QCOMPARE(q.field(QStringLiteral("bought"))->asInteger(), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, q.edit());
        QVERIFY_THROWS_EXCEPTION(DbError, q.append());
        QVERIFY_THROWS_EXCEPTION(DbError, q.remove());
    }
};

RYN_CORE_TEST_MAIN(SnapshotStatesTest)
#include "tst_snapshottable_states.moc"
