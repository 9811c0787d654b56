#include "mainwindow.h"

#include "app/aboutdialog.h"
#include "forms/changepasswordwindow.h"
#include "ui/uilanguage.h"
#include "data/connection.h"
#include "platform/serversettings.h"
#include "forms/classroomwindow.h"
#include "forms/corpwindow.h"
#include "forms/coursewindow.h"
#include "forms/historywindow.h"
#include "forms/dayclosewindow.h"
#include "forms/lowbalancewindow.h"
#include "forms/statisticswindow.h"
#include "forms/studentwindow.h"
#include "forms/userwindow.h"
#include "forms/studclasswindow.h"
#include "forms/watchlogwindow.h"
#include "ui/transferwindow.h"
#include "ui/framekeys.h"
#include "ui/guard.h"
#include "ui/mdiarrange.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <utility>

namespace {

QMenu* menu(QWidget* parent, const char* name, const QString& caption)
{
    auto* m = new QMenu(caption, parent);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
    return m;
}

QAction* item(QMenu* parentMenu, QObject* owner, const char* name, const QString& caption)
{
    auto* a = new QAction(caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    parentMenu->addAction(a);
    return a;
}

QLabel* hiddenLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->hide();
    return label;
}
} // namespace

MainWindow::MainWindow(const Session& session, QWidget* parent)
    : QMainWindow(parent)
    , session(session)
{
    setObjectName(QStringLiteral("frmRynMain"));
    setWindowTitle(QStringLiteral("Korvel線上補課後台管理"));
    conn = new Connection(this);
    conn->setObjectName(QStringLiteral("conn"));
    conn->setConnectionString(layoutConnectionString());
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea);
    buildMenus();
    new FrameKeys(this, mdiArea);
    lblRestart = hiddenLabel(this, "lblRestart", QStringLiteral("請關閉程式再重新啟動"));
    lblCloseQuery = hiddenLabel(this, "lblCloseQuery", QStringLiteral("確定結束本系統?"));
    lblExit = hiddenLabel(this, "lblExit", QStringLiteral("結束"));

    languageController = attachLanguageController(this);
    guarded([this] { loadLanguageAndConnect(); });
    // A non-administrator never sees user management nor the whole history, also when the
    // connection could not be opened.
    if (!session.isAdmin) {
        mitUser->setVisible(false);
        mitHistory->setVisible(false);
    }
}

MainWindow::~MainWindow()
{
    // Children go first: their tables still use the connection while they are destroyed.
    delete mdiArea;
    mdiArea = nullptr;
}

void MainWindow::buildMenus()
{
    mitBasic = menu(this, "mitBasic", QStringLiteral("基本資料管理 (&S)"));
    mitStudent = item(mitBasic, this, "mitStudent", QStringLiteral("學生管理 (&S)"));
    mitClassroom = item(mitBasic, this, "mitClassroom", QStringLiteral("班級管理 (&R)"));
    mitCourse = item(mitBasic, this, "mitCourse", QStringLiteral("課程管理 (&C)"));
    mitBasic->addSeparator();
    mitBuy = item(mitBasic, this, "mitBuy", QStringLiteral("加、扣點數 (&B)"));
    mitQuery = item(mitBasic, this, "mitQuery", QStringLiteral("點數查詢 (&Q)"));
    mitStatistics = item(mitBasic, this, "mitStatistics", QStringLiteral("營運統計 (&T)"));
    mitDayClose = item(mitBasic, this, "mitDayClose", QStringLiteral("日結 (&D)"));
    mitLowBalance = item(mitBasic, this, "mitLowBalance", QStringLiteral("點數不足 (&L)"));
    mitBasic->addSeparator();
    mitCorp = item(mitBasic, this, "mitCorp", QStringLiteral("公司基本資料及預設值 (&O)"));
    mitLang = menu(this, "mitLang", QStringLiteral("語言"));
    mitBasic->addMenu(mitLang);
    m_langGroup = new QActionGroup(this);
    mitTW = item(mitLang, this, "mitTW", QStringLiteral("正體中文"));
    mitCN = item(mitLang, this, "mitCN", QStringLiteral("简体中文"));
    for (QAction* a : {mitTW, mitCN}) {
        a->setCheckable(true);
        m_langGroup->addAction(a);
    }
    mitTW->setChecked(true);
    mitUser = item(mitBasic, this, "mitUser", QStringLiteral("使用者管理 (&U)"));
    mitHistory = item(mitBasic, this, "mitHistory", QStringLiteral("異動記錄 (&G)"));
    mitPassword = item(mitBasic, this, "mitPassword", QStringLiteral("變更密碼 (&P)"));
    mitBasic->addSeparator();
    mitExit = item(mitBasic, this, "mitExit", QStringLiteral("結束 (&X)"));
    mitExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mitExit->setShortcutContext(Qt::ApplicationShortcut);

    mitWindow = menu(this, "mitWindow", QStringLiteral("視窗管理 (&W)"));
    mitWindow->addSeparator();
    mitCascade = item(mitWindow, this, "mitCascade", QStringLiteral("重疊顯示"));
    mitHorizontal = item(mitWindow, this, "mitHorizontal", QStringLiteral("水平並排"));
    mitVertical = item(mitWindow, this, "mitVertical", QStringLiteral("垂直並排"));
    mitIcon = item(mitWindow, this, "mitIcon", QStringLiteral("排列圖示"));
    mitCloseAll = item(mitWindow, this, "mitCloseAll", QStringLiteral("關閉所有視窗"));
    connect(mitWindow, &QMenu::aboutToShow, this, &MainWindow::listChildWindows);

    mitHelp = menu(this, "mitHelp", QStringLiteral("輔助說明 (&H)"));
    mitAbout = item(mitHelp, this, "mitAbout", QStringLiteral("產品資訊 (&A)"));

    menuBar()->addMenu(mitBasic);
    menuBar()->addMenu(mitWindow);
    menuBar()->addMenu(mitHelp);

    onEvent(mitStudent, &QAction::triggered, this, &MainWindow::mitStudentClick);
    onEvent(mitClassroom, &QAction::triggered, this, &MainWindow::mitClassroomClick);
    onEvent(mitCorp, &QAction::triggered, this, &MainWindow::mitCorpClick);
    onEvent(mitUser, &QAction::triggered, this, &MainWindow::mitUserClick);
    onEvent(mitPassword, &QAction::triggered, this, &MainWindow::mitPasswordClick);
    onEvent(mitCourse, &QAction::triggered, this, &MainWindow::mitCourseClick);
    onEvent(mitBuy, &QAction::triggered, this, &MainWindow::mitBuyClick);
    onEvent(mitQuery, &QAction::triggered, this, &MainWindow::mitQueryClick);
    onEvent(mitStatistics, &QAction::triggered, this, &MainWindow::mitStatisticsClick);
    onEvent(mitHistory, &QAction::triggered, this, &MainWindow::mitHistoryClick);
    onEvent(mitDayClose, &QAction::triggered, this, &MainWindow::mitDayCloseClick);
    onEvent(mitLowBalance, &QAction::triggered, this, &MainWindow::mitLowBalanceClick);
    onEvent(mitExit, &QAction::triggered, this, &MainWindow::mitExitClick);
    onEvent(mitCascade, &QAction::triggered, this, &MainWindow::mitCascadeClick);
    onEvent(mitHorizontal, &QAction::triggered, this, &MainWindow::mitHorizontalClick);
    onEvent(mitVertical, &QAction::triggered, this, &MainWindow::mitVerticalClick);
    onEvent(mitIcon, &QAction::triggered, this, &MainWindow::mitIconClick);
    onEvent(mitCloseAll, &QAction::triggered, this, &MainWindow::mitCloseAllClick);
    onEvent(mitAbout, &QAction::triggered, this, &MainWindow::mitAboutClick);
    for (QAction* a : {mitTW, mitCN})
        onEvent(a, &QAction::triggered, this, [this, a] { mitLangClick(a); });
}

void MainWindow::loadLanguageAndConnect()
{
    registerLanguageFiles();
    // As in the login dialog: an unreadable language file must not leave the windows without
    // their connection.
    guarded([this] { readUiLanguage(); });
    conn->setConnectionString(programConnectionString());
    conn->setAccount(session.account);
    conn->open();
}

void MainWindow::readUiLanguage()
{
    if (applyStartupLanguage())
        mitTW->setChecked(true);
    else
        mitCN->setChecked(true);
}

void MainWindow::setDefaultLanguage(const QString& caption)
{
    QString choice;
    if (caption == QStringLiteral("正體中文") || caption == QStringLiteral("正体中文")) {
        choice = QStringLiteral("tw");
        mitTW->setChecked(true);
    } else {
        choice = QStringLiteral("cn");
        mitCN->setChecked(true);
    }
    storeLanguageChoice(choice);
    showNotice(lblRestart->text());
}

void MainWindow::mitLangClick(QAction* item)
{
    setDefaultLanguage(item->text());
}

QMdiSubWindow* MainWindow::addChild(QWidget* form)
{
    const bool fixedBorder = form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
    QMdiSubWindow* sub = mdiArea->addSubWindow(form);
    // The frame that holds the form inside the main window keeps its fixed border.
    if (fixedBorder)
        sub->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    sub->setWindowIcon(form->windowIcon());
    sub->showMaximized();
    mdiArea->setActiveSubWindow(sub);
    return sub;
}

void MainWindow::raiseChild(QMdiSubWindow* sub)
{
    sub->show();
    mdiArea->setActiveSubWindow(sub);
    sub->raise();
    if (sub->isMinimized()) {
        if (sub->windowFlags() & Qt::WindowMaximizeButtonHint)
            sub->showMaximized();
        else
            sub->showNormal();
    }
}

void MainWindow::mitStudentClick()
{
    bringUpChild<StudentWindow>([this] { return new StudentWindow(conn); });
}

void MainWindow::mitClassroomClick()
{
    bringUpChild<ClassroomWindow>([this] { return new ClassroomWindow(conn); });
}

void MainWindow::mitCorpClick()
{
    bringUpChild<CorpWindow>([this] { return new CorpWindow(conn); });
}

void MainWindow::mitUserClick()
{
    bringUpChild<UserWindow>([this] { return new UserWindow(conn); });
}

void MainWindow::mitPasswordClick()
{
    bringUpChild<ChangePasswordWindow>([this] { return new ChangePasswordWindow(conn, session); });
}

void MainWindow::mitCourseClick()
{
    bringUpChild<CourseWindow>([this] { return new CourseWindow(conn, session); });
}

void MainWindow::mitBuyClick()
{
    bringUpChild<StudClassWindow>([this] { return new StudClassWindow(conn, session); });
}

void MainWindow::mitQueryClick()
{
    bringUpChild<WatchLogWindow>([this] { return new WatchLogWindow(conn, session); });
}

void MainWindow::mitStatisticsClick()
{
    bringUpChild<StatisticsWindow>([this] { return new StatisticsWindow(conn); });
}

void MainWindow::mitHistoryClick()
{
    if (session.isAdmin)
        bringUpChild<HistoryWindow>([this] { return new HistoryWindow(conn); });
}

void MainWindow::mitDayCloseClick()
{
    bringUpChild<DayCloseWindow>([this] { return new DayCloseWindow(conn); });
}

void MainWindow::mitLowBalanceClick()
{
    bringUpChild<LowBalanceWindow>([this] { return new LowBalanceWindow(conn); });
}

void MainWindow::mitExitClick()
{
    close();
}

void MainWindow::mitCascadeClick()
{
    mdiArea->cascadeSubWindows();
}

void MainWindow::mitHorizontalClick()
{
    tileSubWindows(mdiArea, TileMode::Horizontal);
}

void MainWindow::mitVerticalClick()
{
    tileSubWindows(mdiArea, TileMode::Vertical);
}

void MainWindow::mitIconClick()
{
    arrangeIcons(mdiArea);
}

void MainWindow::mitCloseAllClick()
{
    // A window whose transfer runs closes only after the one question and once it has stopped.
    const QList<TransferWindow*> running = runningTransfers(childForms());
    if (!running.isEmpty()) {
        if (!askToStopTransfers(this, running))
            return;
        const QPointer<MainWindow> self(this);
        stopTransfers(running, [self] {
            if (self)
                self->closeAllNow();
        });
        return;
    }
    closeAllNow();
}

void MainWindow::closeAllNow()
{
    // Freed without their closing handlers: an unsaved row in any of them is dropped.
    for (QMdiSubWindow* sub : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        // Hidden first, so that the box with the focus is left as its window goes and stores nothing.
        sub->hide();
        delete sub;
    }
}

QList<QWidget*> MainWindow::childForms() const
{
    QList<QWidget*> forms;
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (sub->widget())
            forms << sub->widget();
    return forms;
}

void MainWindow::mitAboutClick()
{
    AboutDialog frmAbout(this);
    frmAbout.exec();
}

void MainWindow::listChildWindows()
{
    qDeleteAll(m_windowList);
    m_windowList.clear();
    const QList<QMdiSubWindow*> windows = mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_windowList << mitWindow->addSeparator();
    int n = 0;
    for (QMdiSubWindow* sub : windows) {
        QAction* a = mitWindow->addAction(QStringLiteral("&%1 %2").arg(++n).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == mdiArea->activeSubWindow());
        onEvent(a, &QAction::triggered, this, [this, sub] {
            if (mdiArea->subWindowList().contains(sub))
                raiseChild(sub);
        });
        m_windowList << a;
    }
}

bool MainWindow::mayClose()
{
    return showMessageBox(this, lblCloseQuery->text(), lblExit->text(),
                          Win::MB_OKCANCEL | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2)
           == Win::IDOK;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Once transfers were stopped on the user's word, the program ends without asking again.
    if (m_endAfterTransfers) {
        event->accept();
        return;
    }
    const QList<TransferWindow*> running = runningTransfers(childForms());
    if (!running.isEmpty()) {
        event->ignore();
        bool stop = false;
        guarded([&] { stop = askToStopTransfers(this, running); });
        if (!stop)
            return;
        const QPointer<MainWindow> self(this);
        stopTransfers(running, [self] {
            if (!self)
                return;
            self->m_endAfterTransfers = true;
            self->close();
        });
        return;
    }
    bool canClose = false;
    guarded([&] { canClose = mayClose(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}
