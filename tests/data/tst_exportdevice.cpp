// The CSV and XLSX writers on a table filled from values, written to a device in memory and read
// back with the program's own readers: titles, typed cells, texts a spreadsheet would run, rows
// without a value, a cancel, and a device that stops taking bytes.

#include "data/exportsource.h"
#include "data/snapshotfill.h"
#include "data/tableexport.h"
#include "import/csvreader.h"
#include "import/xlsxreader.h"
#include "platform/errors.h"
#include "tables.h"

#include <QBuffer>
#include <QtTest>

namespace {
// Takes a number of bytes, then refuses every write as a full disk would.
class FullDevice : public QIODevice
{
public:
    explicit FullDevice(qint64 room)
        : m_room(room)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        if (length > m_room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_room -= length;
        return length;
    }

private:
    qint64 m_room;
};
} // namespace

class TestExportDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<SnapshotTable> m_students;
    std::unique_ptr<SnapshotTable> m_bookings;
    QList<SnapshotExportSource::Column> m_columns{{"buydate", QString::fromUtf8("購買日期")},
                                                  {"watchpoint", QString::fromUtf8("購買點數")},
                                                  {"studname", QString::fromUtf8("學生姓名")},
                                                  {"note", QString::fromUtf8("備註")},
                                                  {"scpkey", QString::fromUtf8("序號")}};

    static QList<QStringList> readBack(Sheet::Reader& reader, QList<qint64>* numbers = nullptr)
    {
        QList<QStringList> rows;
        Sheet::Row row;
        while (reader.next(row)) {
            rows << row.cells;
            if (numbers)
                *numbers << row.number;
        }
        return rows;
    }

    QByteArray write(const QString& format, const ExportSource& source)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const bool done = format == QLatin1String("csv") ? TableExport::writeCsv(source, buffer, "rows.csv")
                                                         : TableExport::writeXlsx(source, buffer, "rows.xlsx");
        if (!done)
            qFatal("the export stopped without a cancel");
        return buffer.data();
    }

private slots:
    void init()
    {
        m_students = declareTable(nullptr, "stud", {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}});
        SnapshotFill::open(*m_students,
                           {{"A001", QString::fromUtf8("陳大文")}, {"A002", "=1+2"}, {"A003", "-A,\"b\""}});
        m_bookings = declareTable(nullptr, "studclass",
                                  {{"scpkey", FieldType::Int64},
                                   {"buydate", FieldType::DateTime},
                                   {"watchpoint", FieldType::Int32},
                                   {"spkey", FieldType::Text, 20},
                                   {"note", FieldType::Text, 40}},
                                  "scpkey");
        m_bookings->addLookupField("studname", FieldType::Text, 10, m_students.get(), "spkey", "spkey", "studname");
        const QVariant none;
        SnapshotFill::open(*m_bookings, {{1, QDateTime(QDate(2026, 9, 2), QTime(11, 30)), 200, "A001",
                                          QString::fromUtf8("第一行\n第二行")},
                                         {2, "2026/10/05 09:00", -10, "A002", "+12"},
                                         {none, none, none, none, none},
                                         {9007199254740993LL, "1899/12/31 23:59:59", 0, "A003", "@SUM(A1)"},
                                         {-5, none, 2147483647, "A404", "10,5"}});
    }

    void cleanup()
    {
        m_bookings.reset();
        m_students.reset();
    }

    // Each row as read back: values typed as the grid shows them; in CSV a text that would run as a
    // formula behind a quote, in XLSX a string cell as it is. Integers beyond what a spreadsheet's
    // number holds exactly stay whole as text, and a date before 1900 as the grid shows it.
    void readBack_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        const QString first = QString::fromUtf8("第一行\n第二行");
        const QString chen = QString::fromUtf8("陳大文");
        QTest::newRow("csv") << "csv"
                             << QList<QStringList>{
                                    {"購買日期", "購買點數", "學生姓名", "備註", "序號"},
                                    {"2026-09-02 11:30:00", "200", chen, first, "1"},
                                    {"2026-10-05 09:00:00", "-10", "'=1+2", "+12", "2"},
                                    {"", "", "", "", ""},
                                    {"1899-12-31 23:59:59", "0", "'-A,\"b\"", "'@SUM(A1)", "9007199254740993"},
                                    {"", "2147483647", "", "10,5", "-5"}};
        QTest::newRow("xlsx") << "xlsx"
                              << QList<QStringList>{
                                     {"購買日期", "購買點數", "學生姓名", "備註", "序號"},
                                     {"2026/09/02 11:30:00", "200", chen, first, "1"},
                                     {"2026/10/05 09:00:00", "-10", "=1+2", "+12", "2"},
                                     {"1899/12/31 23:59:59", "0", "-A,\"b\"", "@SUM(A1)", "9007199254740993"},
                                     {"", "2147483647", "", "10,5", "-5"}};
    }

    void readBack()
    {
        QFETCH(QString, format);
        QFETCH(QList<QStringList>, rows);
        const SnapshotExportSource source(m_bookings.get(), m_columns);
        const QByteArray bytes = write(format, source);
        QList<qint64> numbers;
        QList<QStringList> read;
        if (format == QLatin1String("csv")) {
            QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
            QVERIFY(bytes.contains("\"第一行\n第二行\",1\r\n"));
            QBuffer in;
            in.setData(bytes);
            in.open(QIODevice::ReadOnly);
            CsvReader reader(&in);
            QCOMPARE(reader.encoding(), QStringLiteral("UTF-8 (BOM)"));
            read = readBack(reader, &numbers);
        } else {
            XlsxReader reader(bytes);
            read = readBack(reader, &numbers);
            // The row without a value leaves none in the sheet, and the rows after it keep their place.
            QCOMPARE(numbers, (QList<qint64>{1, 2, 3, 5, 6}));
        }
        for (QStringList& row : read) {
            while (row.size() < 5)
                row << QString();
        }
        QCOMPARE(read, rows);
    }

    // What the writers write follows the table's order and filter at the time.
    void sortedAndFiltered()
    {
        m_bookings->setSort(QStringLiteral("watchpoint DESC"));
        m_bookings->setFilter(QStringLiteral("spkey<>'A002'"));
        m_bookings->setFiltered(true);
        const SnapshotExportSource source(m_bookings.get(), {{"scpkey", "k"}, {"nosuch", "x"}});
        XlsxReader xlsx(write("xlsx", source));
        QBuffer csv;
        csv.setData(write("csv", source));
        csv.open(QIODevice::ReadOnly);
        CsvReader csvReader(&csv);
        // A field the table does not have gives empty cells.
        const QList<QStringList> expected{{"k", "x"}, {"-5", ""}, {"1", ""}, {"9007199254740993", ""}, {"", ""}};
        QList<QStringList> fromCsv = readBack(csvReader);
        QCOMPARE(fromCsv, expected);
        QCOMPARE(readBack(xlsx), (QList<QStringList>{{"k", "x"}, {"-5"}, {"1"}, {"9007199254740993"}}));
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("csv") << "csv";
        QTest::newRow("xlsx") << "xlsx";
    }

    // A cancel answered at the end still cancels; a workbook reaches the device only when whole.
    void cancel()
    {
        QFETCH(QString, format);
        const SnapshotExportSource source(m_bookings.get(), m_columns);
        QList<qint64> told;
        const auto stopAtEnd = [&](qint64 done, qint64 total) {
            told << done << total;
            return done < total;
        };
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const bool done = format == QLatin1String("csv")
                              ? TableExport::writeCsv(source, buffer, "rows.csv", stopAtEnd)
                              : TableExport::writeXlsx(source, buffer, "rows.xlsx", stopAtEnd);
        QVERIFY(!done);
        QCOMPARE(told, (QList<qint64>{0, 5, 5, 5}));
        if (format == QLatin1String("xlsx"))
            QCOMPARE(buffer.size(), 0);
    }

    void fullDevice_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("room");
        QTest::newRow("csv, not even the mark") << "csv" << 0;
        QTest::newRow("csv, cut in the rows") << "csv" << 100;
        QTest::newRow("xlsx, cut in the copy") << "xlsx" << 1000;
    }

    // The error names what the caller called the device and gives the device's reason.
    void fullDevice()
    {
        QFETCH(QString, format);
        QFETCH(int, room);
        const SnapshotExportSource source(m_bookings.get(), m_columns);
        FullDevice device(room);
        try {
            if (format == QLatin1String("csv"))
                TableExport::writeCsv(source, device, QStringLiteral("出口.csv"));
            else
                TableExport::writeXlsx(source, device, QStringLiteral("出口.xlsx"));
            QFAIL("a write that the device refused reported as written");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(QString::fromUtf8("出口.") + format), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("No space left on device")), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestExportDevice)
#include "tst_exportdevice.moc"
