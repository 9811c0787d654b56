#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/gridexport.h"
#include "controls/gridfindbar.h"
#include "controls/gridtooltexts.h"
#include "data/exportsource.h"
#include "data/tableexport.h"
#include "forms/studclasswindow.h"
#include "testfiles.h"
#include "testsupport.h"
#include "ui/messagebox.h"
#include "windowfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace FormDriver;

Q_DECLARE_METATYPE(GridExport::Format)

// Every grid's find bar and export, on the top-up window's bookings (lookups by a text key and by
// a number key, date-times, negative numbers): the rows found, and the files read back by tools
// made for them.
class TestGridTools : public QObject, WindowFixture<StudClassWindow>
{
    Q_OBJECT

    // The written file as rows of [type, value] pairs, read by openpyxl or Python's csv module.
    static QJsonArray readBack(const QString& path)
    {
        static const char* const script = R"(
import csv, json, sys, openpyxl
p = sys.argv[1]
if p.endswith('.xlsx'):
    rows = [[[c.data_type + type(c.value).__name__, str(c.value)] for c in r]
            for r in openpyxl.load_workbook(p, read_only=True).active.iter_rows()]
else:
    rows = [[['', v] for v in r] for r in csv.reader(open(p, encoding='utf-8-sig', newline=''))]
print(json.dumps(rows))
)";
        // Debian's Python, where python3-openpyxl installs (another python3 may come first on the PATH).
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
        if (!python.waitForFinished(30000) || python.exitCode() != 0)
            qFatal("reading %s back: %s", qPrintable(path), python.readAllStandardError().constData());
        return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    }

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void find_data()
    {
        // Keys typed into the bar ("F3", "S-F3", "Enter", "Esc", a text typed over the box's, or "+" and a
        // text typed after it), the booking current after each (row of the grid), and the note left.
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("note");
        QTest::newRow("student lookup, next, wrap")
            << QStringList{"陳大文", "F3", "Enter", "F3"} << QList<int>{0, 2, 3, 0} << "lblWrappedToTop";
        QTest::newRow("previous wraps to the bottom")
            << QStringList{"陳大", "S-F3"} << QList<int>{0, 3} << "lblWrappedToBottom";
        QTest::newRow("class lookup by number, any case") << QStringList{"photoSHOP"} << QList<int>{1} << "";
        QTest::newRow("staff lookup") << QStringList{"王小明", "F3"} << QList<int>{1, 2} << "";
        QTest::newRow("date and number cells")
            << QStringList{"2026/10/", "F3", "-10", "1500"} << QList<int>{2, 3, 3, 4} << "";
        QTest::newRow("no match keeps the row") << QStringList{"林", "+x"} << QList<int>{1, 1} << "lblNotFound";
        QTest::newRow("Esc closes the bar") << QStringList{"張", "Esc"} << QList<int>{4, 4} << "";
    }

    void find()
    {
        QFETCH(QStringList, keys);
        QFETCH(QList<int>, rows);
        QFETCH(QString, note);
        open();
        DBGrid* grid = m_form->grdStudClass;
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        GridFindBar* bar = grid->findBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(focused(), bar->txtFind);
        for (int i = 0; i < keys.size(); ++i) {
            const QString& key = keys.at(i);
            if (key == QLatin1String("F3") || key == QLatin1String("S-F3"))
                QTest::keyClick(bar->txtFind, Qt::Key_F3, key.startsWith('S') ? Qt::ShiftModifier : Qt::NoModifier);
            else if (key == QLatin1String("Enter") || key == QLatin1String("Esc"))
                QTest::keyClick(bar->txtFind, key == QLatin1String("Esc") ? Qt::Key_Escape : Qt::Key_Return);
            else if (key.startsWith('+'))
                typeText(bar->txtFind, key.mid(1));
            else
                typeInto(bar->txtFind, key);
            QCOMPARE(m_form->tblStudClass->recNo(), rows.at(i));
            QCOMPARE(grid->currentIndex().row(), rows.at(i));
        }
        // The bound boxes show the row found; Esc left the window open and the focus in the grid.
        QCOMPARE(m_form->txtSpkey->text(), m_form->tblStudClass->field("spkey")->asString());
        QCOMPARE(bar->lblNote->text(), note.isEmpty() ? QString() : GridToolTexts::text(qPrintable(note)));
        if (keys.last() == QLatin1String("Esc")) {
            QVERIFY(!bar->isVisible());
            QCOMPARE(focused(), grid);
            QVERIFY(m_form->isVisible());
        }
        // While a row is added the grid and its find bar are disabled.
        click(m_form->btnAdd);
        QVERIFY(!bar->isEnabled());
        click(m_form->btnCancel);
        QVERIFY(bar->isEnabled());
    }

    void exportReadBack_data()
    {
        QTest::addColumn<GridExport::Format>("format");
        QTest::addColumn<QStringList>("expected"); // the second booking, [type] value per column
        QTest::newRow("xlsx") << GridExport::Format::Xlsx
                              << QStringList{"ddatetime 2026-09-02 11:30:00", "nint 200", "sstr 王小明", "sstr =1+2",
                                             "sstr Photoshop 影像處理"};
        QTest::newRow("csv") << GridExport::Format::Csv
                             << QStringList{" 2026-09-02 11:30:00", " 200", " 王小明", " '=1+2", " Photoshop 影像處理"};
    }

    void exportReadBack()
    {
        QFETCH(GridExport::Format, format);
        QFETCH(QStringList, expected);
        SandboxDb::exec(QStringLiteral("UPDATE stud SET studname = '=1+2' WHERE spkey = 'A002'"));
        SandboxDb::exec(QStringLiteral("UPDATE stud SET studname = '-A,\"b\"' WHERE spkey = 'A003'"));
        open();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bookings"));
        DialogSeam::queueFileName(path);
        QVERIFY(TestSupport::exportAndWait(m_form->grdStudClass, format));
        const QString written = path + (format == GridExport::Format::Xlsx ? ".xlsx" : ".csv");
        QCOMPARE(DialogSeam::last().kind, Prompt::FileSave);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(written).fileName()});
        if (format == GridExport::Format::Csv)
            QVERIFY(TestFiles::read(written).startsWith("\xEF\xBB\xBF"));

        const QJsonArray rows = readBack(written);
        QCOMPARE(rows.size(), 6);
        QStringList titles, second, last;
        for (int c = 0; c < 5; ++c) {
            titles << rows[0][c][1].toString();
            second << rows[2][c][0].toString() + ' ' + rows[2][c][1].toString();
            last << rows[5][c][1].toString();
        }
        QCOMPARE(titles, QStringList({"購買日期", "購買點數", "承辦人", "學生姓名", "課程名稱"}));
        QCOMPARE(second, expected);
        // A negative number stays a number; a formula-looking text with a comma and quotes stays that text.
        QCOMPARE(rows[4][1][0].toString() + rows[4][1][1].toString(),
                 format == GridExport::Format::Xlsx ? "nint-10" : "-10");
        QCOMPARE(last.at(3), format == GridExport::Format::Xlsx ? "-A,\"b\"" : "'-A,\"b\"");

        // A cancelled export leaves the file written before as it was, and nothing beside it.
        const QByteArray before = TestFiles::read(written);
        SnapshotExportSource source(m_form->tblStudClass, {{"buydate", "x"}});
        const auto cancel = [](qint64, qint64) { return false; };
        QVERIFY(!(format == GridExport::Format::Xlsx ? TableExport::writeXlsx(source, written, cancel)
                                                     : TableExport::writeCsv(source, written, cancel)));
        QCOMPARE(TestFiles::read(written), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // The same name typed again without its extension: the file it means is not replaced unasked.
        DialogSeam::queueFileName(path);
        DialogSeam::queueAnswer(Win::IDCANCEL);
        QVERIFY(!TestSupport::exportAndWait(m_form->grdStudClass, format));
        QVERIFY(DialogSeam::last().text.contains(written));
        QCOMPARE(TestFiles::read(written), before);
    }

    // The rows are written as they were when the export began, while the window goes on changing
    // its table; a window closed during an export takes the writer down with it and leaves no
    // partial file.
    void exportRunsBesideTheWindow()
    {
        open();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.csv"));
        DialogSeam::queueFileName(path);
        ExportJob* job = GridExport::exportGrid(m_form->grdStudClass, GridExport::Format::Csv);
        QVERIFY(job);
        QSignalSpy finished(job, &ExportJob::finished);
        m_form->tblStudClass->close();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(QString::fromUtf8(TestFiles::read(path)).split("\r\n", Qt::SkipEmptyParts).size(), 6);

        m_form->tblStudClass->open();
        const QString second = dir.filePath(QStringLiteral("closed.csv"));
        DialogSeam::queueFileName(second);
        QPointer<ExportJob> closing = GridExport::exportGrid(m_form->grdStudClass, GridExport::Format::Csv);
        QVERIFY(closing);
        delete m_form;
        QVERIFY(!closing);
        // Either the writer was stopped (no file) or it had already finished (the whole file).
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left == QStringList({"kept.csv"}) || left == QStringList({"closed.csv", "kept.csv"}),
                 qPrintable(left.join(' ')));
        if (left.size() == 2)
            QCOMPARE(TestFiles::read(second), TestFiles::read(path));
    }
};

RYN_TEST_MAIN(TestGridTools)
#include "tst_gridtools.moc"
