#include "data/exportsnapshot.h"
#include "data/exportsource.h"
#include "modelexportsource.h"
#include "data/tableexport.h"
#include "print/pointstatement.h"
#include "platform/errors.h"
#include "testfiles.h"
#include "testsupport.h"

#include <QStandardItemModel>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// The three writers of files the user names (CSV, XLSX, the PDF statement) follow one rule for
// the file they replace, and none of them calls a cut-off file written.
class TestFileWriters : public QObject
{
    Q_OBJECT

    QStandardItemModel m_rows;

    void fill(int rows)
    {
        m_rows.clear();
        m_rows.setHorizontalHeaderLabels({"日期", "說明"});
        for (int r = 0; r < rows; ++r)
            m_rows.appendRow({new QStandardItem(QStringLiteral("2026/09/%1").arg(r % 28 + 1)),
                              new QStandardItem(QStringLiteral("第 %1 列 點數異動 %2").arg(r).arg(r * 7919 % 10007))});
    }

    // Writes the rows to path with the named writer; the AppError's text, or "" when written.
    QString write(const QString& writer, const QString& path)
    {
        try {
            if (writer == QLatin1String("pdf")) {
                StatementTexts texts;
                texts.title = "點數明細";
                texts.pageFormat = "%1/%2";
                PointStatement(texts, &m_rows, {100, 200}, QFont()).writePdf(path);
            } else {
                const ModelExportSource source(&m_rows);
                if (writer == QLatin1String("csv"))
                    TableExport::writeCsv(source, path);
                else
                    TableExport::writeXlsx(source, path);
            }
        } catch (const AppError& e) {
            return e.message();
        }
        return QString();
    }

    static QByteArray magic(const QString& writer)
    {
        return writer == QLatin1String("csv") ? "\xEF\xBB\xBF" : writer == QLatin1String("xlsx") ? "PK" : "%PDF";
    }

    static QStringList entries(const QString& dir)
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    // What is at the target's name before (nothing, a file of some mode, a link, a folder), and what
    // each writer leaves: the new file with that mode, or a refusal with everything as it was.
    void replacedFileRule_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("before"); // "none", "file <mode>", "link", "folder"
        QTest::addColumn<int>("mode");       // of the new file; 0 when refused
        for (const char* writer : {"csv", "xlsx", "pdf"}) {
            QTest::addRow("%s, new file under umask 077", writer) << writer << "none" << 0600;
            QTest::addRow("%s, keeps the old mode", writer) << writer << "file 0640" << 0640;
            QTest::addRow("%s, group-writable kept", writer) << writer << "file 0664" << 0664;
            QTest::addRow("%s, read-only refused", writer) << writer << "file 0444" << 0;
            QTest::addRow("%s, link replaced", writer) << writer << "link" << 0600;
            QTest::addRow("%s, folder refused", writer) << writer << "folder" << 0;
        }
    }
    void replacedFileRule()
    {
        QFETCH(QString, writer);
        QFETCH(QString, before);
        QFETCH(int, mode);
        fill(30);
        QTemporaryDir dir, elsewhere;
        const QString path = dir.filePath("out");
        const QString linked = TestFiles::write(elsewhere.filePath("kept"), "old");
        if (before.startsWith("file")) {
            TestFiles::write(path, "old");
            QVERIFY(::chmod(QFile::encodeName(path), mode_t(before.mid(5).toInt(nullptr, 8))) == 0);
        } else if (before == "link") {
            QVERIFY(QFile::link(linked, path));
        } else if (before == "folder") {
            QVERIFY(QDir().mkdir(path));
        }
        const mode_t umask = ::umask(077);
        const QString error = write(writer, path);
        ::umask(umask);

        QCOMPARE(entries(dir.path()), QStringList{"out"});
        QCOMPARE(TestFiles::read(linked), QByteArray("old"));
        struct stat st;
        QVERIFY(::lstat(QFile::encodeName(path), &st) == 0);
        if (mode == 0) {
            QVERIFY2(!error.isEmpty(), "a refused target reported as written");
            QVERIFY(error.contains(QDir::toNativeSeparators(path)));
            if (before == "folder")
                QVERIFY(S_ISDIR(st.st_mode));
            else
                QCOMPARE(TestFiles::read(path), QByteArray("old"));
            return;
        }
        QCOMPARE(error, QString());
        QVERIFY(S_ISREG(st.st_mode));
        QCOMPARE(int(st.st_mode & 07777), mode);
        QVERIFY(TestFiles::read(path).startsWith(magic(writer)));
    }

    // A disk that fills up meanwhile (here a file-size limit, as a full disk does to every file the
    // writer and its library make): an error naming the file and the system's reason, the old file
    // as it was, no temporary file left.
    void fullDisk_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("limit");    // bytes a file may grow to
        QTest::addColumn<QString>("says"); // in the error after the file's name
        const QString tooLarge = qt_error_string(EFBIG);
        // The workbook's parts are cut off long before the zip reaches the limit: the check finds it.
        QTest::newRow("xlsx, parts cut off") << "xlsx" << 30000 << (1 << 20) << "xl/worksheets/sheet1.xml";
        QTest::newRow("xlsx, zip cut off") << "xlsx" << 30000 << (64 << 10) << "";
        // The whole file in one write that stops short: the reason, not "Unknown error".
        QTest::newRow("csv, one short write") << "csv" << 3000 << (16 << 10) << tooLarge;
        QTest::newRow("csv, many writes") << "csv" << 60000 << (1 << 20) << tooLarge;
        QTest::newRow("pdf") << "pdf" << 200 << (8 << 10) << tooLarge;
    }
    void fullDisk()
    {
        QFETCH(QString, writer);
        QFETCH(int, rows);
        QFETCH(int, limit);
        QFETCH(QString, says);
        fill(rows);
        QTemporaryDir dir;
        const QString path = TestFiles::write(dir.filePath("out"), "old");
        rlimit old;
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit small = old;
        small.rlim_cur = rlim_t(limit);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const QString error = write(writer, path);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &old) == 0);

        QVERIFY2(!error.isEmpty(), "a cut-off file reported as written");
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)) && error.contains(says), qPrintable(error));
        QVERIFY2(!error.contains("Unknown error"), qPrintable(error));
        QCOMPARE(TestFiles::read(path), QByteArray("old"));
        QCOMPARE(entries(dir.path()), QStringList{"out"});
        // Without the limit the same rows are written, and a workbook holds all of them.
        QCOMPARE(write(writer, path), QString());
        QVERIFY(TestFiles::read(path).startsWith(magic(writer)));
        QCOMPARE(entries(dir.path()), QStringList{"out"});
    }

    // Texts that begin like a formula are kept texts unless a spreadsheet reads them as a number;
    // infinities and not-a-numbers are words to a spreadsheet.
    void formulaGuard_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("guarded");
        for (const char* text : {"=1+2", "+inf", "-inf", "+INF", "-nan", "-nan(x)", "+nan(0x1f)", "+infinity", "-",
                                 "@A1", "+1e999", "-0x10"})
            QTest::newRow(text) << text << true;
        for (const char* text : {"-10", "+12", "-1.5e3", "+.5", "inf", "nan", "abc", ""})
            QTest::newRow(*text ? text : "empty") << text << false;
    }
    void formulaGuard()
    {
        QFETCH(QString, text);
        QFETCH(bool, guarded);
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(TableExport::looksLikeFormula(std::string_view(utf8.constData(), size_t(utf8.size()))), guarded);
    }

    // The copy an export writes from holds every kind of cell as the source gave it, also after
    // the source has changed.
    void snapshotKeepsEveryCell()
    {
        QStandardItemModel model(0, 5);
        model.setHorizontalHeaderLabels({"整數", "實數", "時間", "文字", "空"});
        const QList<QVariant> row{qint64(-9007199254740993LL), 2.5e-7, QDateTime(QDate(2026, 12, 9), QTime(13, 5, 59)),
                                  QString("點數 =1+2 \u00e9"), QVariant()};
        QList<QStandardItem*> items;
        for (const QVariant& v : row) {
            items.append(new QStandardItem);
            items.last()->setData(v, Qt::DisplayRole);
        }
        model.appendRow(items);
        model.appendRow({new QStandardItem(QString()), new QStandardItem("x"), new QStandardItem, new QStandardItem,
                         new QStandardItem});
        const ModelExportSource source(&model);
        const ExportSnapshot copy(source);
        const auto describe = [](const ExportSource& from) {
            QStringList cells;
            ExportCell cell;
            for (qint64 r = 0; r < from.rowCount(); ++r)
                for (int c = 0; c < from.columnCount(); ++c) {
                    from.cell(r, c, cell);
                    cells << QString("%1:%2:%3:%4")
                                 .arg(cell.kind)
                                 .arg(cell.kind == ExportCell::Integer || cell.kind == ExportCell::DateTime
                                          ? cell.integer
                                          : 0)
                                 .arg(cell.kind == ExportCell::Real ? cell.real : 0.0, 0, 'g', 17)
                                 .arg(cell.kind == ExportCell::Text
                                          ? QString::fromUtf8(cell.text.data(), qsizetype(cell.text.size()))
                                          : QString());
                }
            for (int c = 0; c < from.columnCount(); ++c)
                cells << from.columnTitle(c);
            return cells;
        };
        const QStringList before = describe(source);
        QCOMPARE(describe(copy), before);
        model.clear();
        QCOMPARE(describe(copy), before);
        QCOMPARE(copy.rowCount(), 2);
    }
};

RYN_TEST_MAIN(TestFileWriters)
#include "tst_filewriters.moc"
