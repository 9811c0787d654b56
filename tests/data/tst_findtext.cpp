// Finding a text in the shown cells of the visible rows (the grid's find bar), on tables filled
// from values: stored fields of each type, lookups by a text key and by a number key, the row
// being added, the direction and the wrap.

#include "data/snapshotfill.h"
#include "data/snapshottable.h"
#include "tables.h"

#include <QtTest>

class TestFindText : public QObject
{
    Q_OBJECT

    std::unique_ptr<SnapshotTable> m_students;
    std::unique_ptr<SnapshotTable> m_classes;
    std::unique_ptr<SnapshotTable> m_bookings;

    enum Field { Key, BuyDate, Points, Student, Class, StudentName, ClassName };

    // The fields searched, by name.
    std::vector<int> fields(const QStringList& names) const
    {
        std::vector<int> indexes;
        for (const QString& name : names)
            indexes.push_back(m_bookings->fieldIndexByName(name));
        return indexes;
    }

private slots:
    void init()
    {
        m_students = declareTable(nullptr, "stud", {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}});
        // A key held twice: the first row is the one a booking shows.
        SnapshotFill::open(*m_students, {{"A001", QString::fromUtf8("陳大文")},
                                         {"A002", QString::fromUtf8("林美玲")},
                                         {"A003", QString::fromUtf8("張志明")},
                                         {"A002", QString::fromUtf8("王小明")}});
        m_classes = declareTable(nullptr, "course", {{"crpkey", FieldType::Int32}, {"crname", FieldType::Text, 40}});
        SnapshotFill::open(*m_classes, {{1, "Photoshop"}, {2, QString::fromUtf8("Excel 試算表")}, {3, QVariant()}});
        m_bookings = declareTable(nullptr, "studclass",
                                  {{"scpkey", FieldType::Int64},
                                   {"buydate", FieldType::DateTime},
                                   {"watchpoint", FieldType::Int32},
                                   {"spkey", FieldType::Text, 20},
                                   {"crpkey", FieldType::Int64}},
                                  "scpkey");
        m_bookings->addLookupField("studname", FieldType::Text, 10, m_students.get(), "spkey", "spkey", "studname");
        m_bookings->addLookupField("crname", FieldType::Text, 40, m_classes.get(), "crpkey", "crpkey", "crname");
        SnapshotFill::open(*m_bookings, {{1, "2026/09/01 10:00", 100, "A001", 1},
                                         {2, "2026/09/02 11:30", 200, "A002", 2},
                                         {3, "2026/10/05 09:00", 150, "A001", 2},
                                         {4, "2026/10/20 14:00", -10, "A001", 3},
                                         {5, "2026/11/01 08:00", 1500, "A003", 9},
                                         {6, QVariant(), QVariant(), QVariant(), QVariant()}});
    }

    void cleanup()
    {
        m_bookings.reset();
        m_classes.reset();
        m_students.reset();
    }

    // Each search: the text, the fields searched, where from and which way; the row found (-1 for
    // none), the first of the fields that holds the text, and whether the search went round.
    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("searched");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("wrapped");
        const QStringList all{"scpkey", "buydate", "watchpoint", "spkey", "crpkey", "studname", "crname"};
        QTest::newRow("from before the start") << "A001" << all << -1 << true << 0 << int(Student) << false;
        QTest::newRow("from a row, that row first") << "A001" << all << 2 << true << 2 << int(Student) << false;
        QTest::newRow("past the last goes round") << "A002" << all << 2 << true << 1 << int(Student) << true;
        QTest::newRow("backwards") << "A001" << all << 1 << false << 0 << int(Student) << false;
        QTest::newRow("backwards from past the end") << "A001" << all << 6 << false << 3 << int(Student) << false;
        QTest::newRow("backwards goes round") << "A003" << all << 3 << false << 4 << int(Student) << true;
        // Shown values: a date as the grid shows it, a negative number, a number within a number.
        QTest::newRow("date as shown") << "2026/10/" << all << 0 << true << 2 << int(BuyDate) << false;
        QTest::newRow("date not as stored") << "20261005" << all << 0 << true << -1 << -1 << false;
        QTest::newRow("negative number") << "-10" << all << 0 << true << 3 << int(Points) << false;
        QTest::newRow("digits in a number") << "50" << all << 0 << true << 2 << int(Points) << false;
        // Lookups: by a text key, by a number key, letters without case.
        QTest::newRow("text key lookup") << QString::fromUtf8("張志") << all << 0 << true << 4 << int(StudentName)
                                         << false;
        QTest::newRow("number key lookup") << "photoSHOP" << all << 1 << true << 0 << int(ClassName) << true;
        QTest::newRow("lookup text with others")
            << QString::fromUtf8("試算") << all << 0 << true << 1 << int(ClassName) << false;
        // The second row of a key held twice is never shown, so never found; nor a result without
        // a value, nor a key with no row.
        QTest::newRow("hidden duplicate") << QString::fromUtf8("王小明") << all << 0 << true << -1 << -1 << false;
        // Only the fields searched count; the first of them in the order given.
        QTest::newRow("field not searched")
            << "A001" << QStringList{"studname", "crname"} << 0 << true << -1 << -1 << false;
        QTest::newRow("first of the fields given")
            << "1" << QStringList{"crpkey", "scpkey"} << 0 << true << 0 << int(Class) << false;
        QTest::newRow("empty text") << "" << all << 0 << true << -1 << -1 << false;
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, searched);
        QFETCH(int, from);
        QFETCH(bool, forward);
        QFETCH(int, row);
        QFETCH(int, field);
        QFETCH(bool, wrapped);
        const SnapshotTable::FindHit hit = m_bookings->findText(text, fields(searched), from, forward);
        QCOMPARE(hit.row, row);
        QCOMPARE(hit.fieldIndex, field);
        QCOMPARE(hit.wrapped, wrapped);
        // Each hit is a cell that shows the text.
        if (row >= 0)
            QVERIFY(m_bookings->cellText(row, field).contains(text, Qt::CaseInsensitive));
    }

    // Only visible rows are searched, in their shown order.
    void findFollowsSortAndFilter()
    {
        const std::vector<int> student = fields({"spkey"});
        m_bookings->setSort(QStringLiteral("watchpoint DESC"));
        // 1500, 200, 150, 100, -10, no value: the first A001 below the top is 150, key 3.
        SnapshotTable::FindHit hit = m_bookings->findText(QStringLiteral("A001"), student, 0, true);
        QCOMPARE(m_bookings->cellText(hit.row, Key), QStringLiteral("3"));
        m_bookings->setColumnFilters({{Points, ColumnTest::parse(QStringLiteral("<150"), FieldType::Int32)}});
        hit = m_bookings->findText(QStringLiteral("A001"), student, 0, true);
        QCOMPARE(hit.row, 0);
        QCOMPARE(m_bookings->cellText(hit.row, Key), QStringLiteral("1"));
        QCOMPARE(m_bookings->findText(QStringLiteral("A002"), student, 0, true).row, -1);
    }

    // The row being added is searched in what has been typed, not in the store.
    void findInTheRowBeingAdded()
    {
        m_bookings->append();
        m_bookings->field(QStringLiteral("spkey"))->setAsString(QStringLiteral("A003"));
        m_bookings->field(QStringLiteral("crpkey"))->setAsString(QStringLiteral("1"));
        const int added = m_bookings->recNo();
        QCOMPARE(added, 6);
        SnapshotTable::FindHit hit = m_bookings->findText(QString::fromUtf8("張志明"), fields({"studname"}), 5, true);
        QCOMPARE(hit.row, added);
        QVERIFY(!hit.wrapped);
        hit = m_bookings->findText(QStringLiteral("Photo"), fields({"crname"}), 1, true);
        QCOMPARE(hit.row, added);
        m_bookings->cancel();
        QCOMPARE(m_bookings->findText(QString::fromUtf8("張志明"), fields({"studname"}), 5, true).row, 4);
    }
};

QTEST_GUILESS_MAIN(TestFindText)
#include "tst_findtext.moc"
