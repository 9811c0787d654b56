// Translating windows: the controller's loaded step and built-in values, language changes through
// the manager, and windows created while a language is in effect.

#include "testsupport.h"

#include "lang/langfile.h"
#include "ui/languagecontroller.h"
#include "lang/languagemanager.h"
#include "platform/errors.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// A window as the program builds one: named components with built-in texts, and its controller.
struct TestWindow {
    QWidget* window;
    QLabel* lblName;
    QPushButton* btnOK;
    QMenu* mitFile;
    QAction* mitOpen;
    QLabel* lblNum;
    LanguageController* langCtrl;

    explicit TestWindow(const QString& name = QStringLiteral("frmTest"))
    {
        window = new QWidget;
        window->setObjectName(name);
        window->setWindowTitle(QStringLiteral("測試視窗"));
        lblName = named(new QLabel(QStringLiteral("姓名"), window), "lblName");
        btnOK = named(new QPushButton(QStringLiteral("確定 (&K)"), window), "btnOK");
        mitFile = named(new QMenu(QStringLiteral("檔案 (&F)"), window), "mitFile");
        mitOpen = named(new QAction(QStringLiteral("開啟"), mitFile), "mitOpen");
        mitOpen->setToolTip(QStringLiteral("開啟檔案"));
        lblNum = named(new QLabel(QStringLiteral("123"), window), "lblNum");
        named(new QLabel(QStringLiteral("Š1"), window), "lblBelow");
        named(new QLabel(QStringLiteral("š1"), window), "lblAbove");
        named(new QLabel(QStringLiteral("ok"), window), "lblAscii");

        LangEntry table{QStringLiteral("frmTest"), {{1, QStringLiteral("Caption")}}, {}};
        table.children = {
            {QStringLiteral("lblName"), {{2, QStringLiteral("Caption")}, {11, QStringLiteral("Color")}}, {}},
            {QStringLiteral("ghost"), {{10, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("btnOK"), {{3, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("mitFile"), {{4, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("mitOpen"), {{5, QStringLiteral("Caption")}, {6, QStringLiteral("Hint")}}, {}},
            {QStringLiteral("lblNum"), {{7, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("lblBelow"), {{8, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("lblAbove"), {{9, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("lblAscii"), {{12, QStringLiteral("Caption")}}, {}},
            {QStringLiteral("LangCtrl"), {}, {}},
        };
        langCtrl = new LanguageController(window, table);
    }
    ~TestWindow() { delete window; }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    template <typename T> static T* named(T* object, const char* name)
    {
        object->setObjectName(QLatin1String(name));
        return object;
    }

    // Title, name label, button, menu, menu item and its tool tip, joined by "|".
    QString texts() const
    {
        return QStringList{window->windowTitle(), lblName->text(), btnOK->text(),
                           mitFile->title(),      mitOpen->text(), mitOpen->toolTip()}
            .join(QLatin1Char('|'));
    }
};

const QString kBuiltIn = QStringLiteral("測試視窗|姓名|確定 (&K)|檔案 (&F)|開啟|開啟檔案");

} // namespace

class TestLanguageController : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString file() const { return m_dir.filePath(QStringLiteral("cn.lng")); }

    void writeLang(const QString& sections)
    {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("\xEF\xBB\xBFLANGID=2052\r\n" + sections).toUtf8());
    }

private slots:
    void init()
    {
        languageManager().reset();
        QFile::remove(file());
    }

    void cleanupTestCase() { languageManager().reset(); }

    void controllerJoinsAndLeaves()
    {
        auto* first = new TestWindow;
        TestWindow second(QStringLiteral("frmOther"));
        QCOMPARE(first->langCtrl->objectName(), QStringLiteral("LangCtrl"));
        QCOMPARE(first->langCtrl->parent(), first->window);
        QCOMPARE(languageManager().controllers(), (QList<Translatable*>{first->langCtrl, second.langCtrl}));
        delete first;
        QCOMPARE(languageManager().controllers(), QList<Translatable*>{second.langCtrl});
    }

    void loadedDropsMissingComponents()
    {
        TestWindow w;
        w.langCtrl->loaded();
        QStringList names;
        for (const LangEntry& c : w.langCtrl->langData().children)
            names << c.name;
        QVERIFY(!names.contains(QStringLiteral("ghost")));
        QCOMPARE(names.size(), 9);
        QCOMPARE(w.texts(), kBuiltIn);
    }

    void builtInValues_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("builtIn");
        QTest::newRow("window caption") << 1 << "測試視窗";
        QTest::newRow("menu title") << 4 << "檔案 (&F)";
        QTest::newRow("menu item hint") << 6 << "開啟檔案";
        QTest::newRow("digits only") << 7 << "";
        QTest::newRow("code 352 is no letter") << 8 << "";
        QTest::newRow("code 353 is") << 9 << "š1";
        QTest::newRow("ascii letters") << 12 << "ok";
        QTest::newRow("missing component") << 10 << "";
        QTest::newRow("unknown property") << 11 << "";
    }

    void builtInValues()
    {
        QFETCH(int, id);
        QFETCH(QString, builtIn);
        TestWindow w;
        w.langCtrl->loaded();
        QCOMPARE(w.langCtrl->builtInValue(id), builtIn);
    }

    void languageChange_data()
    {
        QTest::addColumn<QString>("sections");
        QTest::addColumn<QString>("texts");
        // texts: title, name label, button, menu, menu item, its tool tip.
        auto row = [](const char* name, const char* sections, const QString& texts) {
            QTest::newRow(name) << QString::fromUtf8(sections) << texts;
        };
        row("whole section", "[frmTest]\r\n1=测试窗口\r\n2=姓名\r\n3=确定 (&K)\r\n4=文件 (&F)\r\n5=打开\r\n6=打开文件",
            QStringLiteral("测试窗口|姓名|确定 (&K)|文件 (&F)|打开|打开文件"));
        row("ids missing keep built-in", "[frmTest]\r\n00000003=确定 (&K)\r\n00000006=提示",
            QStringLiteral("測試視窗|姓名|确定 (&K)|檔案 (&F)|開啟|提示"));
        row("section missing", "[frmOther]\r\n1=x", kBuiltIn);
        row("section name case", "[FRMTEST]\r\n1=x", QStringLiteral("x|姓名|確定 (&K)|檔案 (&F)|開啟|開啟檔案"));
        row("two-line caption", "[frmTest]\r\n2=第一行\\n第二行",
            QStringLiteral("測試視窗|第一行\n第二行|確定 (&K)|檔案 (&F)|開啟|開啟檔案"));
        row("escaped backslash", "[frmTest]\r\n2=a\\\\nb",
            QStringLiteral("測試視窗|a\\nb|確定 (&K)|檔案 (&F)|開啟|開啟檔案"));
        row("empty translation", "[frmTest]\r\n5=", QStringLiteral("測試視窗|姓名|確定 (&K)|檔案 (&F)||開啟檔案"));
    }

    void languageChange()
    {
        QFETCH(QString, sections);
        QFETCH(QString, texts);
        TestWindow w;
        w.langCtrl->loaded();
        // Start from a fully translated window, so that restoring built-in values is seen too.
        const LangFile other = LangFile::parse("[frmTest]\n1=a\n2=b\n3=c\n4=d\n5=e\n6=f", LangFile::Mode::Full);
        w.langCtrl->translate(&other);
        writeLang(sections);
        QVERIFY(languageManager().registerLanguageFile(file()));
        languageManager().setLanguageId(2052);
        QCOMPARE(languageManager().languageId(), quint16(2052));
        QCOMPARE(w.texts(), texts);
        languageManager().setLanguageId(LanguageManager::DefaultLanguageID);
        QCOMPARE(w.texts(), kBuiltIn);
    }

    void unchangedLanguageTouchesNothing()
    {
        TestWindow w;
        w.langCtrl->loaded();
        writeLang(QStringLiteral("[frmTest]\r\n2=甲"));
        QVERIFY(languageManager().registerLanguageFile(file()));
        languageManager().setLanguageId(2052);
        QCOMPARE(w.lblName->text(), QStringLiteral("甲"));
        w.lblName->setText(QStringLiteral("changed"));
        writeLang(QStringLiteral("[frmTest]\r\n2=乙"));
        languageManager().setLanguageId(2052);
        QCOMPARE(w.lblName->text(), QStringLiteral("changed"));
        // An identifier that is not registered means the built-in language.
        languageManager().setLanguageId(1028);
        QCOMPARE(languageManager().languageId(), quint16(1033));
        QCOMPARE(w.lblName->text(), QStringLiteral("姓名"));
        w.lblName->setText(QStringLiteral("changed"));
        languageManager().setLanguageId(1033);
        QCOMPARE(w.lblName->text(), QStringLiteral("changed"));
    }

    void builtInWithoutLetterComesBackEmpty()
    {
        TestWindow w;
        w.langCtrl->loaded();
        writeLang(QStringLiteral("[frmTest]\r\n7=一二三"));
        QVERIFY(languageManager().registerLanguageFile(file()));
        languageManager().setLanguageId(2052);
        QCOMPARE(w.lblNum->text(), QStringLiteral("一二三"));
        languageManager().setLanguageId(1033);
        QCOMPARE(w.lblNum->text(), QString());
    }

    void newWindowReadsFileAgain()
    {
        writeLang(QStringLiteral("[frmTest]\r\n2=甲\r\n[$Constants]\r\nHello=你好"));
        QVERIFY(languageManager().registerLanguageFile(file()));
        languageManager().setLanguageId(2052);
        QCOMPARE(languageManager().constant(QStringLiteral("hello")), QStringLiteral("你好"));
        TestWindow first;
        first.langCtrl->loaded();
        QCOMPARE(first.lblName->text(), QStringLiteral("甲"));
        QCOMPARE(first.langCtrl->builtInValue(2), QStringLiteral("姓名"));

        writeLang(QStringLiteral("[frmTest]\r\n2=乙"));
        TestWindow second;
        second.langCtrl->loaded();
        QCOMPARE(second.lblName->text(), QStringLiteral("乙"));
        QCOMPARE(first.lblName->text(), QStringLiteral("甲"));
        // The loaded step runs once.
        second.lblName->setText(QStringLiteral("x"));
        second.langCtrl->loaded();
        QCOMPARE(second.lblName->text(), QStringLiteral("x"));
    }

    void newWindowFailsWhenFileIsGone()
    {
        writeLang(QStringLiteral("[frmTest]\r\n2=甲"));
        QVERIFY(languageManager().registerLanguageFile(file()));
        languageManager().setLanguageId(2052);
        QVERIFY(QFile::remove(file()));
        TestWindow w;
        try {
            w.langCtrl->loaded();
            QFAIL("no error");
        } catch (const AppError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Loading translations failed.\r\nLine 0: ")),
                     qPrintable(e.message()));
        }
        QCOMPARE(w.lblName->text(), QStringLiteral("姓名"));
    }

    void repeatedIdStopsLanguageChange()
    {
        TestWindow w;
        w.langCtrl->loaded();
        writeLang(QStringLiteral("[frmTest]\r\n2=甲\r\n; again\r\n0002=乙"));
        QVERIFY(languageManager().registerLanguageFile(file()));
        try {
            languageManager().setLanguageId(2052);
            QFAIL("no error");
        } catch (const AppError& e) {
            QCOMPARE(
                e.message(),
                QStringLiteral("Loading translations failed.\r\nLine 4: Duplicate property value translation ID (2)"));
        }
        QCOMPARE(languageManager().languageId(), quint16(1033));
        QCOMPARE(w.lblName->text(), QStringLiteral("姓名"));
    }

    void destroyedComponentIsSkipped()
    {
        TestWindow w;
        w.langCtrl->loaded();
        delete w.btnOK;
        const LangFile file = LangFile::parse("[frmTest]\n3=x\n2=y", LangFile::Mode::Full);
        w.langCtrl->translate(&file);
        QCOMPARE(w.lblName->text(), QStringLiteral("y"));
    }
};

RYN_TEST_MAIN(TestLanguageController)
#include "tst_languagecontroller.moc"
