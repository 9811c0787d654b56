#include "platform/errors.h"
#include "platform/inifile.h"
#include "coresupport.h"

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
};

RYN_CORE_TEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
