// The language manager's lists: registering language files, scanning directories, and the
// language list as the windows see it.

#include "coresupport.h"

#include "lang/languagemanager.h"

#include <QStringEncoder>
#include <QTemporaryDir>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray langFile(int id)
{
    return QStringLiteral("\uFEFFLANGID=%1\r\n[frmA]\r\n1=a\r\n").arg(id).toUtf8();
}

} // namespace

class TestLanguageManager : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        languageManager().reset();
        QVERIFY(m_dir.isValid());
    }

    void cleanupTestCase() { languageManager().reset(); }

    void builtInLanguage()
    {
        QCOMPARE(LanguageManager::DefaultLanguageID, quint16(1033));
        QCOMPARE(languageManager().languageId(), quint16(1033));
        QCOMPARE(languageManager().languageCount(), 1);
        QCOMPARE(languageManager().languageIdAt(0), quint16(1033));
        // No file registered: the start-up choice of index 1 falls back to the built-in language.
        QCOMPARE(languageManager().languageIdAt(1), quint16(1033));
        QCOMPARE(languageManager().languageIdAt(-1), quint16(1033));
        QCOMPARE(&languageManager(), &languageManager());
    }

    void registration_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("registeredId"); // 0: nothing registered
        QTest::newRow("missing file") << QByteArray() << false << 0;
        QTest::newRow("langid 0") << QByteArray("LANGID=0\n") << false << 0;
        QTest::newRow("no langid") << QByteArray("Name=x\n[frmA]\n1=a\n") << false << 0;
        QTest::newRow("langid after a section") << QByteArray("[frmA]\nLANGID=2052\n") << false << 0;
        QTest::newRow("langid not a number") << QByteArray("LANGID=zh\n") << false << 0;
        QTest::newRow("langid 65536") << QByteArray("LANGID=65536\n") << false << 0;
        QTest::newRow("built-in id") << QByteArray("LANGID=1033\n") << true << 0;
        QTest::newRow("simplified chinese") << langFile(2052) << true << 2052;
        QTest::newRow("low 16 bits") << QByteArray("langid = 67588\n") << true << 2052;
        QStringEncoder utf16(QStringConverter::Utf16BE);
        QTest::newRow("utf-16be") << QByteArray("\xFE\xFF") + QByteArray(utf16.encode(u"LANGID=1028")) << true << 1028;
        // Registration reads the parameters only, so a broken section cannot stop it.
        QTest::newRow("repeated id later") << QByteArray("LANGID=2052\n[frmA]\n1=a\n1=b\n") << true << 2052;
    }

    void registration()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, result);
        QFETCH(int, registeredId);
        const QString file = path(QStringLiteral("x.lng"));
        QFile::remove(file);
        if (!bytes.isNull())
            writeFile(file, bytes);
        QCOMPARE(languageManager().registerLanguageFile(file), result);
        QCOMPARE(languageManager().languageCount(), registeredId ? 2 : 1);
        if (registeredId) {
            QCOMPARE(int(languageManager().languageIdAt(1)), registeredId);
            QCOMPARE(languageManager().languageFile(quint16(registeredId)), QFileInfo(file).absoluteFilePath());
        }
    }

    void directoryIsNotAFile()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("d.lng")));
        QVERIFY(!languageManager().registerLanguageFile(path(QStringLiteral("d.lng"))));
        QCOMPARE(languageManager().languageCount(), 1);
    }

    void sameIdReplacesPathInPlace()
    {
        writeFile(path(QStringLiteral("a.lng")), langFile(2052));
        writeFile(path(QStringLiteral("b.lng")), langFile(1028));
        writeFile(path(QStringLiteral("c.lng")), langFile(2052));
        QVERIFY(languageManager().registerLanguageFile(path(QStringLiteral("a.lng"))));
        QVERIFY(languageManager().registerLanguageFile(path(QStringLiteral("b.lng"))));
        QVERIFY(languageManager().registerLanguageFile(path(QStringLiteral("c.lng"))));
        QVERIFY(languageManager().registerLanguageFile(path(QStringLiteral("c.lng"))));
        QCOMPARE(languageManager().languageCount(), 3);
        QCOMPARE(languageManager().languageIdAt(1), quint16(2052));
        QCOMPARE(languageManager().languageIdAt(2), quint16(1028));
        QCOMPARE(languageManager().languageFile(2052), path(QStringLiteral("c.lng")));
    }

    void scan_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("flat") << false << 3 << QList<int>{1028, 2052};
        QTest::newRow("recursive") << true << 4 << QList<int>{1028, 2052, 1041};
    }

    void scan()
    {
        QFETCH(bool, recursive);
        QFETCH(int, count);
        QFETCH(QList<int>, ids);
        QTemporaryDir dir;
        const QDir root(dir.path());
        writeFile(root.filePath(QStringLiteral("B.LNG")), langFile(2052));
        writeFile(root.filePath(QStringLiteral("a.lng")), langFile(1028));
        writeFile(root.filePath(QStringLiteral("us.lng")), langFile(1033));  // counts, not registered
        writeFile(root.filePath(QStringLiteral("none.lng")), langFile(0));   // ignored
        writeFile(root.filePath(QStringLiteral("cn.lng.bak")), langFile(3)); // other name
        QVERIFY(root.mkpath(QStringLiteral("more.lng")));
        writeFile(root.filePath(QStringLiteral("more.lng/jp.lng")), langFile(1041));
        QVERIFY(root.mkpath(QStringLiteral(".hidden.lng")));
        writeFile(root.filePath(QStringLiteral(".hidden.lng/kr.lng")), langFile(1042));
        QVERIFY(root.mkpath(QStringLiteral("plain")));
        writeFile(root.filePath(QStringLiteral("plain/de.lng")), langFile(1031));
        // A link back to the directory itself must not make the scan go round forever.
        QFile::link(root.path(), root.filePath(QStringLiteral("loop.lng")));

        QCOMPARE(languageManager().scanForLanguageFiles(dir.path(), QStringLiteral("*.lng"), recursive), count);
        QList<int> registered;
        for (int i = 1; i < languageManager().languageCount(); ++i)
            registered << languageManager().languageIdAt(i);
        QCOMPARE(registered, ids);
        // A second scan registers the same files again without changing the list.
        languageManager().scanForLanguageFiles(dir.path() + QLatin1Char('/'), QStringLiteral("*.lng"), recursive);
        QCOMPARE(languageManager().languageCount(), ids.size() + 1);
    }

    void scanMissingDirectory()
    {
        QCOMPARE(languageManager().scanForLanguageFiles(path(QStringLiteral("nowhere")), QStringLiteral("*.lng"), true),
                 0);
    }
};

RYN_CORE_TEST_MAIN(TestLanguageManager)
#include "tst_languagemanager.moc"
