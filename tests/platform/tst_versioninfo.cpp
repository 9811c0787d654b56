#include "coresupport.h"

#include "platform/versioninfo.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <elf.h>

namespace {

const QString FileVersionPath = QStringLiteral("StringFileInfo\\040403B6\\FileVersion");

QString rynPath()
{
    return qEnvironmentVariable("RYN_BUILD_DIR") + QStringLiteral("/ryn");
}

void pad4(QByteArray& bytes)
{
    while (bytes.size() % 4)
        bytes.append('\0');
}

// One node of a version block, written out from the layout in versioninfo.h.
QByteArray node(const QByteArray& key, const QByteArray& value, quint16 type, const QList<QByteArray>& children = {})
{
    QByteArray bytes(6, '\0');
    bytes += key + '\0';
    pad4(bytes);
    bytes += value;
    for (const QByteArray& child : children) {
        pad4(bytes);
        bytes += child;
    }
    qToLittleEndian<quint16>(quint16(bytes.size()), bytes.data());
    qToLittleEndian<quint16>(quint16(value.size()), bytes.data() + 2);
    qToLittleEndian<quint16>(type, bytes.data() + 4);
    return bytes;
}

QByteArray text(const QByteArray& key, const QByteArray& value)
{
    return node(key, value + '\0', 1);
}
QByteArray branch(const QByteArray& key, const QList<QByteArray>& children)
{
    return node(key, {}, 1, children);
}

QByteArray blockWithTables(const QList<QByteArray>& tables)
{
    return branch("VS_VERSION_INFO", {branch("StringFileInfo", tables)});
}

QByteArray standardBlock()
{
    return blockWithTables({branch("040904B0", {text("FileVersion", "9.9.9.9")}),
                            branch("040403B6", {text("CompanyName", "Korvel"), text("FileVersion", "1.3.0.0")})});
}

template <typename T> QByteArray raw(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// A minimal little-endian ELF file: the null section, the section names and, when given, .rynver.
// With extendedCount the section count and the names' index live in the first section header.
template <typename Ehdr, typename Shdr>
QByteArray elfFile(unsigned char elfClass, const QByteArray* section, bool extendedCount = false)
{
    const QByteArray names = QByteArrayLiteral("\0.shstrtab\0.rynver\0");
    Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = elfClass;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_EXEC;
    header.e_version = EV_CURRENT;
    header.e_ehsize = sizeof(Ehdr);
    header.e_shentsize = sizeof(Shdr);
    const int count = section ? 3 : 2;

    QByteArray contents = names;
    const qsizetype sectionOffset = sizeof(Ehdr) + contents.size();
    if (section)
        contents += *section;
    while ((sizeof(Ehdr) + contents.size()) % 8)
        contents.append('\0');
    header.e_shoff = sizeof(Ehdr) + contents.size();
    header.e_shnum = extendedCount ? 0 : count;
    header.e_shstrndx = extendedCount ? SHN_XINDEX : 1;

    Shdr null{}, nameTable{}, version{};
    if (extendedCount) {
        null.sh_size = count;
        null.sh_link = 1;
    }
    nameTable.sh_name = 1;
    nameTable.sh_type = SHT_STRTAB;
    nameTable.sh_offset = sizeof(Ehdr);
    nameTable.sh_size = names.size();
    version.sh_name = 11;
    version.sh_type = SHT_PROGBITS;
    version.sh_offset = sectionOffset;
    version.sh_size = section ? section->size() : 0;

    QByteArray file = raw(header) + contents + raw(null) + raw(nameTable);
    if (section)
        file += raw(version);
    return file;
}

QByteArray elf64(const QByteArray& section)
{
    return elfFile<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, &section);
}

} // namespace

class TestVersionInfo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& contents)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
            qFatal("Cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray fileContents(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("Cannot read %s", qPrintable(path));
        return file.readAll();
    }

    static QString lookUp(const QString& path, const QString& subBlock)
    {
        const quint32 size = GetFileVersionInfoSize(path);
        QByteArray buffer(qsizetype(size), '\0');
        QString value;
        if (size == 0 || !GetFileVersionInfo(path, size, buffer) || !VerQueryValue(buffer, subBlock, value))
            return QStringLiteral("<none>");
        return value;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readsTheProgramsOwnBlock()
    {
        QVERIFY2(QFile::exists(rynPath()), qPrintable(rynPath()));
        QCOMPARE(lookUp(rynPath(), FileVersionPath), QStringLiteral("1.3.0.0"));
        QCOMPARE(lookUp(rynPath(), QStringLiteral("\\StringFileInfo\\040403B6\\ProductName")),
                 QStringLiteral("Korvel線上影音教學系統後台管理"));
        QCOMPARE(lookUp(rynPath(), QStringLiteral("stringfileinfo\\040403b6\\fileversion")), QStringLiteral("1.3.0.0"));
    }

    // The reader must hand back exactly the bytes the linker put into the section.
    void readsTheSectionBytesOfTheProgram()
    {
        const QString objcopy = QStandardPaths::findExecutable(QStringLiteral("objcopy"));
        if (objcopy.isEmpty())
            QFAIL("objcopy not found (binutils)");
        const QString dumped = m_dir.filePath(QStringLiteral("rynver.bin"));
        QCOMPARE(QProcess::execute(objcopy, {QStringLiteral("-O"), QStringLiteral("binary"),
                                             QStringLiteral("--only-section=.rynver"), rynPath(), dumped}),
                 0);
        const QByteArray expected = fileContents(dumped);
        const quint32 size = GetFileVersionInfoSize(rynPath());
        QCOMPARE(size, quint32(qFromLittleEndian<quint16>(expected.constData())));
        QByteArray buffer(qsizetype(size), '\0');
        QVERIFY(GetFileVersionInfo(rynPath(), size, buffer));
        QCOMPARE(buffer, expected.left(size));
    }

    void programWithoutOtherEntries_data()
    {
        QTest::addColumn<QString>("subBlock");
        QTest::newRow("other table") << QStringLiteral("StringFileInfo\\040904B0\\FileVersion");
        QTest::newRow("missing entry") << QStringLiteral("StringFileInfo\\040403B6\\LegalCopyright");
        QTest::newRow("table, not an entry") << QStringLiteral("StringFileInfo\\040403B6");
        QTest::newRow("binary entry") << QStringLiteral("VarFileInfo\\Translation");
        QTest::newRow("root") << QStringLiteral("\\");
        QTest::newRow("too deep") << QStringLiteral("StringFileInfo\\040403B6\\FileVersion\\More");
    }
    void programWithoutOtherEntries()
    {
        QFETCH(QString, subBlock);
        QCOMPARE(lookUp(rynPath(), subBlock), QStringLiteral("<none>"));
    }

    void filesWithoutABlock_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("this test program") << QCoreApplication::applicationFilePath();
        QTest::newRow("system program") << QStringLiteral("/bin/true");
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("missing"));
        QTest::newRow("directory") << m_dir.path();
        QTest::newRow("empty file") << write(QStringLiteral("empty"), {});
        QTest::newRow("text file") << write(QStringLiteral("text"), "FileVersion=1.3.0.0\n");
        QTest::newRow("ELF magic only") << write(QStringLiteral("magic"), "\x7f"
                                                                          "ELF\x02\x01");
        QTest::newRow("ELF without .rynver")
            << write(QStringLiteral("bare"), elfFile<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, nullptr));
        QTest::newRow(".rynver of zeros") << write(QStringLiteral("zeros"), elf64(QByteArray(64, '\0')));
        QTest::newRow(".rynver with another root") << write(QStringLiteral("otherroot"), elf64(branch("VERSION", {})));
        QTest::newRow(".rynver cut short") << write(QStringLiteral("cut"), elf64(standardBlock().chopped(1)));

        QByteArray bigEndian = elf64(standardBlock());
        bigEndian[EI_DATA] = char(ELFDATA2MSB);
        QTest::newRow("big-endian ELF") << write(QStringLiteral("msb"), bigEndian);

        const QByteArray program = fileContents(rynPath());
        for (const qsizetype length :
             {qsizetype(4), qsizetype(16), qsizetype(63), qsizetype(64), program.size() / 2, program.size() - 1})
            QTest::addRow("program cut to %lld bytes", qlonglong(length))
                << write(QStringLiteral("ryn-%1").arg(length), program.left(length));
    }
    void filesWithoutABlock()
    {
        QFETCH(QString, path);
        QCOMPARE(GetFileVersionInfoSize(path), 0u);
        QByteArray buffer(16, 'x');
        QVERIFY(!GetFileVersionInfo(path, 16, buffer));
        QCOMPARE(buffer, QByteArray(16, 'x'));
    }

    void handmadeFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("version");
        const QByteArray block = standardBlock();
        QTest::newRow("64-bit") << elf64(block) << QStringLiteral("1.3.0.0");
        QTest::newRow("32-bit") << elfFile<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32, &block) << QStringLiteral("1.3.0.0");
        QTest::newRow("count in first header")
            << elfFile<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, &block, true) << QStringLiteral("1.3.0.0");
        QTest::newRow("no 040403B6 table")
            << elf64(blockWithTables({branch("040904B0", {text("FileVersion", "1.3.0.0")})}))
            << QStringLiteral("<none>");
        QTest::newRow("no string tables") << elf64(branch("VS_VERSION_INFO", {})) << QStringLiteral("<none>");
    }
    void handmadeFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, version);
        const QString path = write(QStringLiteral("handmade"), file);
        QVERIFY(GetFileVersionInfoSize(path) > 0);
        QCOMPARE(lookUp(path, FileVersionPath), version);
    }

    // The buffer is the caller's: a shorter size cuts the block, and a cut block answers nothing.
    void bufferSizes()
    {
        const QString path = write(QStringLiteral("sizes"), elf64(standardBlock()));
        const quint32 size = GetFileVersionInfoSize(path);
        QCOMPARE(size, quint32(standardBlock().size()));
        QByteArray buffer;
        QVERIFY(!GetFileVersionInfo(path, 0, buffer));
        QVERIFY(GetFileVersionInfo(path, size + 8, buffer));
        QCOMPARE(buffer, standardBlock() + QByteArray(8, '\0'));
        QByteArray shortBuffer;
        QVERIFY(GetFileVersionInfo(path, size - 4, shortBuffer));
        QCOMPARE(shortBuffer, standardBlock().left(size - 4));
        QString value;
        QVERIFY(!VerQueryValue(shortBuffer, FileVersionPath, value));
    }

    void lookupsInHandmadeBlocks_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("subBlock");
        QTest::addColumn<QString>("value");
        const QString none = QStringLiteral("<none>");
        QTest::newRow("second table") << standardBlock() << FileVersionPath << QStringLiteral("1.3.0.0");
        QTest::newRow("first table") << standardBlock() << QStringLiteral("StringFileInfo\\040904B0\\FileVersion")
                                     << QStringLiteral("9.9.9.9");
        QTest::newRow("empty value") << blockWithTables({branch("040403B6", {text("FileVersion", "")})})
                                     << FileVersionPath << QString();
        QTest::newRow("key is a prefix") << blockWithTables({branch("040403B6", {text("FileVersionX", "2")})})
                                         << FileVersionPath << none;
        QTest::newRow("wrong root") << branch("VS_VERSION", {branch("StringFileInfo", {})}) << FileVersionPath << none;
        QTest::newRow("empty block") << QByteArray() << FileVersionPath << none;

        QByteArray tooLong = standardBlock();
        qToLittleEndian<quint16>(quint16(tooLong.size() + 4), tooLong.data());
        QTest::newRow("root longer than block") << tooLong << FileVersionPath << none;

        QByteArray zeroChild = standardBlock();
        qToLittleEndian<quint16>(0, zeroChild.data() + 24);
        QTest::newRow("child of length 0") << zeroChild << FileVersionPath << none;

        const QByteArray leaf = text("FileVersion", "1.3.0.0");
        QByteArray valueTooLong = blockWithTables({branch("040403B6", {leaf})});
        qToLittleEndian<quint16>(200, valueTooLong.data() + valueTooLong.size() - leaf.size() + 2);
        QTest::newRow("value past its node") << valueTooLong << FileVersionPath << none;
    }
    void lookupsInHandmadeBlocks()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, subBlock);
        QFETCH(QString, value);
        QString found = QStringLiteral("<none>");
        VerQueryValue(block, subBlock, found);
        QCOMPARE(found, value);
    }

    void everyCutOfABlockFails()
    {
        const QByteArray block = standardBlock();
        for (qsizetype length = 0; length < block.size(); ++length) {
            QString value;
            QVERIFY2(!VerQueryValue(block.left(length), FileVersionPath, value), qPrintable(QString::number(length)));
        }
    }

    // Scrambled blocks and files must never crash or hang the reader, whatever they answer.
    void survivesScrambledInput()
    {
        QRandomGenerator random(20240601);
        const QByteArray block = standardBlock();
        const QByteArray file = elf64(block);
        const QString path = m_dir.filePath(QStringLiteral("scrambled"));
        for (int round = 0; round < 2000; ++round) {
            QByteArray scrambledBlock = block;
            QByteArray scrambledFile = file;
            for (int i = 0; i < 4; ++i) {
                scrambledBlock[random.bounded(int(block.size()))] = char(random.bounded(256));
                scrambledFile[random.bounded(int(file.size()))] = char(random.bounded(256));
            }
            QString value;
            VerQueryValue(scrambledBlock, FileVersionPath, value);
            write(QStringLiteral("scrambled"), scrambledFile);
            QByteArray buffer(qsizetype(GetFileVersionInfoSize(path)), '\0');
            if (!buffer.isEmpty() && GetFileVersionInfo(path, quint32(buffer.size()), buffer))
                VerQueryValue(buffer, FileVersionPath, value);
        }
    }
};

RYN_CORE_TEST_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
