#include "mainwindowfixture.h"
#include "testsupport.h"

#include <QAction>

// The language items of the main window: the choice stored for the next start, the item ticked.
class TestMainLanguage : public QObject, MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRun(); }
    void cleanupTestCase() { endRun(); }
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void languageCommandStoresTheChoice_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("stored");
        QTest::newRow("traditional") << "正體中文"
                                     << "tw";
        QTest::newRow("traditional, translated") << "正体中文"
                                                 << "tw";
        QTest::newRow("simplified") << "简体中文"
                                    << "cn";
        QTest::newRow("anything else") << "Chinese"
                                       << "cn";
    }
    void languageCommandStoresTheChoice()
    {
        QFETCH(QString, caption);
        QFETCH(QString, stored);
        MainWindow* w = open();
        IniFile::writeString(m_dir.filePath("ryn.ini"), "Server", "Host", "127.0.0.1");
        const QString titleBefore = w->mitTW->text();
        DialogSeam::queueAnswer(Win::IDOK);
        w->setDefaultLanguage(caption);
        QCOMPARE(IniFile::readString(m_dir.filePath("ryn.ini"), "Language", "default", ""), stored);
        QCOMPARE(IniFile::readString(m_dir.filePath("ryn.ini"), "Server", "Host", ""), QStringLiteral("127.0.0.1"));
        QCOMPARE(w->mitTW->isChecked(), stored == "tw");
        QCOMPARE(w->mitCN->isChecked(), stored == "cn");
        QCOMPARE(DialogSeam::last().text, QStringLiteral("請關閉程式再重新啟動"));
        QCOMPARE(DialogSeam::last().flags, Prompt::PlainNotice);
        QCOMPARE(w->mitTW->text(), titleBefore);
    }

    void languageItemsClick()
    {
        MainWindow* w = open();
        DialogSeam::queueAnswer(Win::IDOK);
        w->mitCN->trigger();
        QCOMPARE(IniFile::readString(IniFile::userSettingsPath(), "Language", "default", ""), QStringLiteral("cn"));
        DialogSeam::queueAnswer(Win::IDOK);
        w->mitTW->trigger();
        QCOMPARE(IniFile::readString(IniFile::userSettingsPath(), "Language", "default", ""), QStringLiteral("tw"));
        QVERIFY(!QFile::exists(m_dir.filePath("ryn.ini")));
    }

    void startupTicksTheSetting()
    {
        IniFile::writeString(m_dir.filePath("ryn.ini"), "Language", "default", "tw");
        QVERIFY(open()->mitTW->isChecked());
        m_main.reset();
        IniFile::writeString(m_dir.filePath("ryn.ini"), "Language", "default", "TW");
        // Without a language file the built-in texts are shown, and ticked, whatever the setting.
        QVERIFY(open()->mitTW->isChecked());
        m_main.reset();
        QVERIFY(languageManager().registerLanguageFile(qEnvironmentVariable("RYN_SOURCE_DIR") + "/lang/cn.lng"));
        QVERIFY(open()->mitCN->isChecked());
    }
};

RYN_TEST_MAIN(TestMainLanguage)
#include "tst_mainlanguage.moc"
