#include "testsupport.h"

#include "app/aboutdialog.h"
#include "ui/weblink.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// The start-up sets the application's version from the build; any version shows the same way.
const char* const Version = "2.5.0.17";

QLabel* label(QWidget* box, const char* name)
{
    auto* found = box->findChild<QLabel*>(QLatin1String(name));
    if (!found)
        qFatal("No label %s", name);
    return found;
}

QColor textColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_opened;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCoreApplication::setApplicationVersion(QLatin1String(Version));
        setHlinkNavigateHook([this](const QString& url) {
            m_opened << url;
            return true;
        });
    }
    void cleanupTestCase() { setHlinkNavigateHook({}); }
    void init() { m_opened.clear(); }

    void windowLook()
    {
        AboutDialog box;
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(box.windowTitle(), QStringLiteral("軟體資訊"));
        const Qt::WindowFlags flags = box.windowFlags();
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinMaxButtonsHint));
        QCOMPARE(box.font().family(), QStringLiteral("新細明體"));
        QCOMPARE(box.font().pixelSize(), 16);
        QCOMPARE(label(&box, "lblAppName")->text(), QStringLiteral("Korvel線上影音教學系統後台管理"));
        QCOMPARE(box.findChild<QPushButton*>(QStringLiteral("btnOK"))->text(), QStringLiteral("確定"));

        // Every part stays inside the window, one below the other.
        int bottom = 0;
        for (const char* name : {"lblAppName", "lblWebsite", "lblVersion", "btnOK"}) {
            const QRect rect = box.findChild<QWidget*>(QLatin1String(name))->geometry();
            QVERIFY2(box.rect().contains(rect), name);
            QVERIFY2(rect.top() >= bottom, name);
            bottom = rect.bottom();
        }
    }

    // Centred on the outer width of the window as it is shown, frame included.
    void showsTheProgramsVersionCentred()
    {
        AboutDialog box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.frameGeometry().width() > box.width());
        QLabel* version = label(&box, "lblVersion");
        QCOMPARE(version->text(), QStringLiteral("V ") + QLatin1String(Version));
        QCOMPARE(version->width(), version->sizeHint().width());
        const int twiceLeft = 2 * version->x();
        QVERIFY(qAbs(box.frameGeometry().width() - version->width() - twiceLeft) <= 1);
    }

    // Without a version set (a program that never ran its start-up) the line keeps its caption.
    void keepsCaptionWithoutVersion()
    {
        QCoreApplication::setApplicationVersion(QString());
        AboutDialog box;
        QLabel* version = label(&box, "lblVersion");
        QCOMPARE(version->text(), QStringLiteral("lblVersion"));
        const QPoint somewhere(3, version->y() + 1);
        version->move(somewhere);
        box.showVersion();
        QCOMPARE(version->text(), QStringLiteral("lblVersion"));
        QCOMPARE(version->pos(), somewhere);
        QCoreApplication::setApplicationVersion(QLatin1String(Version));
    }

    // The line's left edge is half the free width; a half goes to the even neighbour.
    void centringRoundsHalvesToEven_data()
    {
        QTest::addColumn<int>("freeWidth");
        QTest::addColumn<int>("left");
        QTest::newRow("100") << 100 << 50;
        QTest::newRow("101") << 101 << 50;
        QTest::newRow("102") << 102 << 51;
        QTest::newRow("103") << 103 << 52;
        QTest::newRow("105") << 105 << 52;
        QTest::newRow("107") << 107 << 54;
    }
    void centringRoundsHalvesToEven()
    {
        QFETCH(int, freeWidth);
        QFETCH(int, left);
        AboutDialog box;
        // Shown, the window has a frame, so its outer width differs from its inner one.
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QLabel* version = label(&box, "lblVersion");
        const int frame = box.frameGeometry().width() - box.width();
        QVERIFY(frame > 0);
        box.setFixedWidth(version->width() + freeWidth - frame);
        QCOMPARE(box.frameGeometry().width() - version->width(), freeWidth);
        box.showVersion();
        QCOMPARE(version->x(), left);
        QCOMPARE(version->text(), QStringLiteral("V ") + QLatin1String(Version));
    }

    void linkLooksFollowTheMouse()
    {
        AboutDialog box;
        QLabel* link = label(&box, "lblWebsite");
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(textColor(link), QColor(0, 0, 128));
        QVERIFY(link->font().underline());
        QVERIFY(!link->font().italic());

        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(link, &enter);
        QCOMPARE(textColor(link), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QVERIFY(link->font().italic());
        QCOMPARE(link->font().pixelSize(), 16);

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        QCOMPARE(textColor(link), QColor(0, 0, 128));
        QVERIFY(link->font().underline());
        QVERIFY(!link->font().italic());
    }

    void clickOpensTheHomePage()
    {
        AboutDialog box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QLabel* link = label(&box, "lblWebsite");
        QCOMPARE(link->text(), QStringLiteral("www.korvel.com.tw"));

        QTest::mouseClick(link, Qt::RightButton);
        QVERIFY(m_opened.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{QStringLiteral("https://www.korvel.com.tw/")});
    }

    void okClosesTheModalBox()
    {
        AboutDialog box;
        TestSupport::runWhenModal([](QWidget* modal) {
            QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
        });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }
};

RYN_TEST_MAIN(TestAbout)
#include "tst_about.moc"
