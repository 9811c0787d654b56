#include "controls/dbgrid.h"
#include "data/connection.h"
#include "data/exportsource.h"
#include "data/snapshottable.h"
#include "data/tableexport.h"
#include "forms/classroomwindow.h"
#include "forms/studclasswindow.h"
#include "forms/studentwindow.h"
#include "forms/importaction.h"
#include "forms/importpreview.h"
#include "platform/dialogseam.h"
#include "platform/messages.h"
#include "ui/guard.h"
#include "formdriver.h"
#include "sandboxdb.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "wiretap.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStringEncoder>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace FormDriver;

namespace {
// Rows for a file: the first is the titles.
class Rows : public ExportSource
{
public:
    explicit Rows(QList<QStringList> rows)
        : m_rows(std::move(rows))
    {}
    int columnCount() const override { return int(m_rows[0].size()); }
    QString columnTitle(int column) const override { return m_rows[0][column]; }
    qint64 rowCount() const override { return m_rows.size() - 1; }
    void cell(qint64 row, int column, ExportCell& out) const override
    {
        const QString& text = m_rows[row + 1].value(column);
        bool number = false;
        const qint64 n = text.toLongLong(&number);
        if (number)
            out.setInteger(n);
        else if (text.isEmpty())
            out.clear();
        else
            out.setText(text);
    }

private:
    QList<QStringList> m_rows;
};

QStringList errorLines(ImportPreview* preview)
{
    QStringList lines;
    const QAbstractItemModel* model = preview->grdErrors->model();
    for (int r = 0; r < model->rowCount(); ++r)
        lines << model->index(r, 0).data().toString() + QLatin1Char(' ') + model->index(r, 1).data().toString()
                     + QLatin1Char(' ') + model->index(r, 2).data().toString();
    return lines;
}
} // namespace

// Importing from the classes, students and top-up windows against the private server: the preview's
// faults, nothing written unless every row is good, all or nothing, the window showing the first
// new row afterwards.
class TestImport : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_conn;
    QPointer<QWidget> m_form;
    Session m_session;

    template <typename Form> Form* openWindow()
    {
        auto* form = newWindow<Form>(m_conn.get(), m_session);
        m_form = form;
        show(form);
        return form;
    }

    // Runs an import of path from window; preview gets the dialog while it is up and says whether
    // to press Import (true) or to close it.
    void import(QWidget* window, const QString& path, const std::function<bool(ImportPreview*)>& preview)
    {
        DialogSeam::queueFileName(path);
        bool seen = false;
        TestSupport::runWhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ImportPreview*>(modal);
            QVERIFY(dialog);
            seen = true;
            click(preview(dialog) ? dialog->btnImport : dialog->btnClose);
        });
        auto* action = window->findChild<ImportAction*>();
        guarded([&] { action->importFile(); });
        QVERIFY(seen);
    }

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init()
    {
        SandboxDb::reseed();
        SandboxDb::exec("DELETE FROM booking_token");
        DialogSeam::clear();
        m_conn.reset(SandboxDb::programConnection(nullptr));
    }
    void cleanup()
    {
        delete m_form;
        m_conn.reset();
        QCOMPARE(DialogSeam::pending(), 0);
    }

    void classesBadRowsThenGoodThenDuplicates()
    {
        // The rows are written on a connection of the import's own, which records them in the
        // history under the program's account as the window's connection would.
        SandboxDb::loadHistory();
        m_conn->setAccount(QStringLiteral("clerk"));
        auto* form = openWindow<ClassroomWindow>();
        QList<QStringList> rows{{"班級名稱", "講師", "總點數", "每次扣點", "備註"}};
        for (int i = 0; i < 200; ++i)
            rows.append({QStringLiteral("新班 %1").arg(i, 3, 10, QLatin1Char('0')), "老師", "100", "5", "x"});
        rows[20][0] = "";
        rows[51][2] = "abc";
        rows[101][0] = "excel 入門 ";
        const QString path = m_dir.filePath("classes.xlsx");
        QVERIFY(TableExport::writeXlsx(Rows(rows), path));

        import(form, path, [this](ImportPreview* p) {
            [&] {
                QVERIFY(p->lblSummary->text().contains("Excel (.xlsx)"));
        QVERIFY(p->lblSummary->text().contains("200"));
        QVERIFY(p->lblSummary->text().contains("備註"));
        QCOMPARE(errorLines(p), (QStringList{"21 班級名稱 請輸入班級名稱",
                                             "52 總點數 'abc' 不是欄位 'classpoint' 的正確整數，請輸入 -2147483648 到 "
                                             "2147483647 之間 的整數",
                                             "102 班級名稱 資料庫裡已經有「excel 入門 」（不分大小寫）"}));
        QVERIFY(!p->btnImport->isEnabled());
        QCOMPARE(p->grdRows->rowCount(), 200);
        QCOMPARE(p->grdRows->item(0, 0)->text(), QStringLiteral("新班 000"));
        // The faults go to a CSV file.
        DialogSeam::queueFileName(m_dir.filePath("faults"));
        QVERIFY(p->exportErrors());
        QVERIFY(QString::fromUtf8(TestFiles::read(m_dir.filePath("faults.csv")))
                    .contains("102,班級名稱,資料庫裡已經有「excel 入門 」（不分大小寫）"));
    }
    ();
    return false;
        });
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom").toInt(), 3);

        rows[20][0] = "新班 補";
        rows[51][2] = "-7";
        rows[101][0] = "新班 另";
        QVERIFY(TableExport::writeXlsx(Rows(rows), path));
        DialogSeam::queueAnswer(Win::IDOK); // "已匯入 200 筆資料。"
        import(form, path, [](ImportPreview* p) { return p->btnImport->isEnabled();
        });
        QCOMPARE(TestSupport::promptTexts().last(), QStringLiteral("已匯入 200 筆資料。"));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM classroom").toInt(), 203);
        QCOMPARE(SandboxDb::scalar("SELECT classpoint FROM classroom WHERE classname = '新班 050'").toInt(), -7);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(DISTINCT rowkey) FROM history WHERE tablename='classroom' "
                                   "AND action='added' AND account <=> 'clerk'")
                     .toInt(),
                 200);
        // The window read its table again and shows the first imported row.
        QCOMPARE(form->tblClassroom->recordCount(), 203);
        QCOMPARE(form->tblClassroom->field("classname")->asString(), QStringLiteral("新班 000"));

        import(form, path, [](ImportPreview* p) {
            [&] {
                const QStringList lines = errorLines(p);
        QCOMPARE(lines.size(), 200);
        QVERIFY(lines.first().startsWith("2 班級名稱 資料庫裡已經有「新班 000」"));
        QVERIFY(!p->btnImport->isEnabled());
        }
        ();
        return false;
        });
        }

        void big5StudentsAllOrNothing()
        {
            auto* form = openWindow<StudentWindow>();
            // Big5 as a spreadsheet on a Traditional Chinese system writes CSV; no password column (the
            // student number is the default), a repeated number in other case inside the file.
            QString text = "學號,學生姓名\r\n";
            for (int i = 0; i < 2500; ++i)
                text += QStringLiteral("N%1,\"陳\"\"大\"\"文\"\r\n").arg(i, 4, 10, QLatin1Char('0'));
            text += "n0007 ,林美玲\r\n";
            const QString path = TestFiles::write(m_dir.filePath("students.csv"), QStringEncoder("Big5").encode(text));
        import(form, path, [](ImportPreview* p) {
            [&] {
                QVERIFY(p->lblSummary->text().contains("Big5"));
        QCOMPARE(errorLines(p), QStringList{"2502 學號 「n0007 」與第 9 列重複（不分大小寫）"});
        QCOMPARE(p->grdRows->item(0, 2)->text(), QStringLiteral("N0000"));
        }
        ();
        return false;
        });

        // The number of the last row is taken meanwhile by another workstation: the server refuses
        // the last batch, and the 2000 rows before it go too.
        text.chop(QStringLiteral("n0007 ,林美玲\r\n").size());
        TestFiles::write(path, QStringEncoder("Big5").encode(text));
        DialogSeam::queueAnswer(Win::IDOK); // the error box
        import(form, path, [](ImportPreview* p) {
            SandboxDb::exec("INSERT INTO stud (spkey, studname, studpwd) VALUES ('N2499', 'x', 'x')");
        return p->btnImport->isEnabled();
        });
        QVERIFY(TestSupport::promptTexts().last().startsWith("匯入失敗，已全部取消，資料庫沒有任何變更。"));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM stud").toInt(), 5);

        SandboxDb::exec("DELETE FROM stud WHERE spkey = 'N2499'");
        DialogSeam::queueAnswer(Win::IDOK);
        import(form, path, [](ImportPreview* p) { return p->btnImport->isEnabled();
        });
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM stud").toInt(), 2504);
        QCOMPARE(SandboxDb::scalar("SELECT CONCAT(studname, studpwd) FROM stud WHERE spkey = 'N1234'").toString(),
                 QStringLiteral("陳\"大\"文N1234"));
        QCOMPARE(form->tblStudent->field("spkey")->asString(), QStringLiteral("N0000"));
        }

        // The import's own connection goes through a relay. "insert": it is dropped once the first
        // batch has run on the server, which undoes the transaction, and the user is told nothing was
        // kept. "commit": the COMMIT reaches the server, which carries it out, and the program's side
        // goes before the reply; the import looks, finds every row kept, and says so.
        void lostConnection_data()
        {
            QTest::addColumn<bool>("atCommit");
            QTest::newRow("insert") << false;
            QTest::newRow("commit") << true;
        }
        void lostConnection()
        {
            QFETCH(bool, atCommit);
            auto* form = openWindow<StudentWindow>();
            QByteArray csv = "spkey,studname\r\n";
            for (int i = 0; i < 1500; ++i)
                csv += "L" + QByteArray::number(i) + ",x\r\n";
            const QString path = TestFiles::write(m_dir.filePath("lost.csv"), csv);
            const QByteArray serverPort = qgetenv("RYN_DB_PORT");
            WireTap tap(serverPort.toInt());
            if (atCommit)
                tap.dropProgramAfterSending("COMMIT");
            else
                tap.cutAfterExecuting("INSERT INTO stud");
            qputenv("RYN_DB_PORT", QByteArray::number(tap.port()));
            DialogSeam::queueAnswer(Win::IDOK); // the error box or the notice
            import(form, path, [](ImportPreview* p) { return p->btnImport->isEnabled();
        });
        qputenv("RYN_DB_PORT", serverPort);
        QVERIFY(tap.cutDone());
        if (atCommit)
            QCOMPARE(TestSupport::promptTexts().last(), Msg::importFoundAfterLoss(1500));
        else
            QVERIFY(TestSupport::promptTexts().last().startsWith("匯入失敗，已全部取消，資料庫沒有任何變更。"));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM stud WHERE spkey LIKE 'L%'").toInt(), atCommit ? 1500 : 0);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM stud").toInt(), atCommit ? 1504 : 4);
        }

        void topUpsWithTokensBrowseOnly()
        {
            m_session.account = QStringLiteral("staff");
            auto* form = openWindow<StudClassWindow>();
            auto* action = form->findChild<ImportAction*>();
            click(form->btnAdd);
            QVERIFY(!action->allowed()); // only while browsing
            click(form->btnCancel);
            QVERIFY(action->allowed());
            const QString path = m_dir.filePath("topups.csv");
            TestFiles::write(
                path,
                "\xEF\xBB\xBF學號,班級名稱,加、扣點數,學生姓名\r\nA001,excel 入門,,陳大文\r\nA002,網頁設計,-5,\r\n");
            DialogSeam::queueAnswer(Win::IDOK);
        import(form, path, [](ImportPreview* p) { return p->btnImport->isEnabled();
        });
        QCOMPARE(SandboxDb::scalar("SELECT GROUP_CONCAT(CONCAT(spkey, crpkey, ':', watchpoint, uid) ORDER BY scpkey) "
                                   "FROM studclass WHERE scpkey > 5")
                     .toString(),
                 QStringLiteral("A0011:100staff,A0023:-5staff"));
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(*) FROM booking_token t JOIN studclass s USING (scpkey) "
                                   "WHERE LENGTH(t.token) = 16")
                     .toInt(),
                 2);
        QCOMPARE(form->tblStudClass->field("studname")->asString(), QStringLiteral("陳大文"));
        }
        }
        ;

        RYN_TEST_MAIN(TestImport)
#include "tst_import.moc"
