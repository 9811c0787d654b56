// The order of the visible rows (the sort text) and which rows are visible (the filter and the
// grid's filter boxes), on tables filled from values: what the server would send, held in memory.

#include "data/dberror.h"
#include "data/snapshotfill.h"
#include "data/snapshottable.h"
#include "tables.h"

#include <QtTest>
#include <algorithm>

class TestSortFilter : public QObject
{
    Q_OBJECT

    // Keys 1 to 7 in reading order: dates with ties and no value, texts of digits and of both cases,
    // numbers with ties, a negative and no value, texts beyond U+FFFF and full-width letters.
    static std::unique_ptr<SnapshotTable> bookings() { return declareBookings(nullptr); }
    static void fillBookings(SnapshotTable& t)
    {
        const QVariant none;
        SnapshotFill::open(t, {{1, "2026-09-01 10:00:00", "b", 10, "admin"},
                               {2, none, "a", -5, "staff"},
                               {3, "2025-12-31 23:59:59", "B", 10, QString::fromUtf8("😀")},
                               {4, "2026-01-01 00:00:00", none, 100, "admin"},
                               {5, "2026-09-01 09:00:00", "a", 9, QString::fromUtf8("Ａ")},
                               {6, none, "10", none, none},
                               {7, "2026-09-01 10:00:00", "9", 2, "staff"}});
    }

    static std::unique_ptr<SnapshotTable> users()
    {
        auto t = declareTable(
            nullptr, "users",
            {{"upkey", FieldType::AutoInc}, {"uid", FieldType::Text, 20}, {"isadmin", FieldType::Int16}}, "upkey");
        SnapshotFill::open(*t, {{1, "admin", 1}, {2, "staff", 0}, {3, QVariant(), 0}, {4, "o'neil", 0}});
        return t;
    }

    static QList<int> keys(SnapshotTable& t)
    {
        QList<int> k;
        for (int row = 0; row < t.recordCount(); ++row)
            k << t.cellValue(row, 0).toInt();
        return k;
    }

    static QStringList uids(SnapshotTable& t)
    {
        QStringList u;
        for (int row = 0; row < t.recordCount(); ++row)
            u << (t.cellValue(row, 1).isValid() ? t.cellText(row, 1) : QStringLiteral("<null>"));
        return u;
    }

    static std::vector<ColumnFilters::Entry> boxes(SnapshotTable& t, const QStringList& typed)
    {
        std::vector<ColumnFilters::Entry> entries;
        for (int field = 0; field < typed.size(); ++field) {
            if (!typed.at(field).isEmpty())
                entries.push_back({field, ColumnTest::parse(typed.at(field), t.fields().at(size_t(field))->type())});
        }
        return entries;
    }

private slots:
    // Values are held as the server's text for them would be, and refused where it would be.
    void filledValues()
    {
        auto t = bookings();
        SnapshotFill::open(*t, {{QString("8"), QDate(2026, 9, 1), 42, "12", "u"},
                                {8LL << 40, QDateTime(QDate(2026, 9, 1), QTime(8, 5, 3)), "-7", -7, QVariant()},
                                {9, "2026-09-01 10:00:00.250", "", QVariant(), "v"},
                                {10, "0000-00-00 00:00:00", "y", 1.0, "w"}});
        QCOMPARE(t->recordCount(), 4);
        QCOMPARE(t->cellText(0, 0), QStringLiteral("8"));
        QCOMPARE(t->cellText(0, 1), QStringLiteral("2026/09/01 00:00:00"));
        QCOMPARE(t->cellText(0, 2), QStringLiteral("42"));
        QCOMPARE(t->cellValue(0, 3), QVariant(12));
        QCOMPARE(t->cellValue(1, 0), QVariant(8LL << 40));
        QCOMPARE(t->cellText(1, 1), QStringLiteral("2026/09/01 08:05:03"));
        QCOMPARE(t->cellText(1, 2), QStringLiteral("-7"));
        QCOMPARE(t->cellValue(1, 3), QVariant(-7));
        QVERIFY(!t->cellValue(1, 4).isValid());
        QCOMPARE(t->cellText(2, 1), QStringLiteral("2026/09/01 10:00:00"));
        // An empty text is a value; the zero date is none, as the server's is.
        QVERIFY(t->cellValue(2, 2).isValid());
        QVERIFY(!t->cellValue(2, 3).isValid());
        QVERIFY(!t->cellValue(3, 1).isValid());
        QCOMPARE(t->cellValue(3, 3), QVariant(1));
    }

    void refusedValues_data()
    {
        QTest::addColumn<QVariantList>("row");
        QTest::addColumn<QString>("field");
        const QVariant none;
        QTest::newRow("text in a number") << QVariantList{1, none, "a", "ten", "u"} << "watchpoint";
        QTest::newRow("fraction") << QVariantList{1, none, "a", 1.5, "u"} << "watchpoint";
        QTest::newRow("beyond 32 bits") << QVariantList{1, none, "a", 1LL << 31, "u"} << "watchpoint";
        QTest::newRow("no date") << QVariantList{1, "2026/02/30", "a", 1, "u"} << "buydate";
        QTest::newRow("value missing") << QVariantList{1, none, "a", 1} << "uid";
        QTest::newRow("value too many") << QVariantList{1, none, "a", 1, "u", "v"} << "6";
    }

    // A refused row leaves the table closed and names the field; the table opens on good rows after.
    void refusedValues()
    {
        QFETCH(QVariantList, row);
        QFETCH(QString, field);
        auto t = bookings();
        try {
            SnapshotFill::open(*t, {{2, QVariant(), "b", 2, "u"}, std::vector<QVariant>(row.begin(), row.end())});
            QFAIL("a value that does not fit its field was taken");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(field), qPrintable(e.message()));
            QVERIFY2(e.message().contains("studclass"), qPrintable(e.message()));
        }
        QVERIFY(!t->active());
        QCOMPARE(t->recordCount(), 0);
        fillBookings(*t);
        QCOMPARE(t->recordCount(), 7);
    }

    // Without a connection a filled table is edited in memory, and saving says why it cannot be.
    void writesNeedAConnection()
    {
        auto t = bookings();
        fillBookings(*t);
        t->edit();
        t->field(QStringLiteral("uid"))->setAsString(QStringLiteral("changed"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->post());
        QCOMPARE(t->state(), DataSetState::Edit);
        t->cancel();
        QCOMPARE(t->cellText(0, 4), QStringLiteral("admin"));
    }

    void sortText_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("reading order") << QString() << QList<int>{1, 2, 3, 4, 5, 6, 7};
        // Numbers compare as numbers (100 after 9), ties keep reading order, no value first.
        QTest::newRow("number asc") << "watchpoint ASC" << QList<int>{6, 2, 7, 5, 1, 3, 4};
        QTest::newRow("number desc") << "watchpoint DESC" << QList<int>{4, 1, 3, 5, 7, 2, 6};
        QTest::newRow("direction omitted") << "watchpoint" << QList<int>{6, 2, 7, 5, 1, 3, 4};
        QTest::newRow("lower case") << "Watchpoint desc" << QList<int>{4, 1, 3, 5, 7, 2, 6};
        // Text by code units: digits, then capitals, then small letters; '10' before '9'.
        QTest::newRow("text asc") << "spkey ASC" << QList<int>{4, 6, 7, 3, 2, 5, 1};
        QTest::newRow("text desc") << "spkey DESC" << QList<int>{1, 2, 5, 3, 7, 6, 4};
        QTest::newRow("date asc") << "buydate ASC" << QList<int>{2, 6, 3, 4, 5, 1, 7};
        QTest::newRow("date desc") << "buydate DESC" << QList<int>{1, 7, 5, 4, 3, 2, 6};
        // UTF-16 order puts characters beyond U+FFFF (surrogates) before U+FF21.
        QTest::newRow("utf-16 order") << "uid ASC" << QList<int>{6, 1, 4, 2, 7, 3, 5};
        QTest::newRow("key desc") << "scpkey DESC" << QList<int>{7, 6, 5, 4, 3, 2, 1};
    }

    void sortText()
    {
        QFETCH(QString, sort);
        QFETCH(QList<int>, order);
        QVERIFY(QString::fromUtf8("😀").compare(QString::fromUtf8("Ａ")) < 0);
        auto t = bookings();
        fillBookings(*t);
        t->setSort(sort);
        QCOMPARE(keys(*t), order);
        // Sorting before opening gives the same order.
        auto u = bookings();
        u->setSort(sort);
        fillBookings(*u);
        QCOMPARE(keys(*u), order);
    }

    void sortKeepsCurrentRow()
    {
        auto t = bookings();
        fillBookings(*t);
        QVERIFY(t->locate(QStringLiteral("scpkey"), 5));
        t->setSort(QStringLiteral("watchpoint DESC"));
        QCOMPARE(t->field(QStringLiteral("scpkey"))->asInteger(), 5);
        QCOMPARE(t->recNo(), 3);
        t->setSort(QString());
        QCOMPARE(t->recNo(), 4);
        QCOMPARE(t->field(QStringLiteral("scpkey"))->asInteger(), 5);
    }

    void badSortText()
    {
        auto t = bookings();
        fillBookings(*t);
        t->setSort(QStringLiteral("spkey ASC"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setSort(QStringLiteral("nosuch ASC")));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setSort(QStringLiteral("spkey UP")));
        QCOMPARE(t->sort(), QStringLiteral("spkey ASC"));
        QCOMPARE(keys(*t), (QList<int>{4, 6, 7, 3, 2, 5, 1}));
    }

    void sortWhileInserting()
    {
        auto t = bookings();
        fillBookings(*t);
        QVERIFY(t->locate(QStringLiteral("scpkey"), 3));
        t->append();
        t->field(QStringLiteral("uid"))->setAsString(QStringLiteral("new"));
        t->setSort(QStringLiteral("spkey DESC"));
        QCOMPARE(t->recNo(), 7);
        QCOMPARE(t->cellText(7, 4), QStringLiteral("new"));
        t->cancel();
        QCOMPARE(t->field(QStringLiteral("scpkey"))->asInteger(), 3);
        QCOMPARE(t->recNo(), 3);
    }

    void filterForms()
    {
        auto t = users();
        t->close();
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        SnapshotFill::open(*t, {{1, "admin", 1}, {2, "staff", 0}, {3, QVariant(), 0}, {4, "o'neil", 0}});
        // A user without a login name is no admin: it stays in the list.
        QCOMPARE(uids(*t), (QStringList{"staff", "<null>", "o'neil"}));
        t->setFilter(QStringLiteral("uid = 'o''neil'"));
        QCOMPARE(uids(*t), QStringList{"o'neil"});
        t->setFilter(QStringLiteral("uid='Admin'"));
        QCOMPARE(uids(*t), QStringList());
        QCOMPARE(t->recNo(), -1);
        t->setFilter(QStringLiteral("isadmin='1'"));
        QCOMPARE(uids(*t), QStringList{"admin"});
        t->setFiltered(false);
        QCOMPARE(uids(*t), (QStringList{"admin", "staff", "<null>", "o'neil"}));
    }

    void badFilterText()
    {
        auto t = users();
        t->setFilter(QStringLiteral("uid LIKE 'a%'"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setFiltered(true));
        QVERIFY(!t->filtered());
        QCOMPARE(t->recordCount(), 4);
        t->setFilter(QStringLiteral("nosuch<>'x'"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setFiltered(true));
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        QCOMPARE(uids(*t), (QStringList{"staff", "<null>", "o'neil"}));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setFilter(QStringLiteral("uid<>admin")));
        QCOMPARE(t->filter(), QStringLiteral("uid<>'admin'"));
    }

    // The grid's boxes, one per field, on top of the sort and the table's filter: the rows left and
    // how many the boxes chose from.
    void filterBoxes_data()
    {
        QTest::addColumn<QStringList>("typed"); // by field: scpkey, buydate, spkey, watchpoint, uid
        QTest::addColumn<QList<int>>("keys");
        QTest::newRow("nothing typed") << QStringList{} << QList<int>{1, 2, 3, 4, 5, 6, 7};
        // A date box by month, a range of numbers; no value passes neither.
        QTest::newRow("month") << QStringList{"", "2026/09"} << QList<int>{1, 5, 7};
        QTest::newRow("year and range") << QStringList{"", "2026", "", "5..10"} << QList<int>{1, 5};
        QTest::newRow("comparison") << QStringList{"", "", "", ">=10"} << QList<int>{1, 3, 4};
        // Text contains, letters without case; a number alone is contained in the shown number.
        QTest::newRow("text any case") << QStringList{"", "", "B"} << QList<int>{1, 3};
        QTest::newRow("number as text") << QStringList{"", "", "", "10"} << QList<int>{1, 3, 4};
        QTest::newRow("beyond U+FFFF") << QStringList{"", "", "", "", QString::fromUtf8("😀")} << QList<int>{3};
        QTest::newRow("full-width any case") << QStringList{"", "", "", "", QString::fromUtf8("ａ")} << QList<int>{5};
        QTest::newRow("boxes combine") << QStringList{"", "", "", "<50", "a"} << QList<int>{1, 2, 7};
        QTest::newRow("nothing passes") << QStringList{"", "", "", ">100"} << QList<int>{};
    }

    void filterBoxes()
    {
        QFETCH(QStringList, typed);
        QFETCH(QList<int>, keys);
        auto t = bookings();
        fillBookings(*t);
        t->setColumnFilters(boxes(*t, typed));
        QCOMPARE(this->keys(*t), keys);
        QCOMPARE(t->unfilteredCount(), 7);
        QCOMPARE(t->columnFiltered(), !typed.isEmpty());
        // Sorted, the same rows in the sort's order; the table's filter narrows what the boxes
        // chose from.
        t->setSort(QStringLiteral("scpkey DESC"));
        std::reverse(keys.begin(), keys.end());
        QCOMPARE(this->keys(*t), keys);
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        keys.removeAll(1);
        keys.removeAll(4);
        QCOMPARE(this->keys(*t), keys);
        QCOMPARE(t->unfilteredCount(), 5);
        // Emptied, every row the table's filter lets through is back.
        t->setColumnFilters({});
        QCOMPARE(this->keys(*t), (QList<int>{7, 6, 5, 3, 2}));
    }

    void filterBoxesKeepCurrentRow()
    {
        auto t = bookings();
        fillBookings(*t);
        QVERIFY(t->locate(QStringLiteral("scpkey"), 5));
        t->setColumnFilters(boxes(*t, {"", "2026/09"}));
        QCOMPARE(t->recNo(), 1);
        QCOMPARE(t->field(QStringLiteral("scpkey"))->asInteger(), 5);
        // The current row filtered out: the first row left is current.
        t->setColumnFilters(boxes(*t, {"", "", "b"}));
        QCOMPARE(keys(*t), (QList<int>{1, 3}));
        QCOMPARE(t->recNo(), 0);
        QCOMPARE(t->field(QStringLiteral("scpkey"))->asInteger(), 1);
        // While a row is edited the boxes stay as they are.
        t->edit();
        QVERIFY_THROWS_EXCEPTION(DbError, t->setColumnFilters({}));
        t->cancel();
        QCOMPARE(keys(*t), (QList<int>{1, 3}));
    }
};

QTEST_GUILESS_MAIN(TestSortFilter)
#include "tst_sortfilter.moc"
