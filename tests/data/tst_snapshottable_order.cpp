// The order of the visible rows (the sort text) and which rows are visible (the filter).

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "sandboxdb.h"
#include "tables.h"
#include "coresupport.h"

class SnapshotOrderTest : public QObject
{
    Q_OBJECT

private:
    Connection* m_connection = nullptr;

    std::unique_ptr<SnapshotTable> bookings()
    {
        return declareTable(m_connection, "studclass",
                            {{"scpkey", FieldType::Int64},
                             {"buydate", FieldType::DateTime},
                             {"spkey", FieldType::Text, 10},
                             {"watchpoint", FieldType::Int32},
                             {"uid", FieldType::Text, 20}},
                            "scpkey");
    }

    std::unique_ptr<SnapshotTable> users()
    {
        return declareTable(
            m_connection, "users",
            {{"upkey", FieldType::AutoInc}, {"uid", FieldType::Text, 20}, {"isadmin", FieldType::Int16}}, "upkey");
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

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_connection = SandboxDb::programConnection(this);
    }

    void init()
    {
        SandboxDb::reseed();
        SandboxDb::exec(QStringLiteral("DELETE FROM studclass"));
        SandboxDb::exec(
            QString::fromUtf8("INSERT INTO studclass (scpkey, buydate, spkey, crpkey, watchpoint, uid) VALUES "
                              "(1, '2026-09-01 10:00:00', 'b', 2, 10, 'admin'),"
                              "(2, NULL, 'a', 1, -5, 'staff'),"
                              "(3, '2025-12-31 23:59:59', 'B', 2, 10, '😀'),"
                              "(4, '2026-01-01 00:00:00', NULL, 1, 100, 'admin'),"
                              "(5, '2026-09-01 09:00:00', 'a', 3, 9, 'Ａ'),"
                              "(6, NULL, '10', 1, NULL, NULL),"
                              "(7, '2026-09-01 10:00:00', '9', 2, 2, 'staff')"));
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
        t->open();
        t->setSort(sort);
        QCOMPARE(keys(*t), order);
        // Sorting before opening gives the same order.
        auto u = bookings();
        u->setSort(sort);
        u->open();
        QCOMPARE(keys(*u), order);
    }

    void sortKeepsCurrentRow()
    {
        auto t = bookings();
        t->open();
        QVERIFY(t->locate(QStringLiteral("scpkey"), 5));
        t->setSort(QStringLiteral("watchpoint DESC"));
        QCOMPARE(t->fieldByName(QStringLiteral("scpkey"))->asInteger(), 5);
        QCOMPARE(t->recNo(), 3);
        t->setSort(QString());
        QCOMPARE(t->recNo(), 4);
        QCOMPARE(t->fieldByName(QStringLiteral("scpkey"))->asInteger(), 5);
    }

    void badSortText()
    {
        auto t = bookings();
        t->open();
        t->setSort(QStringLiteral("spkey ASC"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setSort(QStringLiteral("nosuch ASC")));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setSort(QStringLiteral("spkey UP")));
        QCOMPARE(t->sort(), QStringLiteral("spkey ASC"));
        QCOMPARE(keys(*t), (QList<int>{4, 6, 7, 3, 2, 5, 1}));
    }

    void sortedInsertGoesLast()
    {
        auto t = bookings();
        t->setSort(QStringLiteral("watchpoint ASC"));
        t->open();
        t->append();
        t->fieldByName(QStringLiteral("watchpoint"))->setAsString(QStringLiteral("-100"));
        t->post();
        QCOMPARE(t->recNo(), 7);
        QCOMPARE(t->cellText(7, 3), QStringLiteral("-100"));
        t->setSort(QStringLiteral("watchpoint ASC"));
        QCOMPARE(t->recNo(), 1);
    }

    void sortWhileInserting()
    {
        auto t = bookings();
        t->open();
        QVERIFY(t->locate(QStringLiteral("scpkey"), 3));
        t->append();
        t->fieldByName(QStringLiteral("uid"))->setAsString(QStringLiteral("new"));
        t->setSort(QStringLiteral("spkey DESC"));
        QCOMPARE(t->recNo(), 7);
        QCOMPARE(t->cellText(7, 4), QStringLiteral("new"));
        t->cancel();
        QCOMPARE(t->fieldByName(QStringLiteral("scpkey"))->asInteger(), 3);
        QCOMPARE(t->recNo(), 3);
    }

    void filterForms()
    {
        SandboxDb::exec(QStringLiteral("INSERT INTO users (uid, isadmin) VALUES (NULL, 0), ('o''neil', 0)"));
        auto t = users();
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        t->open();
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
        t->open();
        t->setFilter(QStringLiteral("uid LIKE 'a%'"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setFiltered(true));
        QVERIFY(!t->filtered());
        QCOMPARE(t->recordCount(), 2);
        t->setFilter(QStringLiteral("nosuch<>'x'"));
        QVERIFY_THROWS_EXCEPTION(DbError, t->setFiltered(true));
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        QCOMPARE(uids(*t), QStringList{"staff"});
        QVERIFY_THROWS_EXCEPTION(DbError, t->setFilter(QStringLiteral("uid<>admin")));
        QCOMPARE(t->filter(), QStringLiteral("uid<>'admin'"));
    }

    void filterAppliesOnPost()
    {
        auto t = users();
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        t->open();
        t->append();
        t->fieldByName(QStringLiteral("uid"))->setAsString(QStringLiteral("admin"));
        QCOMPARE(t->recordCount(), 2); // the new row shows while it is typed
        t->post();
        QCOMPARE(uids(*t), QStringList{"staff"});
        QCOMPARE(t->recNo(), 0);
        t->edit();
        t->fieldByName(QStringLiteral("uid"))->setAsString(QStringLiteral("admin"));
        t->post();
        QCOMPARE(t->recordCount(), 0);
        QCOMPARE(t->recNo(), -1);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM users WHERE uid = 'admin'")).toInt(), 3);
    }
};

RYN_CORE_TEST_MAIN(SnapshotOrderTest)
#include "tst_snapshottable_order.moc"
