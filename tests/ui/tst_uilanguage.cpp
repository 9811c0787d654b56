#include "app/logindialog.h"
#include "app/mainwindow.h"
#include "lang/languagemanager.h"
#include "data/connection.h"
#include "controls/dbedit.h"
#include "data/snapshottable.h"
#include "controls/dblookupcombobox.h"
#include "forms/studclasswindow.h"
#include "forms/studentwindow.h"
#include "forms/userwindow.h"
#include "forms/changepasswordwindow.h"
#include "lang/langtables.h"
#include "ui/languagecontroller.h"
#include "controls/maskedit.h"
#include "controls/dbgrid.h"
#include "forms/statisticswindow.h"
#include "controls/gridtooltexts.h"
#include "forms/watchlogwindow.h"
#include "platform/dialogseam.h"
#include "platform/inifile.h"
#include "ui/messagebox.h"
#include "sandboxdb.h"
#include "testsupport.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

// The start-up language as the program chooses it: the login dialog finds the language file in the
// working directory or beside the program, the main window and the windows after it follow.
class TestUiLanguage : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;

    QString ini() const { return m_dir->filePath("ryn.ini"); }

    std::unique_ptr<MainWindow> startUp(std::unique_ptr<LoginDialog>* login = nullptr)
    {
        auto dialog = std::make_unique<LoginDialog>();
        Session session;
        session.isAdmin = true;
        session.account = QStringLiteral("admin");
        auto main = std::make_unique<MainWindow>(session);
        main->show();
        if (login)
            *login = std::move(dialog);
        return main;
    }

private slots:
    void initTestCase()
    {
        SandboxDb::require();
        m_oldDir = QDir::currentPath();
    }

    void init()
    {
        languageManager().reset();
        DialogSeam::clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(m_dir->path());
        QFile::remove(IniFile::userSettingsPath());
        QVERIFY(QFile::copy(qEnvironmentVariable("RYN_SOURCE_DIR") + "/lang/cn.lng", m_dir->filePath("cn.lng")));
    }

    void cleanup()
    {
        QDir::setCurrent(m_oldDir);
        m_dir.reset();
        languageManager().reset();
        QCOMPARE(DialogSeam::pending(), 0);
    }

    void withoutSettingTheFileIsUsed_data()
    {
        QTest::addColumn<bool>("besideTheProgram");
        QTest::newRow("in the working directory") << false;
        QTest::newRow("beside the program, as installed") << true;
    }
    void withoutSettingTheFileIsUsed()
    {
        QFETCH(bool, besideTheProgram);
        const QString beside = QCoreApplication::applicationDirPath() + "/cn.lng";
        auto removeFile = qScopeGuard([&] { QFile::remove(beside); });
        if (besideTheProgram)
            QVERIFY(QFile::copy(m_dir->filePath("cn.lng"), beside) && QFile::remove(m_dir->filePath("cn.lng")));
        std::unique_ptr<LoginDialog> login;
        auto main = startUp(&login);
        QCOMPARE(login->windowTitle(), QStringLiteral("登录"));
        QCOMPARE(login->lblUno->text(), QStringLiteral("账号："));
        QVERIFY(login->connRyn->connected());
        QCOMPARE(languageManager().languageId(), quint16(2052));
        QCOMPARE(main->windowTitle(), QStringLiteral("Korvel线上补课后台管理"));
        QVERIFY(main->mitCN->isChecked());
        QVERIFY(!main->mitTW->isChecked());
        QCOMPARE(main->mitTW->text(), QStringLiteral("正体中文"));
        // The close question follows the language through the hidden labels.
        DialogSeam::queueAnswer(Win::IDCANCEL);
        main->close();
        QCOMPARE(DialogSeam::last().text, QStringLiteral("确定结束本系统?"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("结束"));
    }

    void twKeepsTheBuiltInTexts_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("builtIn");
        QTest::newRow("tw") << "tw" << true;
        QTest::newRow("TW is not tw") << "TW" << false;
        QTest::newRow("cn") << "cn" << false;
        QTest::newRow("empty") << "" << false;
    }
    void twKeepsTheBuiltInTexts()
    {
        QFETCH(QString, setting);
        QFETCH(bool, builtIn);
        IniFile::writeString(ini(), "Language", "default", setting);
        std::unique_ptr<LoginDialog> login;
        auto main = startUp(&login);
        QCOMPARE(login->windowTitle(), builtIn ? QStringLiteral("登入") : QStringLiteral("登录"));
        QCOMPARE(main->mitTW->isChecked(), builtIn);
        QCOMPARE(main->mitCN->isChecked(), !builtIn);
    }

    void languageCommandWritesAndChangesNoText()
    {
        auto main = startUp();
        DialogSeam::queueAnswer(Win::IDOK);
        main->mitTW->trigger();
        QCOMPARE(IniFile::readString(IniFile::userSettingsPath(), "Language", "default", ""), QStringLiteral("tw"));
        QCOMPARE(DialogSeam::last().text, QStringLiteral("请关闭程序再重新启动"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Korvel线上补课后台管理"));
        QCOMPARE(main->mitBasic->title(), QStringLiteral("基本资料管理 (&S)"));
        QVERIFY(main->mitTW->isChecked());
    }

    void withoutLanguageFileTheBuiltInTextsStay()
    {
        QFile::remove(m_dir->filePath("cn.lng"));
        std::unique_ptr<LoginDialog> login;
        auto main = startUp(&login);
        QCOMPARE(login->windowTitle(), QStringLiteral("登入"));
        QVERIFY(login->connRyn->connected());
        QCOMPARE(main->windowTitle(), QStringLiteral("Korvel線上補課後台管理"));
        // The tick names the language shown.
        QVERIFY(main->mitTW->isChecked());
        QVERIFY(!main->mitCN->isChecked());
    }

    void recordWindowsComeTranslatedAndStillBound()
    {
        SandboxDb::reseed();
        auto main = startUp();
        main->mitStudent->trigger();
        auto* form = qobject_cast<StudentWindow*>(main->mdiArea->activeSubWindow()->widget());
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("学生管理"));
        QCOMPARE(form->lblSpkey->text(), QStringLiteral("学号"));
        QCOMPARE(form->btnDelete->text(), QStringLiteral("删除 (&D)"));
        // Field names and data fields go through the translation too, and still reach the data.
        QCOMPARE(form->tblStudent->recordCount(), 4);
        QVERIFY(!form->txtStudName->text().isEmpty());
        QVERIFY(form->lblHint->text().isEmpty());
    }

    // Every component the tables name exists, so nothing is dropped when the windows are bound.
    void userAndPasswordWindowsComeTranslated()
    {
        SandboxDb::reseed();
        auto main = startUp();
        main->mitUser->trigger();
        auto* users = qobject_cast<UserWindow*>(main->mdiArea->activeSubWindow()->widget());
        QVERIFY(users);
        QCOMPARE(users->languageController->langData(), LangTables::frmUser());
        QCOMPARE(users->windowTitle(), QStringLiteral("用户管理"));
        QCOMPARE(users->lblUID->text(), QStringLiteral("账号"));
        QCOMPARE(users->txtPwd->inputMask(), QStringLiteral("nnnnnnnnnnnnnnnnnnnn;_"));
        QCOMPARE(users->tblUser->filter(), QStringLiteral("uid<>'admin'"));
        QCOMPARE(users->tblUser->recordCount(), 1);
        main->mitPassword->trigger();
        auto* password = qobject_cast<ChangePasswordWindow*>(main->mdiArea->activeSubWindow()->widget());
        QVERIFY(password);
        QCOMPARE(password->languageController->langData(), LangTables::frmChangePassword());
        QCOMPARE(password->windowTitle(), QStringLiteral("修改密码"));
        QCOMPARE(password->btnOK->text(), QStringLiteral("确定修改密码 (&K)"));
        QCOMPARE(password->tblUser->recordCount(), 2);
    }

    void pointWindowsComeTranslatedAndStillBound()
    {
        SandboxDb::reseed();
        auto main = startUp();
        main->mitBuy->trigger();
        auto* topUp = qobject_cast<StudClassWindow*>(main->mdiArea->activeSubWindow()->widget());
        QVERIFY(topUp);
        QCOMPARE(topUp->windowTitle(), QStringLiteral("点数充值"));
        QCOMPARE(topUp->lblUser->text(), QStringLiteral("经办人"));
        QCOMPARE(topUp->tblStudClass->field("studname")->asString(), QStringLiteral("陳大文"));
        QCOMPARE(topUp->cboClass->currentText(), QStringLiteral("Excel 入門"));
        // Grid titles and the grids' tools follow the language too.
        QCOMPARE(topUp->grdStudClass->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("购买日期"));
        QCOMPARE(GridToolTexts::text("mitExportXlsx"), QStringLiteral("导出 Excel (.xlsx)…"));
        main->mitQuery->trigger();
        auto* query = qobject_cast<WatchLogWindow*>(main->mdiArea->activeSubWindow()->widget());
        QVERIFY(query);
        QCOMPARE(query->lblNowPoint->text(), QStringLiteral("剩余点数"));
        QCOMPARE(query->txtSpkey->text(), QStringLiteral("A003"));
        QCOMPARE(query->qryWatchlog->recordCount(), 3);
        QCOMPARE(query->btnPrint->text(), QStringLiteral("打印 (&P)"));
        main->mitStatistics->trigger();
        auto* statistics = qobject_cast<StatisticsWindow*>(main->mdiArea->activeSubWindow()->widget());
        QVERIFY(statistics);
        QCOMPARE(statistics->windowTitle(), QStringLiteral("营运统计"));
        QCOMPARE(statistics->btnRefresh->text(), QStringLiteral("刷新 (&R)"));
        QCOMPARE(statistics->chtStudents->chart()->title(), QStringLiteral("每月观看学生数"));
        QCOMPARE(statistics->grdTopCourses->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("观看次数"));
        QCOMPARE(query->grdCourse->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("结束时刻"));
    }

    void aFileThatCannotBeReadStopsANewWindow()
    {
        auto main = startUp();
        QFile file(m_dir->filePath("cn.lng"));
        QVERIFY(file.open(QIODevice::Append));
        file.write("\r\n[frmStudent]\r\n00000001=a\r\n00000001=b\r\n");
        file.close();
        DialogSeam::queueAnswer(Win::IDOK);
        main->mitStudent->trigger();
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(DialogSeam::last().text.startsWith("Loading translations failed.\r\nLine "));
        QVERIFY(DialogSeam::last().text.contains("Duplicate property value translation ID (1)"));
        QVERIFY(main->mdiArea->subWindowList().isEmpty());
    }

    // A language file that cannot be read costs the windows their translation, not the connection:
    // the error names the file's fault, the built-in texts stay, and logging in works.
    void anUnreadableFileStillLetsTheUserIn()
    {
        QFile file(m_dir->filePath("cn.lng"));
        QVERIFY(file.open(QIODevice::Append));
        file.write("\r\n[frmLogin]\r\n00000001=a\r\n");
        file.close();
        DialogSeam::queueAnswer(Win::IDOK);
        auto login = std::make_unique<LoginDialog>();
        QCOMPARE(DialogSeam::prompts().size(), 1);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(DialogSeam::last().text.startsWith("Loading translations failed.\r\nLine "));
        QVERIFY(DialogSeam::last().text.contains("Duplicate property value translation ID (1)"));
        QCOMPARE(login->windowTitle(), QStringLiteral("登入"));
        QVERIFY(login->connRyn->connected());
        login->show();
        login->txtLogin->setText("admin");
        login->txtPassword->setText("admin123");
        QTest::mouseClick(login->btnLogin, Qt::LeftButton);
        QCOMPARE(login->result(), int(LoginDialog::mrOk));
        QCOMPARE(login->session.account, QStringLiteral("admin"));

        DialogSeam::queueAnswer(Win::IDOK);
        MainWindow main(login->session);
        QCOMPARE(DialogSeam::prompts().size(), 2);
        QVERIFY(DialogSeam::last().text.contains("Duplicate property value translation ID (1)"));
        QVERIFY(main.conn->connected());
        QCOMPARE(main.windowTitle(), QStringLiteral("Korvel線上補課後台管理"));
        QVERIFY(main.mitTW->isChecked());
    }
};

RYN_TEST_MAIN(TestUiLanguage)
#include "tst_uilanguage.moc"
