// Tables joined in the client: a detail table following its master's current row, and lookup
// fields showing a value of another table.

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "sandboxdb.h"
#include "tables.h"
#include "coresupport.h"

#include <QSignalSpy>

class SnapshotLinkTest : public QObject
{
    Q_OBJECT

private:
    Connection* m_connection = nullptr;

    std::unique_ptr<SnapshotTable> classrooms()
    {
        return declareTable(m_connection, "classroom",
                            {{"crpkey", FieldType::AutoInc}, {"classname", FieldType::Text, 30}}, "crpkey");
    }

    std::unique_ptr<SnapshotTable> courses()
    {
        return declareTable(
            m_connection, "course",
            {{"cpkey", FieldType::AutoInc}, {"crpkey", FieldType::Int32}, {"coursename", FieldType::Text, 50}},
            "cpkey");
    }

    std::unique_ptr<SnapshotTable> students()
    {
        return declareTable(m_connection, "stud", {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}},
                            "spkey");
    }

    // Bookings with the student's name and the class name looked up.
    std::unique_ptr<SnapshotTable> bookings(SnapshotTable* stud, SnapshotTable* classroom)
    {
        auto t = declareTable(m_connection, "studclass", {});
        t->addField(QStringLiteral("scpkey"), FieldType::Int64);
        t->addField(QStringLiteral("spkey"), FieldType::Text, 10);
        t->addLookupField(QStringLiteral("studname"), FieldType::Text, 10, stud, QStringLiteral("spkey"),
                          QStringLiteral("spkey"), QStringLiteral("studname"));
        t->addField(QStringLiteral("crpkey"), FieldType::Int32);
        t->addLookupField(QStringLiteral("classname"), FieldType::Text, 30, classroom, QStringLiteral("crpkey"),
                          QStringLiteral("crpkey"), QStringLiteral("classname"));
        t->setKeyField(QStringLiteral("scpkey"));
        return t;
    }

    struct OpenBookings {
        std::unique_ptr<SnapshotTable> stud;
        std::unique_ptr<SnapshotTable> classroom;
        std::unique_ptr<SnapshotTable> bookings;
    };

    // Students, classes and the bookings looking them up, all open.
    OpenBookings openBookings()
    {
        OpenBookings open{students(), classrooms(), nullptr};
        open.stud->open();
        open.classroom->open();
        open.bookings = bookings(open.stud.get(), open.classroom.get());
        open.bookings->open();
        return open;
    }

    static QList<int> column(SnapshotTable& t, int field)
    {
        QList<int> values;
        for (int row = 0; row < t.recordCount(); ++row)
            values << t.cellValue(row, field).toInt();
        return values;
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
    }

    void init() { SandboxDb::reseed(); }

    void detailFollowsMaster()
    {
        auto master = classrooms();
        auto detail = courses();
        detail->setMaster(master.get(), QStringLiteral("crpkey"), QStringLiteral("crpkey"));
        detail->open();
        QCOMPARE(detail->recordCount(), 0); // no master row yet
        master->open();
        QCOMPARE(column(*detail, 0), (QList<int>{1, 2}));
        QCOMPARE(detail->recNo(), 0);
        detail->setRecNo(1);
        QSignalSpy reset(detail.get(), &SnapshotTable::rowsReset);
        master->setRecNo(1);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(column(*detail, 0), QList<int>{3});
        QCOMPARE(detail->recNo(), 0);
        QCOMPARE(detail->field(QStringLiteral("coursename"))->asString(), QStringLiteral("第一課 圖層"));
        master->setRecNo(2);
        QCOMPARE(column(*detail, 0), QList<int>{4});
        QCOMPARE(detail->masterFields(), QStringLiteral("crpkey"));
        QCOMPARE(detail->indexFieldNames(), QStringLiteral("crpkey"));
        master->close();
        QCOMPARE(detail->recordCount(), 0);
        QCOMPARE(detail->recNo(), -1);
    }

    void detailKeepsItsSort()
    {
        SandboxDb::exec(QStringLiteral("INSERT INTO course (cpkey, crpkey, coursename) VALUES (9, 1, 'A first')"));
        auto master = classrooms();
        auto detail = courses();
        master->open();
        detail->setSort(QStringLiteral("coursename ASC"));
        detail->setMaster(master.get(), QStringLiteral("crpkey"), QStringLiteral("crpkey"));
        detail->open();
        QCOMPARE(column(*detail, 0), (QList<int>{9, 1, 2}));
        master->setRecNo(1);
        master->setRecNo(0);
        QCOMPARE(column(*detail, 0), (QList<int>{9, 1, 2}));
    }

    void appendTakesMasterKey()
    {
        auto master = classrooms();
        auto detail = courses();
        master->open();
        detail->setMaster(master.get(), QStringLiteral("crpkey"), QStringLiteral("crpkey"));
        detail->open();
        master->setRecNo(1);
        detail->append();
        QCOMPARE(detail->field(QStringLiteral("crpkey"))->asInteger(), 2);
        detail->field(QStringLiteral("coursename"))->setAsString(QStringLiteral("新課"));
        // The master stays while a detail row is being typed.
        QVERIFY_THROWS_EXCEPTION(DbError, master->setRecNo(0));
        detail->post();
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT crpkey FROM course WHERE coursename = '新課'")).toInt(), 2);
        QCOMPARE(detail->recordCount(), 2);
        master->setRecNo(0);
        master->setRecNo(1);
        QCOMPARE(detail->recordCount(), 2);
    }

    void masterInEditDoesNotMove()
    {
        auto master = classrooms();
        auto detail = courses();
        master->open();
        detail->setMaster(master.get(), QStringLiteral("crpkey"), QStringLiteral("crpkey"));
        detail->open();
        master->edit();
        QVERIFY_THROWS_EXCEPTION(DbError, master->setRecNo(2));
        QCOMPARE(master->recNo(), 0);
        QCOMPARE(column(*detail, 0), (QList<int>{1, 2}));
    }

    void detailRowMovedToAnotherMaster()
    {
        auto master = classrooms();
        auto detail = courses();
        master->open();
        detail->setMaster(master.get(), QStringLiteral("crpkey"), QStringLiteral("crpkey"));
        detail->open();
        detail->edit();
        detail->field(QStringLiteral("crpkey"))->setAsString(QStringLiteral("3"));
        detail->post();
        QCOMPARE(column(*detail, 0), QList<int>{2});
        master->setRecNo(2);
        QCOMPARE(column(*detail, 0), (QList<int>{1, 4}));
    }

    void textLink()
    {
        auto master = students();
        auto classroom = classrooms();
        auto detail = bookings(master.get(), classroom.get());
        master->open();
        detail->setMaster(master.get(), QStringLiteral("spkey"), QStringLiteral("spkey"));
        detail->open();
        QCOMPARE(detail->recordCount(), 3);
        master->setRecNo(1);
        QCOMPARE(detail->recordCount(), 1);
        master->setRecNo(3); // B001 booked nothing
        QCOMPARE(detail->recordCount(), 0);
        QCOMPARE(detail->recNo(), -1);
        detail->append();
        QCOMPARE(detail->field(QStringLiteral("spkey"))->asString(), QStringLiteral("B001"));
        detail->post();
        QCOMPARE(detail->recordCount(), 1);
        master->setRecNo(2); // A003: its one booking
        QCOMPARE(detail->recordCount(), 1);
        master->setRecNo(3);
        QCOMPARE(detail->recordCount(), 1);
    }

    void detailFollowsTypedMasterKey()
    {
        auto master = students();
        auto classroom = classrooms();
        auto detail = bookings(master.get(), classroom.get());
        master->open();
        detail->setMaster(master.get(), QStringLiteral("spkey"), QStringLiteral("spkey"));
        detail->open();
        QCOMPARE(detail->recordCount(), 3);
        master->edit();
        master->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("A002"));
        QCOMPARE(detail->recordCount(), 1);
        master->cancel();
        QCOMPARE(detail->recordCount(), 3);
    }

    void lookupTableGoneFirst()
    {
        auto [stud, classroom, t] = openBookings();
        QCOMPARE(t->cellText(0, 2), QStringLiteral("陳大文"));
        stud.reset();
        QCOMPARE(t->cellText(0, 2), QString());
        t->edit();
        QVERIFY_THROWS_EXCEPTION(DbError, t->field(QStringLiteral("studname"))->setAsString(QStringLiteral("x")));
        QCOMPARE(t->cellText(0, 4), QStringLiteral("Excel 入門"));
    }

    void openingOpensLookupTablesFirst()
    {
        auto stud = students();
        auto classroom = classrooms();
        auto t = bookings(stud.get(), classroom.get());
        QStringList opened;
        QObject::connect(stud.get(), &SnapshotTable::afterOpen, [&] { opened << QStringLiteral("stud"); });
        QObject::connect(classroom.get(), &SnapshotTable::afterOpen, [&] { opened << QStringLiteral("classroom"); });
        QObject::connect(t.get(), &SnapshotTable::afterOpen, [&] { opened << QStringLiteral("studclass"); });
        t->open();
        QCOMPARE(opened, QStringList({"stud", "classroom", "studclass"}));
        QCOMPARE(t->cellText(0, 2), QStringLiteral("陳大文"));
    }

    void lookupMatchAndNoMatch()
    {
        SandboxDb::exec(QStringLiteral("INSERT INTO studclass (scpkey, spkey, crpkey) VALUES (10, 'ZZZ', 99)"));
        auto [stud, classroom, t] = openBookings();
        QCOMPARE(t->cellText(0, 2), QStringLiteral("陳大文"));
        QCOMPARE(t->cellText(0, 4), QStringLiteral("Excel 入門"));
        QCOMPARE(t->cellText(1, 2), QStringLiteral("林美玲"));
        QCOMPARE(t->cellText(2, 4), QStringLiteral("網頁設計"));
        QCOMPARE(t->field(QStringLiteral("studname"))->asString(), QStringLiteral("陳大文"));
        QCOMPARE(t->cellText(5, 2), QString());
        QVERIFY(!t->cellValue(5, 4).isValid());
        t->setRecNo(5);
        QVERIFY(t->field(QStringLiteral("studname"))->isNull());
        QVERIFY(t->field(QStringLiteral("studname"))->readOnly());

        stud->close();
        QCOMPARE(t->cellText(0, 2), QString());
        QCOMPARE(t->cellText(0, 4), QStringLiteral("Excel 入門"));
    }

    void lookupFollowsKeyWhileEditing()
    {
        auto [stud, classroom, t] = openBookings();
        QSignalSpy changed(t.get(), &SnapshotTable::fieldChanged);
        Field* name = t->field(QStringLiteral("studname"));
        t->edit();
        t->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("A003"));
        QCOMPARE(name->asString(), QStringLiteral("張志明"));
        QCOMPARE(t->cellText(0, 2), QStringLiteral("張志明"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).value<Field*>(), name);
        t->field(QStringLiteral("crpkey"))->setAsString(QStringLiteral("2"));
        QCOMPARE(t->field(QStringLiteral("classname"))->asString(), QStringLiteral("Photoshop 影像處理"));
        t->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("nobody"));
        QVERIFY(name->isNull());
        t->cancel();
        QCOMPARE(name->asString(), QStringLiteral("陳大文"));

        t->append();
        QVERIFY(name->isNull());
        t->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("B001"));
        QCOMPARE(t->cellText(5, 2), QStringLiteral("黃小華"));
    }

    void lookupSeesLookupTableChanges()
    {
        auto [stud, classroom, t] = openBookings();
        QCOMPARE(t->cellText(1, 2), QStringLiteral("林美玲"));
        QVERIFY(stud->locate(QStringLiteral("spkey"), QStringLiteral("A002")));
        stud->edit();
        stud->field(QStringLiteral("studname"))->setAsString(QStringLiteral("林美美"));
        stud->post();
        QCOMPARE(t->cellText(1, 2), QStringLiteral("林美美"));
        stud->remove();
        QCOMPARE(t->cellText(1, 2), QString());
        stud->append();
        stud->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("A002"));
        stud->field(QStringLiteral("studname"))->setAsString(QStringLiteral("回來"));
        stud->post();
        QCOMPARE(t->cellText(1, 2), QStringLiteral("回來"));
    }

    void sortByLookup()
    {
        auto [stud, classroom, t] = openBookings();
        // 張 (U+5F35) before 林 (U+6797) before 陳 (U+9673)
        t->setSort(QStringLiteral("studname ASC"));
        QCOMPARE(column(*t, 0), (QList<int>{5, 2, 1, 3, 4}));
        t->setSort(QStringLiteral("classname DESC"));
        QCOMPARE(t->cellText(0, 4), QStringLiteral("網頁設計"));
    }
};

RYN_CORE_TEST_MAIN(SnapshotLinkTest)
#include "tst_snapshottable_link.moc"
