#include "data/columnfilter.h"

#include <QtTest>

Q_DECLARE_METATYPE(FieldType)

// What a filter box's text means for a column of each type, checked by the values it lets through
// (the bounds of a date range are packed date-times, so the values either side of each bound are
// what counts).
class TestColumnFilter : public QObject
{
    Q_OBJECT

    static bool passesNumber(const ColumnTest& t, qint64 n) { return t.passes(false, n, QString::number(n)); }

private slots:
    void numbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<qint64>>("pass");
        QTest::addColumn<QList<qint64>>("fail");
        QTest::newRow(">") << ">10" << QList<qint64>{11, 1000} << QList<qint64>{10, -11};
        QTest::newRow(">=") << ">=10" << QList<qint64>{10, 11} << QList<qint64>{9};
        QTest::newRow("<") << "<5" << QList<qint64>{4, -100} << QList<qint64>{5};
        QTest::newRow("<=, spaces") << " <= 5 " << QList<qint64>{5, -5} << QList<qint64>{6};
        QTest::newRow("=") << "=-10" << QList<qint64>{-10} << QList<qint64>{10, -100};
        QTest::newRow("range") << "10..20" << QList<qint64>{10, 15, 20} << QList<qint64>{9, 21};
        QTest::newRow("range, negative") << "-20..-10" << QList<qint64>{-20, -10} << QList<qint64>{-21, -9};
        QTest::newRow("open high") << "100.." << QList<qint64>{100, 1500} << QList<qint64>{99};
        QTest::newRow("open low") << "..0" << QList<qint64>{0, -10} << QList<qint64>{1};
        // A number alone is a text the shown value contains.
        QTest::newRow("contains") << "50" << QList<qint64>{150, 1500, 50} << QList<qint64>{15, 5};
        // Nothing is above the largest number or below the smallest.
        QTest::newRow("above the largest")
            << ">9223372036854775807" << QList<qint64>{}
            << QList<qint64>{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()};
        QTest::newRow("below the smallest")
            << "<-9223372036854775808" << QList<qint64>{} << QList<qint64>{std::numeric_limits<qint64>::min(), 0};
    }

    void numbers()
    {
        QFETCH(QString, typed);
        QFETCH(QList<qint64>, pass);
        QFETCH(QList<qint64>, fail);
        const ColumnTest t = ColumnTest::parse(typed, FieldType::Int32);
        for (const qint64 n : pass)
            QVERIFY2(passesNumber(t, n), qPrintable(QString::number(n)));
        for (const qint64 n : fail)
            QVERIFY2(!passesNumber(t, n), qPrintable(QString::number(n)));
        // No value passes no comparison.
        QVERIFY(!t.passes(true, 0, QString()));
    }

    void dates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<qint64>>("pass");
        QTest::addColumn<QList<qint64>>("fail");
        QTest::newRow("month") << "2026/10" << QList<qint64>{20261001000000, 20261031235959}
                               << QList<qint64>{20260930235959, 20261101000000};
        QTest::newRow("month with a dash")
            << "2026-10" << QList<qint64>{20261015120000} << QList<qint64>{20261101000000};
        QTest::newRow("February of a leap year")
            << "2028/2" << QList<qint64>{20280229235959} << QList<qint64>{20280301000000};
        QTest::newRow("day") << "2026/10/05" << QList<qint64>{20261005000000, 20261005235959}
                             << QList<qint64>{20261004235959, 20261006000000};
        QTest::newRow("year") << "2026" << QList<qint64>{20260101000000, 20261231235959}
                              << QList<qint64>{20251231235959, 20270101000000};
        QTest::newRow("days") << "2026/10/01..2026/10/15" << QList<qint64>{20261001000000, 20261015235959}
                              << QList<qint64>{20260930235959, 20261016000000};
        QTest::newRow("after a month") << ">2026/10" << QList<qint64>{20261101000000} << QList<qint64>{20261031235959};
        QTest::newRow("from a month on") << ">=2026/10" << QList<qint64>{20261001000000}
                                         << QList<qint64>{20260930235959};
        QTest::newRow("before a day") << "<2026/10/05" << QList<qint64>{20261004235959}
                                      << QList<qint64>{20261005000000};
        QTest::newRow("up to a day") << "<=2026/10/05" << QList<qint64>{20261005235959}
                                     << QList<qint64>{20261006000000};
        QTest::newRow("to a month") << "..2026/09" << QList<qint64>{20200101000000, 20260930235959}
                                    << QList<qint64>{20261001000000};
    }

    void dates()
    {
        QFETCH(QString, typed);
        QFETCH(QList<qint64>, pass);
        QFETCH(QList<qint64>, fail);
        const ColumnTest t = ColumnTest::parse(typed, FieldType::DateTime);
        QCOMPARE(t.kind, ColumnTest::Kind::Range);
        for (const qint64 n : pass)
            QVERIFY2(t.passes(false, n, QString()), qPrintable(QString::number(n)));
        for (const qint64 n : fail)
            QVERIFY2(!t.passes(false, n, QString()), qPrintable(QString::number(n)));
    }

    void notComparisons_data()
    {
        // Texts that look like a comparison or a date but are none: the shown value must contain them.
        QTest::addColumn<FieldType>("type");
        QTest::addColumn<QString>("typed");
        QTest::newRow("text column takes > as text") << FieldType::Text << ">10";
        QTest::newRow("text column, a range without an end") << FieldType::Text << "S01..";
        QTest::newRow("no number after >") << FieldType::Int32 << ">x";
        QTest::newRow("a plus sign") << FieldType::Int32 << ">+5";
        QTest::newRow("two dots alone") << FieldType::Int32 << "..";
        QTest::newRow("a range with a word") << FieldType::Int64 << "1..z";
        QTest::newRow("no thirteenth month") << FieldType::DateTime << "2026/13";
        QTest::newRow("no 30 February") << FieldType::DateTime << "2026/02/30";
        QTest::newRow("a year of two digits") << FieldType::DateTime << "26/10";
        QTest::newRow("a time") << FieldType::DateTime << "10:30";
    }

    void notComparisons()
    {
        QFETCH(FieldType, type);
        QFETCH(QString, typed);
        const ColumnTest t = ColumnTest::parse(typed, type);
        QCOMPARE(t.kind, ColumnTest::Kind::Contains);
        QCOMPARE(t.text, typed.trimmed());
    }

    void contains()
    {
        const ColumnTest t = ColumnTest::parse(QStringLiteral(" photo "), FieldType::Text);
        QVERIFY(t.passes(false, 0, QStringLiteral("Photoshop 影像處理")));
        QVERIFY(!t.passes(false, 0, QStringLiteral("Excel 入門")));
        QVERIFY(!t.passes(true, 0, QString()));
        QVERIFY(ColumnTest::parse(QStringLiteral("影像"), FieldType::Text)
                    .passes(false, 0, QStringLiteral("Photoshop 影像處理")));
        // An empty box tests nothing, a cell without a value included.
        QVERIFY(ColumnTest::parse(QStringLiteral("  "), FieldType::Int32).passes(true, 0, QString()));
    }

    void textRange()
    {
        const ColumnTest t = ColumnTest::parse(QStringLiteral("s010000..S010099"), FieldType::Text);
        QCOMPARE(t.kind, ColumnTest::Kind::TextRange);
        for (const char* in : {"S010000", "S010050", "S010099"})
            QVERIFY2(t.passes(false, 0, QString::fromLatin1(in)), in);
        for (const char* out : {"S009999", "S0101", "S010100", "A001"})
            QVERIFY2(!t.passes(false, 0, QString::fromLatin1(out)), out);
        QVERIFY(!t.passes(true, 0, QString()));
    }

    void filtersCompareAsSets()
    {
        ColumnFilters f;
        const ColumnTest ten = ColumnTest::parse(QStringLiteral(">10"), FieldType::Int32);
        QVERIFY(f.empty());
        // Empty boxes and fields the table lacks test nothing.
        QVERIFY(!f.set({{2, ColumnTest::parse(QString(), FieldType::Text)}, {-1, ten}}));
        QVERIFY(f.empty());
        QVERIFY(f.set({{1, ten}}));
        QVERIFY(!f.set({{1, ten}}));
        QVERIFY(f.set({{1, ColumnTest::parse(QStringLiteral(">11"), FieldType::Int32)}}));
        QVERIFY(f.set({}));
        QVERIFY(f.empty());
    }
};

QTEST_GUILESS_MAIN(TestColumnFilter)
#include "tst_columnfilter.moc"
