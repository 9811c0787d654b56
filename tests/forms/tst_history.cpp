// The history in the windows: Ctrl+H and the grids' context menu show the current row's changes in
// a modal list, newest first, with the account that made them; a row not saved yet has none; the
// whole history for administrators, filtered, a deleted row seen whole and exported like any grid.

#include "controls/dbgrid.h"
#include "controls/dbedit.h"
#include "controls/gridexport.h"
#include "data/connection.h"
#include "data/snapshottable.h"
#include "formdriver.h"
#include "forms/historywindow.h"
#include "forms/studclasswindow.h"
#include "forms/studentwindow.h"
#include "forms/rowhistory.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <memory>

using namespace FormDriver;

namespace {
// The rows of a grid, each its shown cells joined by " | ", from the given columns.
QStringList rows(DBGrid* grid, const QList<int>& columns)
{
    QStringList list;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c : columns)
            cells << grid->model()->index(r, c).data().toString();
        list << cells.join(QStringLiteral(" | "));
    }
    return list;
}

// Opens the row history by what triggers it, and gives back what the modal list showed.
QStringList historyShown(const std::function<void()>& trigger, QString* title = nullptr)
{
    QStringList shown;
    TestSupport::runWhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<RowHistoryDialog*>(modal);
        if (!dialog)
            qFatal("The modal window is not the row history");
        if (title)
            *title = dialog->windowTitle();
        // account, action, column, old, new
        shown = rows(dialog->grdHistory, {1, 2, 3, 4, 5});
        dialog->btnClose->click();
    });
    trigger();
    return shown;
}

void pressCtrlH(QWidget* target)
{
    QTest::keyClick(target, Qt::Key_H, Qt::ControlModifier);
}
} // namespace

class TestHistoryWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<Connection> m_conn;

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init()
    {
        SandboxDb::reseed();
        SandboxDb::loadHistory();
        DialogSeam::clear();
        m_conn.reset(SandboxDb::programConnection(nullptr));
        m_conn->setAccount(QStringLiteral("staff"));
    }
    void cleanup()
    {
        m_conn.reset();
        QCOMPARE(DialogSeam::pending(), 0);
    }

    // A clerk changes a student's name; the student's list shows it with the clerk's account, the
    // old and the new name, newest first, and the key of the row in the title.
    void studentNameChangedThenCtrlH()
    {
        auto form = std::make_unique<StudentWindow>(m_conn.get());
        show(form.get());
        QVERIFY(form->tblStudent->locate(QStringLiteral("spkey"), QStringLiteral("A001")));
        click(form->btnEdit);
        typeInto(form->txtStudName, QStringLiteral("陳大同"));
        click(form->btnPost);
        SandboxDb::exec(QStringLiteral("UPDATE history SET changed = changed - INTERVAL 1 SECOND"));
        click(form->btnEdit);
        typeInto(form->txtStudName, QStringLiteral("陳大中"));
        click(form->btnPost);
        QCOMPARE(form->tblStudent->state(), DataSetState::Browse);

        form->grdStudent->setFocus();
        QString title;
        QCOMPARE(
            historyShown([&] { pressCtrlH(form->grdStudent); }, &title),
            QStringList({"staff | 修改 | 學生姓名 | 陳大同 | 陳大中", "staff | 修改 | 學生姓名 | 陳大文 | 陳大同"}));
        QCOMPARE(title, QStringLiteral("歷史記錄 - 學生 A001"));
        // Another row has its own list: nothing changed there.
        QVERIFY(form->tblStudent->locate(QStringLiteral("spkey"), QStringLiteral("A002")));
        QCOMPARE(historyShown([&] { pressCtrlH(form->grdStudent); }), QStringList());
    }

    // A booking's list from the grid's context menu: the row written whole when it was added.
    void bookingFromTheContextMenu()
    {
        QSqlQuery insert(m_conn->database());
        QVERIFY(insert.prepare(QStringLiteral(
            "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES (?, 'A003', 2, 30, 'staff')")));
        insert.addBindValue(QDateTime(QDate(2026, 12, 8), QTime(15, 0)));
        QVERIFY(insert.exec());
        const qlonglong key = insert.lastInsertId().toLongLong();
        auto form = std::make_unique<StudClassWindow>(m_conn.get(), Session());
        show(form.get());
        QVERIFY(form->tblStudClass->locate(QStringLiteral("scpkey"), key));

        // The window's own item follows the grid's items, after a separator.
        QMenu* menu = form->grdStudClass->makeContextMenu(form.get());
        QStringList items;
        for (QAction* a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        const qsizetype at = items.indexOf(QStringLiteral("mitRowHistory"));
        QVERIFY2(items.indexOf(QStringLiteral("-")) >= 0 && at > items.indexOf(QStringLiteral("-")),
                 qPrintable(items.join(QLatin1Char(' '))));
        QAction* item = menu->actions().at(at);
        QCOMPARE(item->text(), QStringLiteral("歷史記錄 (&H)\tCtrl+H"));
        menu->close();
        QCOMPARE(historyShown([&] { item->trigger(); }),
                 QStringList({"staff | 新增 | 主鍵 |  | " + QString::number(key),
                              "staff | 新增 | 儲值日期 |  | 2026-12-08 15:00:00", "staff | 新增 | 學號 |  | A003",
                              "staff | 新增 | 班級代號 |  | 2", "staff | 新增 | 加、扣點數 |  | 30",
                              "staff | 新增 | 承辦人 |  | staff"}));
    }

    // Ctrl+H over an edit box while a row is being added: the box does not take the key, and the
    // user hears that the row has no history yet.
    void newRowHasNone()
    {
        auto form = std::make_unique<StudentWindow>(m_conn.get());
        show(form.get());
        click(form->btnAdd);
        QCOMPARE(focused(), form->txtSpkey);
        typeText(form->txtSpkey, "C9");
        DialogSeam::queueAnswer(Win::IDOK);
        pressCtrlH(form->txtSpkey);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("這筆記錄還沒有儲存，沒有歷史記錄"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONASTERISK));
        QCOMPARE(form->txtSpkey->text(), QStringLiteral("C9"));
        click(form->btnCancel);
    }

    // The whole history: by table, account and text; a deleted student found by its name is seen
    // whole; the list exports like any grid.
    void wholeHistoryFilteredAndExported()
    {
        m_conn->execute(QStringLiteral("DELETE FROM stud WHERE spkey = 'B001'"));
        SandboxDb::exec(QStringLiteral("UPDATE history SET changed = changed - INTERVAL 1 SECOND"));
        m_conn->setAccount(QStringLiteral("admin"));
        m_conn->execute(QStringLiteral("UPDATE classroom SET teacher = '黃老師' WHERE crpkey = 3"));
        auto form = std::make_unique<HistoryWindow>(m_conn.get());
        show(form.get());
        QCOMPARE(form->qryHistory->recordCount(), 4);
        QCOMPARE(form->statusBar->currentMessage(), QStringLiteral("共 4 筆異動"));

        typeInto(form->txtText, QStringLiteral("小華"));
        click(form->btnQuery);
        // account, action, table, key, column, old
        QCOMPARE(
            rows(form->grdHistory, {1, 2, 3, 4, 5, 6}),
            QStringList({"staff | 刪除 | 學生 | B001 | 學號 | B001", "staff | 刪除 | 學生 | B001 | 學生姓名 | 黃小華",
                         "staff | 刪除 | 學生 | B001 | 密碼 | b001pw"}));
        form->txtText->clear();
        form->txtAccount->setText(QStringLiteral("admin"));
        form->cboTable->setCurrentIndex(form->cboTable->findData(QStringLiteral("classroom")));
        QCOMPARE(form->cboTable->currentText(), QStringLiteral("班級"));
        form->txtAccount->setFocus();
        QTest::keyClick(form->txtAccount, Qt::Key_Return);
        QCOMPARE(rows(form->grdHistory, {1, 3, 5, 6, 7}), QStringList({"admin | 班級 | 講師 | 周老師 | 黃老師"}));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.csv"));
        DialogSeam::queueFileName(path);
        QVERIFY(TestSupport::exportAndWait(form->grdHistory, GridExport::Format::Csv));
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).remove(QChar(0xFEFF)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.value(0), QStringLiteral("時間,帳號,動作,資料表,鍵值,欄位,原值,新值,資料庫帳號"));
        QVERIFY2(lines.value(1).contains(QStringLiteral(",admin,修改,班級,3,講師,周老師,黃老師,ryn@")),
                 qPrintable(lines.value(1)));
    }
};

RYN_TEST_MAIN(TestHistoryWindows)
#include "tst_history.moc"
