#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "forms/watchlogwindow.h"
#include "testsupport.h"
#include "ui/messagebox.h"
#include "windowfixture.h"
#include "wiretap.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace FormDriver;

// The point query window: the statement on the wire, the log and the balance of the selected student.
class TestWatchlog : public QObject, WindowFixture<WatchLogWindow>
{
    Q_OBJECT

    std::unique_ptr<WireTap> m_tap;
    QByteArray m_serverPort;

    // The log of a newly selected student loads as the selection moves.
    void select(const QString& spkey) { QVERIFY(m_form->tblStud->locate(QStringLiteral("spkey"), spkey)); }

    // Written out here rather than taken from the window, so that a changed byte shows. Both marks
    // take the student's spkey.
    static QString statementFor()
    {
        return QStringLiteral("SELECT * FROM \r\n(\r\n"
                              "   SELECT coursename, mac, device, a.point, begintime, endtime FROM watchlog a \r\n"
                              "   LEFT JOIN course b ON a.cpkey=b.cpkey \r\n"
                              "       WHERE spkey=?\r\n"
                              "   UNION ALL \r\n"
                              "   SELECT concat('購買 ',classname, ' 點數') coursename, null mac, null device, "
                              "watchpoint point, buydate begintime, null endtime FROM studclass a \r\n"
                              "   LEFT JOIN classroom b ON a.crpkey=b.crpkey \r\n"
                              "       WHERE spkey=?\r\n"
                              ") a \r\n"
                              "   ORDER BY begintime\r\n");
    }

    // The statement was prepared as written and spkey went apart from it, as a value: it never went
    // out spliced into the statement as a quoted literal.
    bool sawStatementFor(const QString& spkey) const
    {
        const QString spliced =
            statementFor().replace(QLatin1Char('?'), QLatin1Char('\'') + QString(spkey).replace("'", "''") + '\'');
        return m_tap->sawPrepare(statementFor()) && m_tap->sent().contains(spkey.toUtf8()) && !m_tap->sawQuery(spliced)
               && !m_tap->sawPrepare(spliced);
    }

    // A poppler tool's standard output for the PDF file path; a failure stops the test.
    static QString poppler(const QString& tool, const QStringList& arguments)
    {
        QProcess p;
        p.start(tool, arguments);
        if (!p.waitForFinished(120000) || p.exitCode() != 0)
            qFatal("%s failed: %s", qPrintable(tool), p.readAllStandardError().constData());
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_serverPort = qgetenv("RYN_DB_PORT");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init()
    {
        startCase();
        m_tap = std::make_unique<WireTap>(m_serverPort.toInt());
        qputenv("RYN_DB_PORT", QByteArray::number(m_tap->port()));
        m_conn.reset(SandboxDb::programConnection(nullptr));
    }

    void cleanup()
    {
        qputenv("RYN_DB_PORT", m_serverPort);
        endCase();
        m_tap.reset();
    }

    void opensOnFirstStudentByName()
    {
        open();
        QVERIFY(m_form->btnExit->isVisible() && !m_form->btnAdd->isVisible() && m_form->btnExit->x() == 0);
        QCOMPARE(column(m_form->grdStud, 0), QStringList({"張志明", "林美玲", "陳大文", "黃小華"}));
        QCOMPARE(m_form->txtSpkey->text(), QStringLiteral("A003"));
        QCOMPARE(m_form->txtNowPoint->text(), QStringLiteral("1,450"));
        QCOMPARE(column(m_form->grdCourse, 0), QStringList({"購買 網頁設計 點數", "第一課 HTML", "第一課 HTML"}));
        QCOMPARE(column(m_form->grdCourse, 2), QStringList({"", "Redmi Note 12", "Redmi Note 12"}));
        QCOMPARE(column(m_form->grdCourse, 5).first(), QString());
        QCOMPARE(m_form->qryWatchlog->recNo(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(sawStatementFor("A003"));
        QCOMPARE(m_form->statementEdit->text(), statementFor());
        QVERIFY(m_form->statementEdit->isHidden());
        click(m_form->lblSpkey);
        QVERIFY(m_form->statementEdit->isVisible());
        click(m_form->lblSpkey);
        QVERIFY(m_form->statementEdit->isHidden());

        // The 2nd row is pale green, the others keep the grid's colour (cells without text sampled).
        const QImage shot = m_form->grdCourse->viewport()->grab().toImage();
        const auto colourAt = [&](int row) {
            const QRect cell = m_form->grdCourse->visualRect(m_form->grdCourse->model()->index(row, 1));
            return QColor(shot.pixel(cell.right() - 3, cell.center().y()));
        };
        QCOMPARE(colourAt(1), QColor(192, 220, 192));
        QCOMPARE(colourAt(0), m_form->grdCourse->palette().color(QPalette::Base));
        QCOMPARE(colourAt(2), m_form->grdCourse->palette().color(QPalette::Base));
    }

    void balances_data()
    {
        QTest::addColumn<QString>("spkey"); // empty: no student to select
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<int>("rows");
        const QString booking = "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint) VALUES ('2026-12-01', %1)";
        // clang-format off
        QTest::newRow("nothing booked or watched") << "B001" << QStringList() << "0" << 0;
        QTest::newRow("no student at all") << "" << QStringList{"DELETE FROM stud"} << "0" << 0;
        QTest::newRow("deduction") << "A002" << QStringList{booking.arg("'A002', 1, -1690")} << "-1,500" << 3;
        QTest::newRow("quote in the number") << "Q'1"
            << QStringList{"INSERT INTO stud (spkey, studname) VALUES ('Q''1', 'Quote')", booking.arg("'Q''1', 1, 30"),
                           "INSERT INTO watchlog (cpkey, spkey, point, begintime) VALUES (1, 'Q''1', -5, '2026-12-02')"}
            << "25" << 2;
        QTest::newRow("deleted class and course") << "A003"
            << QStringList{"DELETE FROM classroom WHERE crpkey = 3", "DELETE FROM course WHERE cpkey = 4"} << "1,450" << 3;
        QTest::newRow("beyond 32 bits") << "A001"
            << QStringList{"UPDATE studclass SET watchpoint = 2147483647 WHERE spkey = 'A001'"} << "6,442,450,923" << 6;
        // clang-format on
    }

    void balances()
    {
        QFETCH(QString, spkey);
        QFETCH(QStringList, setup);
        QFETCH(QString, balance);
        QFETCH(int, rows);
        for (const QString& statement : setup)
            SandboxDb::exec(statement);
        open();
        if (!spkey.isEmpty())
            select(spkey);
        QCOMPARE(m_form->txtNowPoint->text(), balance);
        QCOMPARE(m_form->grdCourse->model()->rowCount(), rows);
        if (spkey.isEmpty())
            QCOMPARE(m_form->statementEdit->text(), QStringLiteral("Edit1")); // no statement run
        else
            QVERIFY(sawStatementFor(spkey));
        if (QTest::currentDataTag() == QLatin1String("deleted class and course"))
            QCOMPARE(column(m_form->grdCourse, 0), QStringList({"", "", ""}));
    }

    void selectionLoadsAtOnce()
    {
        open();
        // The sum lets no event run: the balance belongs to the selection as soon as it has moved,
        // and the window closes at once afterwards.
        QVERIFY(m_form->tblStud->locate(QStringLiteral("spkey"), QStringLiteral("A001")));
        QCOMPARE(m_form->statementEdit->text(), statementFor());
        QVERIFY(m_form->tblStud->locate(QStringLiteral("spkey"), QStringLiteral("A002")));
        QCOMPARE(m_form->txtSpkey->text(), QStringLiteral("A002"));
        QCOMPARE(m_form->txtNowPoint->text(), QStringLiteral("190"));
        QCOMPARE(column(m_form->grdCourse, 3), QStringList({"200", "-10"}));
        QCOMPARE(m_form->statementEdit->text(), statementFor());
        QVERIFY(m_form->close());
    }

    void freedWhileSumming()
    {
        open();
        // Freed at once, as closing all windows does, while the log of A002 is being summed.
        QTest::keyClick(m_form->grdStud, Qt::Key_Down);
        QMetaObject::invokeMethod(
            this, [this] { delete m_form; }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        QVERIFY(m_form.isNull());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void downArrowHeldEndsOnLastStudent()
    {
        open();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::postEvent(m_form->grdStud, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        QTRY_COMPARE(m_form->txtSpkey->text(), QStringLiteral("B001"));
        QCoreApplication::processEvents();
        QCOMPARE(m_form->txtNowPoint->text(), QStringLiteral("0"));
        QCOMPARE(m_form->grdCourse->model()->rowCount(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void refusedStatementLeavesNoBalance()
    {
        open();
        // A viewing whose points are not a number.
        SandboxDb::exec(QStringLiteral("ALTER TABLE watchlog MODIFY point VARCHAR(20)"));
        SandboxDb::exec(QStringLiteral("UPDATE watchlog SET point = 'x' WHERE spkey = 'A001'"));
        DialogSeam::queueAnswer(Win::IDOK);
        const QRect a001 = m_form->grdStud->visualRect(m_form->grdStud->model()->index(2, 0));
        QTest::mouseClick(m_form->grdStud->viewport(), Qt::LeftButton, {}, a001.center());
        QCOMPARE(m_form->txtSpkey->text(), QStringLiteral("A001"));
        QCoreApplication::processEvents();
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(DialogSeam::last().text.contains(QStringLiteral("'point'")));
        QCOMPARE(m_form->grdCourse->model()->rowCount(), 0);
        QCOMPARE(m_form->txtNowPoint->text(), QString());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void statementPdf_data()
    {
        QTest::addColumn<int>("extraRows"); // viewings of -1 point added to A003's log
        QTest::addColumn<bool>("logo");
        QTest::addColumn<QString>("balance");
        QTest::newRow("one page, logo") << 0 << true << "1,450";
        QTest::newRow("10,000 rows, no logo") << 10000 << false << "-8,550";
    }

    void statementPdf()
    {
        QFETCH(int, extraRows);
        QFETCH(bool, logo);
        QFETCH(QString, balance);
        if (extraRows > 0)
            SandboxDb::exec(QStringLiteral("INSERT INTO watchlog (cpkey, spkey, device, point, begintime) SELECT 2, "
                                           "'A003', CONCAT('D', seq), -1, '2026-11-10' + INTERVAL seq MINUTE "
                                           "FROM seq_1_to_%1")
                                .arg(extraRows));
        QTemporaryDir dir;
        const QString oldDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        if (logo)
            QFile::copy(QString::fromLocal8Bit(qgetenv("RYN_SOURCE_DIR")) + "/packaging/icons/ryn-256.png", "logo.png");
        open();
        const QString pdf = dir.filePath(QStringLiteral("A003 statement.pdf"));
        DialogSeam::queueFileName(pdf);
        const int pages = m_form->btnPdfClick();
        QDir::setCurrent(oldDir);
        QCOMPARE(DialogSeam::last().kind, Prompt::FileSave);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        QVERIFY(poppler("pdfinfo", {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
        QCOMPARE(poppler("pdfimages", {"-list", pdf}).count('\n') > 2, logo);
        const QString text = poppler("pdftotext", {"-layout", pdf, "-"});
        for (const QString& expected : {"Korvel電腦補習班", "學號：A003", "姓名：張志明", "列印日期"})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        QVERIFY(text.contains(QRegularExpression("剩餘點數：\\s*" + balance)));
        // Every row, in the grid's order, with the texts the grid shows.
        const int rows = m_form->grdCourse->model()->rowCount();
        QCOMPARE(rows, 3 + extraRows);
        qsizetype at = 0;
        for (int row = 0; row < rows; ++row) {
            for (int c : {0, 2, 3, 4}) {
                const QString cell = m_form->grdCourse->model()->index(row, c).data().toString();
                at = text.indexOf(cell, at);
                QVERIFY2(at >= 0, qPrintable(QStringLiteral("row %1: %2").arg(row).arg(cell)));
            }
        }
        // Each page has its number and the table's header.
        QVERIFY(extraRows == 0 ? pages == 1 : pages > 200);
        QVERIFY(text.contains(QStringLiteral("第 %1 頁，共 %1 頁").arg(pages)));
        QCOMPARE(text.count(QStringLiteral("Android 型號")), pages);

        // Cancelled: nothing is written.
        QFile::remove(pdf);
        DialogSeam::queueFileName(QString());
        QCOMPARE(m_form->btnPdfClick(), 0);
        QVERIFY(!QFile::exists(pdf));
    }
};

RYN_TEST_MAIN(TestWatchlog)
#include "tst_watchlog.moc"
