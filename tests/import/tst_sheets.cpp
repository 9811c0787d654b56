#include "data/tableexport.h"
#include "import/csvreader.h"
#include "import/sheetreader.h"
#include "platform/errors.h"
#include "coresupport.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDateTime>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

// Files written by the program's own export, by openpyxl and in the encodings a spreadsheet
// writes, read back row by row as the import reads them.
namespace {
const QList<QStringList> kRows = {
    {"學號", "學生姓名", "備註"},
    {"S001", "陳大文", "逗號, \"引號\"\n第二行"},
    {"s002", "", "=1+2"},
    {"12", "林小美", "2026/03/04 05:06:07"},
};

class ListSource : public ExportSource
{
public:
    int columnCount() const override { return 3; }
    QString columnTitle(int column) const override { return kRows[0][column]; }
    qint64 rowCount() const override { return kRows.size() - 1; }
    void cell(qint64 row, int column, ExportCell& out) const override
    {
        const QString& text = kRows[row + 1][column];
        if (row == 2 && column == 0)
            out.setInteger(12); // a number cell
        else if (row == 2 && column == 2)
            out.setDateTime(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
        else if (text.isEmpty())
            out.clear();
        else
            out.setText(text);
    }
};

QList<QStringList> readAll(Sheet::Reader& reader, QList<qint64>* numbers = nullptr)
{
    QList<QStringList> rows;
    Sheet::Row row;
    while (reader.next(row)) {
        rows.append(row.cells);
        if (numbers)
            numbers->append(row.number);
    }
    return rows;
}

// Cells at the end of a row that are empty are absent.
QList<QStringList> expected()
{
    QList<QStringList> rows = kRows;
    rows[2][1].clear();
    rows[2][2] = QStringLiteral("'=1+2"); // the export keeps a formula-like text a text
    return rows;
}
} // namespace

class TestSheets : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void xlsxRoundTrip()
    {
        const QString path = m_dir.filePath(QStringLiteral("own.xlsx"));
        QVERIFY(TableExport::writeXlsx(ListSource(), path));
        auto reader = Sheet::open(path);
        QCOMPARE(reader->encoding(), QStringLiteral("Excel (.xlsx)"));
        QList<QStringList> want = expected();
        want[2][2] = QStringLiteral("=1+2"); // a string cell, never a formula
        QCOMPARE(readAll(*reader), want);

        // openpyxl's workbook: shared strings, a date by its number format, a time, a real, a
        // boolean, a gap between rows and between cells, a second sheet that is not read.
        const QString other = m_dir.filePath(QStringLiteral("openpyxl.xlsx"));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook(); ws = wb.active
ws.append(['學號', '姓名'])
ws.append(['S1', '王', None, 3.25, True])
ws['A4'] = datetime.datetime(2024, 2, 29); ws['A4'].number_format = 'yyyy/mm/dd'
ws['C4'] = datetime.time(13, 30); ws['D4'] = 45000
wb.create_sheet('other')['A1'] = 'not read'
wb.save(sys.argv[1]))"),
                                                          other});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.exitCode(), 0);
        QList<qint64> numbers;
        auto openpyxl = Sheet::open(other);
        QCOMPARE(readAll(*openpyxl, &numbers),
                 (QList<QStringList>{
                     {"學號", "姓名"}, {"S1", "王", "", "3.25", "TRUE"}, {"2024/02/29", "", "13:30:00", "45000"}}));
        QCOMPARE(numbers, (QList<qint64>{1, 2, 4}));

        // Not a workbook, and a workbook cut short: refused with a message, never a crash.
        for (const QByteArray& bytes : {QByteArray("PK\x03\x04 not really"), TestFiles::read(path).left(600)}) {
            TestFiles::write(m_dir.filePath(QStringLiteral("bad.xlsx")), bytes);
            bool refused = false;
            try {
                auto r = Sheet::open(m_dir.filePath(QStringLiteral("bad.xlsx")));
                readAll(*r);
            } catch (const AppError& e) {
                refused = e.message().startsWith(QStringLiteral("這個檔案不是可以讀取的 Excel 活頁簿"));
            }
            QVERIFY(refused);
        }
    }

    void csvRoundTrip_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("export, UTF-8 with BOM") << "UTF-8 (BOM)";
        QTest::newRow("UTF-8, LF line ends") << "UTF-8";
        QTest::newRow("Big5, CR LF") << "Big5";
    }

    void csvRoundTrip()
    {
        QFETCH(QString, encoding);
        const QString path = m_dir.filePath(QStringLiteral("own.csv"));
        QVERIFY(TableExport::writeCsv(ListSource(), path));
        if (encoding != QLatin1String("UTF-8 (BOM)")) {
            QString text = QString::fromUtf8(TestFiles::read(path).mid(3));
            if (encoding == QLatin1String("UTF-8"))
                TestFiles::write(path, text.replace(QLatin1String("\r\n"), QLatin1String("\n")).toUtf8());
            else
                TestFiles::write(path, QStringEncoder("Big5").encode(text));
        }
        auto reader = Sheet::open(path);
        QCOMPARE(reader->encoding(), encoding);
        QList<QStringList> want = expected();
        want[3][2] = QStringLiteral("2026-03-04 05:06:07"); // as the export writes a date in CSV
        QCOMPARE(readAll(*reader), want);

        // A record split across the reader's chunks, and an unclosed quote at the end.
        QByteArray big = "a,b\r\n\"" + QByteArray(1 << 20, 'x') + "\",\"y\r\nz\"\r\n\"open";
        QBuffer buffer(&big);
        buffer.open(QIODevice::ReadOnly);
        CsvReader csv(&buffer);
        const QList<QStringList> rows = readAll(csv);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1][0].size(), 1 << 20);
        QCOMPARE(rows[1][1], QStringLiteral("y\r\nz"));
        QCOMPARE(rows[2], QStringList{"open"});
    }
};

RYN_CORE_TEST_MAIN(TestSheets)
#include "tst_sheets.moc"
