// The order of the visible rows (the sort text) and which rows are visible (the filter) as rows
// are saved to the server. The sort and the filter on their own are tested on tables filled from
// values (tst_sortfilter).

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

    std::unique_ptr<SnapshotTable> bookings() { return declareBookings(m_connection); }

    std::unique_ptr<SnapshotTable> users()
    {
        return declareTable(
            m_connection, "users",
            {{"upkey", FieldType::AutoInc}, {"uid", FieldType::Text, 20}, {"isadmin", FieldType::Int16}}, "upkey");
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

    void sortedInsertGoesLast()
    {
        auto t = bookings();
        t->setSort(QStringLiteral("watchpoint ASC"));
        t->open();
        t->append();
        t->field(QStringLiteral("watchpoint"))->setAsString(QStringLiteral("-100"));
        t->post();
        QCOMPARE(t->recNo(), 7);
        QCOMPARE(t->cellText(7, 3), QStringLiteral("-100"));
        t->setSort(QStringLiteral("watchpoint ASC"));
        QCOMPARE(t->recNo(), 1);
    }

    void filterAppliesOnPost()
    {
        auto t = users();
        t->setFilter(QStringLiteral("uid<>'admin'"));
        t->setFiltered(true);
        t->open();
        t->append();
        t->field(QStringLiteral("uid"))->setAsString(QStringLiteral("admin"));
        QCOMPARE(t->recordCount(), 2); // the new row shows while it is typed
        t->post();
        QCOMPARE(uids(*t), QStringList{"staff"});
        QCOMPARE(t->recNo(), 0);
        t->edit();
        t->field(QStringLiteral("uid"))->setAsString(QStringLiteral("admin"));
        t->post();
        QCOMPARE(t->recordCount(), 0);
        QCOMPARE(t->recNo(), -1);
        QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM users WHERE uid = 'admin'")).toInt(), 3);
    }
};

RYN_CORE_TEST_MAIN(SnapshotOrderTest)
#include "tst_snapshottable_order.moc"
