#include "controls/gridcopy.h"

#include <QMimeData>
#include <QtTest>

// Rows copied for a spreadsheet: what a paste reads back as cells.
class TestGridCopy : public QObject
{
    Q_OBJECT

private slots:
    void tabSeparated()
    {
        const QStringList titles{"學生姓名", "點數"};
        const QList<QStringList> rows{{"陳大文", "1500"}, {"tab\there", "-10"}, {"say \"hi\"\nbye", ""}};
        QCOMPARE(GridCopy::tsv(titles, rows), QStringLiteral("學生姓名\t點數\r\n"
                                                             "陳大文\t1500\r\n"
                                                             "\"tab\there\"\t-10\r\n"
                                                             "\"say \"\"hi\"\"\nbye\"\t\r\n"));
    }

    void htmlTable()
    {
        const QString html = GridCopy::html({"a<b"}, {{"x & y"}, {"<td>"}});
        QVERIFY(html.contains(QStringLiteral("<tr><th>a&lt;b</th></tr>")));
        QVERIFY(html.contains(QStringLiteral("<tr><td>x &amp; y</td></tr>")));
        QVERIFY(html.contains(QStringLiteral("<tr><td>&lt;td&gt;</td></tr>")));
        QCOMPARE(html.count(QStringLiteral("<tr>")), 3);
        QVERIFY(html.contains(QStringLiteral("charset=\"utf-8\"")));
    }

    void bothOnTheClipboard()
    {
        std::unique_ptr<QMimeData> data(GridCopy::mimeData({"t"}, {{"1"}}));
        QCOMPARE(data->text(), QStringLiteral("t\r\n1\r\n"));
        QVERIFY(data->hasHtml());
        QVERIFY(data->html().contains(QStringLiteral("<td>1</td>")));
    }
};

QTEST_GUILESS_MAIN(TestGridCopy)
#include "tst_gridcopy.moc"
