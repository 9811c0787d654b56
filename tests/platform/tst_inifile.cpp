#include "platform/errors.h"
#include "platform/inifile.h"
#include "platform/messages.h"
#include "platform/serversettings.h"
#include "coresupport.h"
#include "testfiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <sys/stat.h>

class TestIniFile : public QObject
{
    Q_OBJECT

    QString readAll(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    QString m_oldDir;

    // The search path's four files under root, the working directory made root; none is written.
    static QStringList searchPathUnder(const QTemporaryDir& root)
    {
        QDir::setCurrent(root.path());
        qputenv("XDG_CONFIG_HOME", root.filePath("user").toUtf8());
        qputenv("XDG_CONFIG_DIRS", root.filePath("xdg").toUtf8());
        qputenv("RYN_SYSCONFDIR", root.filePath("etc").toUtf8());
        return {root.filePath("ryn.ini"), root.filePath("user/ryn/ryn.ini"), root.filePath("xdg/ryn/ryn.ini"),
                root.filePath("etc/ryn/ryn.ini")};
    }
    static void put(const QString& file, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(file).path());
        TestFiles::write(file, bytes);
    }

private slots:
    void init() { m_oldDir = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_oldDir); }

    void missingFileGivesDefault()
    {
        QTemporaryDir dir;
        QCOMPARE(IniFile::readString(dir.filePath("none.ini"), "Language", "default", "x"), QStringLiteral("x"));
    }

    void writeCreatesFileAndReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ryn.ini");
        IniFile::writeString(path, "Language", "default", "cn");
        QCOMPARE(IniFile::readString(path, "Language", "default", ""), QStringLiteral("cn"));
        IniFile::writeString(path, "Language", "default", "tw");
        QCOMPARE(IniFile::readString(path, "Language", "default", ""), QStringLiteral("tw"));
        QCOMPARE(readAll(path).count("default="), 1);
    }

    void namesIgnoreCaseValuesKeepIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ryn.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; comment\r\n[language]\r\nDEFAULT = TW \r\n");
        f.close();
        QCOMPARE(IniFile::readString(path, "Language", "default", ""), QStringLiteral("TW"));
        QCOMPARE(IniFile::readString(path, "Other", "default", "none"), QStringLiteral("none"));
    }

    void writeKeepsOtherSectionsAndLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ryn.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Server]\nHost=10.1.2.3\nDbPort=3307\n\n[Language]\n; chosen by the menu\ndefault=tw\nother=1\n");
        f.close();
        IniFile::writeString(path, "Language", "default", "cn");
        IniFile::writeString(path, "Server", "FtpPort", "2121");
        QCOMPARE(IniFile::readString(path, "Server", "Host", ""), QStringLiteral("10.1.2.3"));
        QCOMPARE(IniFile::readString(path, "Server", "DbPort", ""), QStringLiteral("3307"));
        QCOMPARE(IniFile::readString(path, "Server", "FtpPort", ""), QStringLiteral("2121"));
        QCOMPARE(IniFile::readString(path, "Language", "default", ""), QStringLiteral("cn"));
        QCOMPARE(IniFile::readString(path, "Language", "other", ""), QStringLiteral("1"));
        QVERIFY(readAll(path).contains("; chosen by the menu"));
        // The new key lands inside its own section, before the next one.
        const QString text = readAll(path);
        QVERIFY(text.indexOf("FtpPort=2121") < text.indexOf("[Language]"));
    }

    void unwritableFileThrows()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(AppError, IniFile::writeString(dir.filePath("no/such/dir/ryn.ini"), "A", "b", "c"));
    }

    // The lines of the working directory's, the per-user, the $XDG_CONFIG_DIRS and the /etc file: a key
    // comes from the first file holding it; the choice goes to the working directory's or the user's file.
    void searchOrderAndWhereTheChoiceGoes_data()
    {
        QTest::addColumn<QStringList>("contents");
        QTest::addColumn<QStringList>("expected"); // the language, its file, the host, the file written
        const QString tw = "[Language]\ndefault=tw\n", cn = "[Language]\ndefault=cn\n", host = "[Server]\nHost=10.9\n";
        QTest::newRow("working wins") << QStringList{tw, cn, cn, cn + host} << QStringList{"tw", "0", "10.9", "0"};
        QTest::newRow("user, system") << QStringList{"", cn, tw, tw + host} << QStringList{"cn", "1", "10.9", "1"};
        QTest::newRow("xdg, etc") << QStringList{"", "", tw, cn + host} << QStringList{"tw", "2", "10.9", "1"};
        QTest::newRow("key by key") << QStringList{"[Server]\nHost=10.1\n", "", "", tw + host}
                                    << QStringList{"tw", "3", "10.1", "0"};
    }
    void searchOrderAndWhereTheChoiceGoes()
    {
        QFETCH(QStringList, contents);
        QFETCH(QStringList, expected);
        QTemporaryDir root;
        const QString oldDir = QDir::currentPath();
        auto restore = qScopeGuard([&] { QDir::setCurrent(oldDir); });
        QDir::setCurrent(root.path());
        const QStringList files{root.filePath("ryn.ini"), root.filePath("user/ryn/ryn.ini"),
                                root.filePath("xdg/ryn/ryn.ini"), root.filePath("etc/ryn/ryn.ini")};
        qputenv("XDG_CONFIG_HOME", root.filePath("user").toUtf8());
        qputenv("XDG_CONFIG_DIRS", root.filePath("xdg").toUtf8());
        qputenv("RYN_SYSCONFDIR", root.filePath("etc").toUtf8());
        for (int i = 0; i < 4; ++i) {
            if (!contents[i].isEmpty() && QDir().mkpath(QFileInfo(files[i]).path()))
                TestFiles::write(files[i], contents[i].toUtf8());
        }
        QCOMPARE(IniFile::findSetting("Language", "default").value, expected[0]);
        QCOMPARE(IniFile::findSetting("language", "DEFAULT").file, files[expected[1].toInt()]);
        QCOMPARE(IniFile::findSetting("Server", "Host").value, expected[2]);
        IniFile::writeSetting("Language", "default", "chosen");
        QCOMPARE(IniFile::findSetting("Language", "default").file, files[expected[3].toInt()]);
        // Nor does a per-user file made for the choice hide the machine's server address.
        QCOMPARE(IniFile::findSetting("Server", "Host").value, expected[2]);
        for (int i = 2; i < 4; ++i)
            QCOMPARE(TestFiles::read(files[i]), contents[i].isEmpty() ? "(missing)" : contents[i].toUtf8());
    }

    // Where the working directory's ryn.ini should be, something that is not a plain file of
    // bounded size: skipped with one warning, the next file's values taken, nothing waited for
    // and no memory filled; the language choice is refused there rather than written.
    void onlyPlainFilesRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("link to /dev/zero") << "zero";
        QTest::newRow("folder") << "folder";
        QTest::newRow("over 1 MB") << "large";
    }
    void onlyPlainFilesRead()
    {
        QFETCH(QString, kind);
        QTemporaryDir root;
        const QStringList files = searchPathUnder(root);
        put(files[3], "[Server]\nHost=10.1.2.3\n[Language]\ndefault=cn\n");
        const QString ini = files[0];
        if (kind == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(ini), 0644) == 0);
        else if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", ini));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(ini));
        else
            put(ini, "[Server]\nHost=10.9.9.9\n" + QByteArray(1 << 20, ';'));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^" + QRegularExpression::escape(Msg::settingsFileSkipped(ini, ""))));
        QCOMPARE(IniFile::findSetting("Server", "Host").value, QStringLiteral("10.1.2.3"));
        QCOMPARE(IniFile::findSetting("Language", "default").value, QStringLiteral("cn"));
        QVERIFY_THROWS_EXCEPTION(AppError, IniFile::writeSetting("Language", "default", "tw"));
        QCOMPARE(IniFile::findSetting("Language", "default").file, files[3]);
        QVERIFY(QFileInfo(ini).isSymLink() == (kind == "zero"));
    }

    // An empty or mistyped value in a higher file (or variable) does not hide a good one further
    // down; where it stood is named in the description the connection error shows.
    void badValueDoesNotHideGoodOne_data()
    {
        QTest::addColumn<QString>("dbPortVariable");
        QTest::addColumn<QStringList>("contents"); // working directory's, user's, /etc's
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QStringList>("ignored"); // "file index:line:entry" or "variable:value"
        const QString etc = "[Server]\nHost=10.1.2.3\nDbPort=3307\n";
        QTest::newRow("empty host") << "" << QStringList{"[Server]\nHost=\n", "", etc} << "10.1.2.3" << 3307
                                    << QStringList{"0:2:Host="};
        QTest::newRow("port not a number") << "" << QStringList{"; x\n[server]\nDbPort=abc\n", "", etc} << "10.1.2.3"
                                           << 3307 << QStringList{"0:3:DbPort=abc"};
        QTest::newRow("user's file good") << "" << QStringList{"[Server]\nDbPort=70000\n", "[Server]\nDbPort=3310", etc}
                                          << "10.1.2.3" << 3310 << QStringList{"0:2:DbPort=70000"};
        QTest::newRow("host with a space") << "" << QStringList{"", "[Server]\nHost=db server\n", etc} << "10.1.2.3"
                                           << 3307 << QStringList{"1:2:Host=db server"};
        QTest::newRow("nothing good: defaults") << "" << QStringList{"[Server]\nHost= \nDbPort=\n", "", ""}
                                                << "127.0.0.1" << 3306 << QStringList{"0:2:Host=", "0:3:DbPort="};
        QTest::newRow("variable not a number")
            << "abc" << QStringList{"", "", etc} << "10.1.2.3" << 3307 << QStringList{"RYN_DB_PORT:abc"};
        QTest::newRow("good values as before")
            << "" << QStringList{"[Server]\nHost=10.5.5.5\n", "", etc} << "10.5.5.5" << 3307 << QStringList{};
    }
    void badValueDoesNotHideGoodOne()
    {
        QFETCH(QString, dbPortVariable);
        QFETCH(QStringList, contents);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QStringList, ignored);
        QTemporaryDir root;
        const QStringList files = searchPathUnder(root);
        const QList<int> used{0, 1, 3};
        for (int i = 0; i < contents.size(); ++i) {
            if (!contents[i].isEmpty())
                put(files[used[i]], contents[i].toUtf8());
        }
        qunsetenv("RYN_SERVER");
        qputenv("RYN_DB_PORT", dbPortVariable.toUtf8());
        auto restore = qScopeGuard([] { qunsetenv("RYN_DB_PORT"); });
        const ServerSettings s = ServerSettings::load();
        QCOMPARE(s.host, host);
        QCOMPARE(s.dbPort, port);
        const QString described = s.describeDatabase();
        QVERIFY(described.startsWith(Msg::databaseServer(host, port)));
        QString notes;
        for (const QString& entry : ignored) {
            const QStringList part = entry.split(':');
            notes += part.size() == 2 ? Msg::settingVariableIgnored(part[0], part[1])
                                      : Msg::settingIgnored(files[used[part[0].toInt()]], part[1].toInt(), part[2]);
        }
        QVERIFY2(described.endsWith(notes), qPrintable(described));
    }

    // The language choice rewrites one line of a file from another system (Big5 here) and keeps
    // every other byte, the line ends, the spelling of the key and the file's mode.
    void choiceKeepsOtherBytes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray server = "[Server]\r\n; \xa6\xf8\xaa\x41\xbe\xb9\r\nHost=10.1.2.3\r\n"; // Big5 comment
        QTest::newRow("Big5, CR LF") << server + "[Language]\r\ndefault=tw\r\n"
                                     << server + "[Language]\r\ndefault=cn\r\n";
        QTest::newRow("own spelling, no last line end")
            << QByteArray("[Language]\r\nName=\xa4\xa4\xa4\xe5\r\n DEFAULT = tw")
            << QByteArray("[Language]\r\nName=\xa4\xa4\xa4\xe5\r\n DEFAULT = cn");
        QTest::newRow("added in its section, LF")
            << QByteArray("[Language]\n; \xa4\xa4\n\n[Server]\nHost=x\n")
            << QByteArray("[Language]\n; \xa4\xa4\ndefault=cn\n\n[Server]\nHost=x\n");
        QTest::newRow("section added") << QByteArray("; \xa4\xa4")
                                       << QByteArray("; \xa4\xa4\n[Language]\ndefault=cn\n");
        QTest::newRow("unchanged") << QByteArray("[Language]\r\ndefault=cn\r\n\xa4")
                                   << QByteArray("[Language]\r\ndefault=cn\r\n\xa4");
    }
    void choiceKeepsOtherBytes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = TestFiles::write(dir.filePath("ryn.ini"), before);
        QVERIFY(::chmod(QFile::encodeName(path), 0640) == 0);
        // Written through the link the user made, which stays.
        const QString link = dir.filePath("link.ini");
        QVERIFY(QFile::link(path, link));
        IniFile::writeString(link, "Language", "default", "cn");
        QCOMPARE(TestFiles::read(path), after);
        QVERIFY(QFileInfo(link).isSymLink());
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(path), &st) == 0);
        QCOMPARE(st.st_mode & 07777, 0640u);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }
};

RYN_CORE_TEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
