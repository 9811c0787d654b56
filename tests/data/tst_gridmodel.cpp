// The item model a grid shows a table through, on a table filled from values: cells read from the
// table, the marker following the current row and its state, the highlighted title.

#include "data/gridmodel.h"
#include "data/snapshotfill.h"
#include "tables.h"

#include <QSignalSpy>
#include <QtTest>

class TestGridModel : public QObject
{
    Q_OBJECT

    static std::unique_ptr<SnapshotTable> users()
    {
        auto t = declareTable(
            nullptr, "users",
            {{"upkey", FieldType::AutoInc}, {"uid", FieldType::Text, 20}, {"isadmin", FieldType::Int16}}, "upkey");
        SnapshotFill::open(*t, {{1, "admin", 1}, {2, "staff", 0}, {3, QVariant(), 0}});
        return t;
    }

private slots:
    // A column of an unknown field stays, empty; numbers line up right; nothing below the last row.
    void cellsAndTitles()
    {
        auto t = users();
        GridModel model;
        model.setColumns({{"uid", "帳號"}, {"isadmin", "管理者"}, {"nosuch", "無"}});
        model.setTable(t.get());
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("staff"));
        QCOMPARE(model.data(model.index(2, 0)).toString(), QString());
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("1"));
        QVERIFY(!model.data(model.index(0, 2)).isValid());
        QCOMPARE(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
        QVERIFY(!model.data(model.index(3, 0)).isValid());
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("管理者"));
        model.setColumnTitle(1, QStringLiteral("管理员"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("管理员"));
        QCOMPARE(model.fieldName(2), QStringLiteral("nosuch"));
        // Closed, the rows go and the columns stay.
        t->close();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 3);
    }

    // The marker is on the current row only, and shows an edit; the highlighted title has the
    // background given, moves, and is dropped for a column beyond the last.
    void markerAndHotTitle()
    {
        auto t = users();
        GridModel model;
        model.setColumns({{"uid", "帳號"}, {"isadmin", "管理者"}});
        model.setTable(t.get());
        QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);
        t->setRecNo(1);
        QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QString());
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("▶"));
        t->edit();
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("I"));
        t->cancel();
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("▶"));

        headers.clear();
        model.setHotColumn(1, QStringLiteral("hot"));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::BackgroundRole).toString(), QStringLiteral("hot"));
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::BackgroundRole).isValid());
        model.setHotColumn(0, QStringLiteral("hot"));
        QCOMPARE(headers.size(), 3); // column 1 shown, then 1 and 0 redrawn
        model.setHotColumn(5, QStringLiteral("hot"));
        QCOMPARE(model.hotColumn(), -1);
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::BackgroundRole).isValid());
    }
};

QTEST_GUILESS_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
