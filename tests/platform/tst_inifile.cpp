#include "platform/errors.h"
#include "platform/inifile.h"
#include "coresupport.h"

#include <QTemporaryDir>

namespace {
const QStringList kFiles{"working", "user", "xdg", "etc"};
}

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

    // Each row names the files that exist (working directory, per-user, $XDG_CONFIG_DIRS, /etc) and
    // their lines; a key comes from the first file holding it, and the menu's choice is written to
    // the working directory's file or else the per-user one, never to the machine's.
    void searchOrderAndWhereTheChoiceGoes_data()
    {
        QTest::addColumn<QStringList>("contents");
        QTest::addColumn<QStringList>("expected"); // the language, its file, the host, the file written
        const QString tw = "[Language]\ndefault=tw\n", cn = "[Language]\ndefault=cn\n";
        const QString host = "[Server]\nHost=10.0.0.9\n";
        QTest::newRow("working wins") << QStringList{tw, cn, cn, cn + host}
                                      << QStringList{"tw", "working", "10.0.0.9", "working"};
        QTest::newRow("user, system") << QStringList{"", cn, tw, tw + host}
                                      << QStringList{"cn", "user", "10.0.0.9", "user"};
        QTest::newRow("xdg, etc") << QStringList{"", "", tw, cn + host} << QStringList{"tw", "xdg", "10.0.0.9", "user"};
        QTest::newRow("etc last") << QStringList{"", "", "", cn + host} << QStringList{"cn", "etc", "10.0.0.9", "user"};
        QTest::newRow("key by key") << QStringList{"[Server]\nHost=10.0.0.1\n", "", "", tw + host}
                                    << QStringList{"tw", "etc", "10.0.0.1", "working"};
        QTest::newRow("none") << QStringList{"", "", "", ""} << QStringList{"", "", "", "user"};
    }
    void searchOrderAndWhereTheChoiceGoes()
    {
        QFETCH(QStringList, contents);
        QFETCH(QStringList, expected);
        QTemporaryDir root;
        const QString oldDir = QDir::currentPath();
        auto restore = qScopeGuard([&] { QDir::setCurrent(oldDir); });
        QVERIFY(QDir(root.path()).mkpath("working") && QDir::setCurrent(root.filePath("working")));
        qputenv("XDG_CONFIG_HOME", root.filePath("user").toUtf8());
        qputenv("XDG_CONFIG_DIRS", root.filePath("xdg").toUtf8());
        qputenv("RYN_SYSCONFDIR", root.filePath("etc").toUtf8());
        QHash<QString, QString> path;
        for (int i = 0; i < kFiles.size(); ++i) {
            path[kFiles[i]] = root.filePath(kFiles[i] + (i ? "/ryn/ryn.ini" : "/ryn.ini"));
            if (contents[i].isEmpty())
                continue;
            QDir().mkpath(QFileInfo(path[kFiles[i]]).path());
            QFile f(path[kFiles[i]]);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents[i].toUtf8());
        }
        QCOMPARE(IniFile::settingsSearchPath().mid(0, 4),
                 QStringList({path["working"], path["user"], path["xdg"], path["etc"]}));
        const IniFile::Setting language = IniFile::findSetting("Language", "default");
        QCOMPARE(language.value, expected[0]);
        QCOMPARE(language.file, path.value(expected[1]));
        QCOMPARE(IniFile::findSetting("server", "host").value, expected[2]);

        IniFile::writeSetting("Language", "default", "chosen");
        const IniFile::Setting chosen = IniFile::findSetting("Language", "default");
        QCOMPARE(chosen.value, QStringLiteral("chosen"));
        QCOMPARE(chosen.file, path[expected[3]]);
        // The per-user file made for the choice does not hide the machine's server address.
        QCOMPARE(IniFile::findSetting("Server", "Host").value, expected[2]);
        for (int i = 1; i < kFiles.size(); ++i) {
            if (kFiles[i] != expected[3])
                QCOMPARE(readAll(path[kFiles[i]]), contents[i]);
        }
    }
};

RYN_CORE_TEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
