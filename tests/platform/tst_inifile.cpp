#include "platform/errors.h"
#include "platform/inifile.h"
#include "coresupport.h"
#include "testfiles.h"

#include <QTemporaryDir>

class TestIniFile : public QObject
{
    Q_OBJECT

    QString readAll(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

private slots:
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
};

RYN_CORE_TEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
