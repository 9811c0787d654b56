// Renders every window of the program off screen against the demo data of the private servers, for
// README: screenshots OUTDIR. scripts/screenshots starts the servers, runs this and shrinks the files.

#include "app/appsetup.h"
#include "app/aboutdialog.h"
#include "app/logindialog.h"
#include "app/mainwindow.h"
#include "session/session.h"
#include "controls/dbgrid.h"
#include "data/snapshottable.h"
#include "formdriver.h"
#include "forms/corpwindow.h"
#include "forms/dayclosewindow.h"
#include "forms/lowbalancewindow.h"
#include "forms/statisticswindow.h"
#include "forms/watchlogwindow.h"
#include "platform/dialogseam.h"
#include "platform/inifile.h"
#include "print/receiptdesk.h"
#include "sandboxdb.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
QString s_out;

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void save(const QImage& image, const char* name)
{
    const QString path = s_out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (!image.save(path))
        qFatal("Cannot write %s", qPrintable(path));
    qInfo("%s", qPrintable(path));
}

void save(QWidget* widget, const char* name)
{
    settle();
    save(widget->grab().toImage(), name);
}

template <typename T> T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("No %s", name);
    return found;
}

/// The main window with one child window brought up by its menu item.
QWidget* bringUp(MainWindow& main, QAction* item, const char* formName)
{
    item->trigger();
    settle();
    return child<QWidget>(main.mdiArea, formName);
}

void closeChildren(MainWindow& main)
{
    main.mitCloseAll->trigger();
    settle();
}

/// The main window with its first menu open, the menu drawn where it opens.
void mainWithMenu(MainWindow& main)
{
    settle();
    QImage shot = main.grab().toImage();
    const QRect item = main.menuBar()->actionGeometry(main.mitBasic->menuAction());
    main.mitBasic->popup(main.menuBar()->mapToGlobal(item.bottomLeft()));
    settle();
    QPainter painter(&shot);
    painter.drawImage(main.mapFromGlobal(main.mitBasic->pos()), main.mitBasic->grab().toImage());
    painter.end();
    main.mitBasic->hide();
    save(shot, "main");
}

/// The course window halfway through sending a video of a class's new course.
void courseUploading(MainWindow& main, const QString& video)
{
    QWidget* form = bringUp(main, main.mitCourse, "frmCourse");
    FormDriver::click(child<QPushButton>(form, "btnAdd"));
    FormDriver::typeInto(child<QWidget>(form, "txtCourseName"), QStringLiteral("Excel 樞紐分析"));
    DialogSeam::queueFileName(video);
    DialogSeam::queueAnswer(1); // "上傳完畢"
    bool taken = false;
    auto* timer = new QTimer(form);
    QObject::connect(timer, &QTimer::timeout, [&] {
        const QString caption = form->windowTitle() + main.windowTitle();
        if (taken || !caption.contains(QLatin1Char('%')))
            return;
        taken = true;
        save(main.grab().toImage(), "courses");
    });
    timer->start(20);
    // The video travels on a thread of its own: the click returns at once, and the picture is
    // taken while the window counts; the end's message is answered before the window closes.
    FormDriver::click(child<QPushButton>(form, "btnUpload"));
    if (!QTest::qWaitFor([&] { return taken; }, 60000))
        qFatal("The transfer ended before a picture of it was taken");
    if (!QTest::qWaitFor([] { return DialogSeam::pending() == 0; }, 120000))
        qFatal("The transfer did not end");
    closeChildren(main);
}

void pointQueryWithBalance(MainWindow& main)
{
    QWidget* form = bringUp(main, main.mitQuery, "frmWatchlog");
    auto* students = child<DBGrid>(form, "grdStud");
    auto* table = child<SnapshotTable>(form, "tblStud");
    if (!table->locate(QStringLiteral("spkey"), QStringLiteral("A003")))
        qFatal("No student A003 in the demo data");
    students->setFocus();
    students->setCurrentIndex(students->model()->index(table->recNo(), 0));
    settle();
    QTest::qWait(200);
    save(&main, "pointquery");
    closeChildren(main);
}

// A student's statement as PDF, with the company's logo fetched by the company window; scripts/screenshots
// renders its first page.
void statement(MainWindow& main)
{
    auto* form = qobject_cast<WatchLogWindow*>(bringUp(main, main.mitQuery, "frmWatchlog"));
    if (!form->tblStud->locate(QStringLiteral("spkey"), QStringLiteral("A003")))
        qFatal("No student A003 in the demo data");
    settle();
    QTest::qWait(200);
    DialogSeam::queueFileName(s_out + QStringLiteral("/statement.pdf"));
    if (form->btnPdfClick() != 1)
        qFatal("The statement was not written");
    qInfo("%s", qPrintable(s_out + QStringLiteral("/statement.pdf")));
    closeChildren(main);
}

// The statistics window over a year of generated bookings and viewings beside the demo rows.
void statistics(MainWindow& main)
{
    SandboxDb::exec(QStringLiteral(
        "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) SELECT '2025-12-01' + INTERVAL seq * 61 HOUR, "
        "ELT(1 + seq % 4, 'A001', 'A002', 'A003', 'B001'), 1 + seq % 3, 100 + 50 * (seq % 5), 'admin' FROM "
        "seq_1_to_140"));
    SandboxDb::exec(QStringLiteral("INSERT INTO watchlog (cpkey, spkey, point, begintime) SELECT 1 + (seq * seq) % 4, "
                                   "ELT(1 + seq % (2 + seq % 3), 'A001', 'A002', 'A003', 'B001'), -(5 + seq % 4), "
                                   "'2025-12-01' + INTERVAL seq * 11 HOUR FROM seq_1_to_790"));
    auto* form = qobject_cast<StatisticsWindow*>(bringUp(main, main.mitStatistics, "frmStatistics"));
    form->chooseMonth(QDate(2026, 11, 1));
    form->btnRefreshClick();
    // The charts free their old axes' pictures later; without the program's event loop, now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    save(form->window(), "statistics");
    closeChildren(main);
}

// A top-up's receipt as PDF (a reprint, after the first), with the logo the company window fetched;
// scripts/screenshots renders it.
void receipt(MainWindow& main)
{
    const qint64 key =
        SandboxDb::scalar(QStringLiteral("SELECT MIN(scpkey) FROM studclass WHERE spkey = 'A003'")).toLongLong();
    for (const char* name : {"/receipt-first.pdf", "/receipt.pdf"}) {
        DialogSeam::queueFileName(s_out + QLatin1String(name));
        if (ReceiptDesk::writePdf(&main, main.conn, main.session.account, key, CorpWindow::localLogoPath(),
                                  QStringLiteral("PDF"))
            == 0)
            qFatal("The receipt was not written");
    }
    QFile::remove(s_out + QStringLiteral("/receipt-first.pdf"));
    qInfo("%s", qPrintable(s_out + QStringLiteral("/receipt.pdf")));
}

// The day's close of a day with bookings by two accounts, and the students running out of points.
void dayCloseAndLowBalance(MainWindow& main)
{
    SandboxDb::exec(QStringLiteral(
        "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
        "('2026-12-05 09:10:00', 'A001', 1, 100, 'staff'), ('2026-12-05 09:45:00', 'A002', 2, 200, 'admin'), "
        "('2026-12-05 11:20:00', 'B001', 3, 150, 'staff'), ('2026-12-05 14:05:00', 'A003', 1, -20, 'staff'), "
        "('2026-12-05 16:30:00', 'A002', 3, 150, 'staff'), ('2026-12-05 17:50:00', 'B001', 1, -5, 'admin')"));
    auto* day = qobject_cast<DayCloseWindow*>(bringUp(main, main.mitDayClose, "frmDayClose"));
    day->chooseDay(QDate(2026, 12, 5));
    settle();
    save(day->window(), "dayclose");
    closeChildren(main);
    SandboxDb::exec(QStringLiteral(
        "INSERT INTO stud (spkey, studname, studpwd) VALUES ('C101', '吳佳穎', 'x'), ('C102', '蔡承翰', 'x'), "
        "('C103', '鄭雅婷', 'x')"));
    SandboxDb::exec(QStringLiteral(
        "INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES "
        "('2026-11-20 10:00:00', 'C101', 1, 100, 'staff'), ('2026-11-21 10:00:00', 'C102', 1, 100, 'staff'), "
        "('2026-11-22 10:00:00', 'C103', 2, 200, 'admin')"));
    SandboxDb::exec(QStringLiteral(
        "INSERT INTO watchlog (cpkey, spkey, point, begintime) SELECT 1, 'C101', -8, '2026-11-23' + INTERVAL seq DAY "
        "FROM seq_1_to_12 UNION ALL SELECT 3, 'C102', -10, '2026-11-23' + INTERVAL seq DAY FROM seq_1_to_10 "
        "UNION ALL SELECT 3, 'C103', -10, '2026-11-25' + INTERVAL seq DAY FROM seq_1_to_19"));
    save(bringUp(main, main.mitLowBalance, "frmLowBalance")->window(), "lowbalance");
    closeChildren(main);
}

void aboutBox(MainWindow& main)
{
    TestSupport::runWhenModal([](QWidget* modal) {
        save(modal, "about");
        static_cast<QDialog*>(modal)->accept();
    });
    main.mitAbout->trigger();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        qFatal("usage: screenshots OUTDIR VIDEOFILE");
    s_out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString video = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    TestSupport::setUp();
    SandboxDb::require();

    // Built-in (Traditional Chinese) texts; the logo fetched into a folder of its own.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    IniFile::writeString(IniFile::settingsPath(), QStringLiteral("Language"), QStringLiteral("default"),
                         QStringLiteral("tw"));

    {
        LoginDialog login;
        login.show();
        save(&login, "login");
    }

    Session admin;
    admin.account = QStringLiteral("admin");
    admin.name = QStringLiteral("系統管理員");
    admin.isAdmin = true;
    admin.watermark = true;
    MainWindow main(admin);
    main.showMaximized();
    mainWithMenu(main);

    save(bringUp(main, main.mitStudent, "frmStudent")->window(), "students");
    closeChildren(main);
    save(bringUp(main, main.mitClassroom, "frmClassroom")->window(), "classes");
    closeChildren(main);
    courseUploading(main, video);
    save(bringUp(main, main.mitBuy, "frmStudClass")->window(), "topup");
    closeChildren(main);
    pointQueryWithBalance(main);
    save(bringUp(main, main.mitUser, "frmUser")->window(), "users");
    closeChildren(main);
    save(bringUp(main, main.mitCorp, "frmCorp")->window(), "company");
    closeChildren(main);
    statement(main);
    statistics(main);
    receipt(main);
    dayCloseAndLowBalance(main);
    QWidget* password = bringUp(main, main.mitPassword, "frmChangePassword");
    save(password->window(), "password");
    closeChildren(main);
    aboutBox(main);

    if (DialogSeam::pending() != 0)
        qFatal("%d prompt answers were not asked for", DialogSeam::pending());
    main.setAttribute(Qt::WA_DeleteOnClose, false);
    return 0;
}
