#include "data/connection.h"
#include "forms/classroomwindow.h"
#include "forms/dayclosewindow.h"
#include "forms/historywindow.h"
#include "forms/lowbalancewindow.h"
#include "forms/recordwindow.h"
#include "forms/studentwindow.h"
#include "formdriver.h"
#include "forms/statisticswindow.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"
#include "testsupport.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

// The windows that show figures and edit no table are child windows: they have Exit and their own
// buttons, no record buttons whose handlers would need a table, and the record keys do nothing there.
class TestChildWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<Connection> m_conn;

    ChildWindow* make(const QString& name)
    {
        const QList<std::pair<QString, std::function<ChildWindow*(Connection*)>>> windows{
            {"frmStatistics", [](Connection* c) { return new StatisticsWindow(c); }},
            {"frmDayClose", [](Connection* c) { return new DayCloseWindow(c); }},
            {"frmLowBalance", [](Connection* c) { return new LowBalanceWindow(c); }},
            {"frmHistory", [](Connection* c) { return new HistoryWindow(c); }}};
        for (const auto& [windowName, create] : windows)
            if (windowName == name)
                return create(m_conn.get());
        return nullptr;
    }

private slots:
    void initTestCase() { SandboxDb::require(); }
    void init()
    {
        DialogSeam::clear();
        m_conn.reset(SandboxDb::programConnection(nullptr));
    }
    void cleanup()
    {
        m_conn.reset();
        QCOMPARE(DialogSeam::pending(), 0);
    }

    void noRecordActions_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"frmStatistics", "frmDayClose", "frmLowBalance", "frmHistory"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void noRecordActions()
    {
        QFETCH(QString, name);
        QPointer<ChildWindow> window = make(name);
        QVERIFY(window);
        QCOMPARE(window->objectName(), name);
        QVERIFY(!qobject_cast<RecordWindow*>(window.data()));
        FormDriver::show(window);
        for (const char* button : {"btnAdd", "btnEdit", "btnPost", "btnCancel", "btnDelete"})
            QVERIFY2(!window->findChild<QPushButton*>(button), button);
        QVERIFY(window->btnExit->isVisible());
        QCOMPARE(window->btnExit->pos(), QPoint(0, 0));

        // The letters of the record buttons and Ctrl+S reach nothing that would need a table.
        for (Qt::Key key : {Qt::Key_A, Qt::Key_E, Qt::Key_S, Qt::Key_C, Qt::Key_D})
            QTest::keyClick(window, key, Qt::AltModifier);
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(DialogSeam::prompts().isEmpty());

        // Esc still presses Exit, and the window frees itself.
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.data(), Qt::Key_Escape);
        QTRY_VERIFY(!window);
    }

    // A window of figures opens, in the main window's area as the menu opens it, with the focus in
    // the box that chooses what it shows, so that the keyboard starts there and not on 結束.
    void figureWindowOpensOnItsFirstBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("box");
        QTest::newRow("statistics") << QStringLiteral("frmStatistics") << QStringLiteral("cboMonth");
        QTest::newRow("day's close") << QStringLiteral("frmDayClose") << QStringLiteral("dteDay");
        QTest::newRow("low balance") << QStringLiteral("frmLowBalance") << QStringLiteral("spnThreshold");
        QTest::newRow("history") << QStringLiteral("frmHistory") << QStringLiteral("dtpFrom");
    }

    void figureWindowOpensOnItsFirstBox()
    {
        QFETCH(QString, name);
        QFETCH(QString, box);
        QMdiArea area;
        FormDriver::show(&area);
        QPointer<ChildWindow> window = make(name);
        QVERIFY(window);
        QWidget* first = window->findChild<QWidget*>(box);
        QVERIFY(first);
        QMdiSubWindow* sub = area.addSubWindow(window);
        sub->showMaximized();
        area.setActiveSubWindow(sub);
        QTRY_VERIFY(FormDriver::focused()
                    && (FormDriver::focused() == first || first->isAncestorOf(FormDriver::focused())));
        // Exit stays where it was in the chain: one Shift+Tab back.
        QTest::keyClick(FormDriver::focused(), Qt::Key_Backtab);
        QCOMPARE(FormDriver::focused(), window->btnExit);
    }

    // A record window opens with the focus on its first button, 新增, as before Exit moved into the
    // frame that every child window shares; Tab then walks the buttons from left to right.
    void recordWindowOpensOnItsFirstButton_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("students") << QStringLiteral("frmStudent");
        QTest::newRow("classes") << QStringLiteral("frmClassroom");
    }

    void recordWindowOpensOnItsFirstButton()
    {
        QFETCH(QString, name);
        std::unique_ptr<RecordWindow> window;
        if (name == QLatin1String("frmStudent"))
            window = std::make_unique<StudentWindow>(m_conn.get());
        else
            window = std::make_unique<ClassroomWindow>(m_conn.get());
        QCOMPARE(window->objectName(), name);
        FormDriver::show(window.get());
        QTRY_COMPARE(FormDriver::focused(), window->btnAdd);
        for (QPushButton* next : {window->btnEdit, window->btnDelete, window->btnExit}) {
            QTest::keyClick(FormDriver::focused(), Qt::Key_Tab);
            QCOMPARE(FormDriver::focused(), next);
        }
    }
};

RYN_TEST_MAIN(TestChildWindow)
#include "tst_childwindow.moc"
