// The language-file reader: encodings, line rules, parameters, sections, decoding, errors, and
// input that must neither crash nor hang.

#include "coresupport.h"

#include "lang/langfile.h"
#include "platform/errors.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <optional>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

QByteArray utf8(const char* text)
{
    return QByteArray(text);
}

// The translation of id in window's section, or nothing when the section or the ID is missing.
std::optional<QString> translation(const QByteArray& bytes, const QString& window, qint32 id)
{
    const LangFile file = LangFile::parse(bytes, LangFile::Mode::Full);
    const QHash<qint32, QString>* section = file.section(window);
    if (!section || !section->contains(id))
        return std::nullopt;
    return section->value(id);
}

QByteArray encode(const QString& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QString>)

class TestLangFile : public QObject
{
    Q_OBJECT

private slots:
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString text = QStringLiteral("LANGID=2052\r\n[frmLogin]\r\n00000001=登录\r\n");
        QTest::newRow("utf-8 mark") << kUtf8Bom + text.toUtf8();
        QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE") + encode(text, QStringConverter::Utf16LE);
        QTest::newRow("utf-16be mark") << QByteArray("\xFE\xFF") + encode(text, QStringConverter::Utf16BE);
        // No mark: the system's code page, which is UTF-8 wherever this program runs on Linux.
        QTest::newRow("no mark") << text.toUtf8();
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        const LangFile file = LangFile::parse(bytes, LangFile::Mode::Full);
        QCOMPARE(file.languageId(), quint16(2052));
        QVERIFY(file.section(QStringLiteral("frmLogin")));
        QCOMPARE(file.section(QStringLiteral("frmLogin"))->value(1), QStringLiteral("登录"));
    }

    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("id");
        QTest::addColumn<std::optional<QString>>("expected");
        const std::optional<QString> none;
        auto s = [](const char* text) { return std::optional<QString>(QString::fromUtf8(text)); };

        QTest::newRow("trimmed both ends") << utf8(" \t[frmA]\x01 \n\t 1 = 甲 乙 \x1f\n") << "frmA" << 1 << s("甲 乙");
        QTest::newRow("ideographic space kept")
            << utf8("[frmA]\n1=\xE3\x80\x80x\xE3\x80\x80\n") << "frmA" << 1 << s("\xE3\x80\x80x\xE3\x80\x80");
        QTest::newRow("comment line") << utf8("[frmA]\n;1=a\n") << "frmA" << 1 << none;
        QTest::newRow("indented comment") << utf8("[frmA]\n   ;1=a\n") << "frmA" << 1 << none;
        QTest::newRow("split at first =") << utf8("[frmA]\n1=a=b\n") << "frmA" << 1 << s("a=b");
        QTest::newRow("empty value") << utf8("[frmA]\n1=\n") << "frmA" << 1 << s("");
        QTest::newRow("no = ignored") << utf8("[frmA]\n1\n") << "frmA" << 1 << none;
        QTest::newRow("invalid [ keeps section") << utf8("[frmA]\n[frmB\n1=a\n") << "frmA" << 1 << s("a");
        QTest::newRow("[] keeps section") << utf8("[frmA]\n[]\n1=a\n") << "frmA" << 1 << s("a");
        QTest::newRow("[x keeps section") << utf8("[frmA]\n[x\n1=a\n") << "frmA" << 1 << s("a");
        QTest::newRow("header name trimmed") << utf8("[  frmA \t]\n1=a\n") << "frmA" << 1 << s("a");
        QTest::newRow("section case ignored") << utf8("[FRMa]\n1=a\n") << "frmA" << 1 << s("a");
        QTest::newRow("repeated header continues")
            << utf8("[frmA]\n1=a\n[frmB]\n1=b\n[FrmA]\n2=c\n") << "frmA" << 2 << s("c");
        QTest::newRow("repeated header keeps earlier")
            << utf8("[frmA]\n1=a\n[frmB]\n1=b\n[FrmA]\n2=c\n") << "frmA" << 1 << s("a");
        QTest::newRow("leading zeros") << utf8("[frmA]\n00000012=a\n") << "frmA" << 12 << s("a");
        QTest::newRow("id 0 ignored") << utf8("[frmA]\n0=a\n") << "frmA" << 0 << none;
        QTest::newRow("negative id ignored") << utf8("[frmA]\n-1=a\n1=b\n") << "frmA" << 1 << s("b");
        QTest::newRow("hex id ignored") << utf8("[frmA]\n0x1=a\n") << "frmA" << 1 << none;
        QTest::newRow("id beyond 32 bits ignored") << utf8("[frmA]\n4294967297=a\n") << "frmA" << 1 << none;
        QTest::newRow("id 2^31 ignored") << utf8("[frmA]\n2147483648=a\n") << "frmA" << 0 << none;
        QTest::newRow("largest id") << utf8("[frmA]\n2147483647=a\n") << "frmA" << 2147483647 << s("a");
        QTest::newRow("cr line ends") << utf8("[frmA]\r1=a\r2=b") << "frmA" << 2 << s("b");
        QTest::newRow("last line without break") << utf8("[frmA]\n1=a") << "frmA" << 1 << s("a");
        QTest::newRow("other window") << utf8("[frmA]\n1=a\n") << "frmB" << 1 << none;
        QTest::newRow("parameters are not translations") << utf8("1=a\n[frmA]\n") << "frmA" << 1 << none;
        QTest::newRow("constants are not translations") << utf8("[$Constants]\n1=a\n") << "$Constants" << 1 << none;
    }

    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, window);
        QFETCH(int, id);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(translation(bytes, window, id), expected);
    }

    void parameters()
    {
        const LangFile file = LangFile::parse(
            utf8("name=first\nLangId = 2052\nNAME = second\nText=a\\nb\n[frmA]\nLater=x\n"), LangFile::Mode::Full);
        QCOMPARE(file.parameter(QStringLiteral("Name")), QStringLiteral("second"));
        QCOMPARE(file.parameter(QStringLiteral("text")), QStringLiteral("a\\nb"));
        QVERIFY(!file.hasParameter(QStringLiteral("Later")));
        QCOMPARE(file.languageId(), quint16(2052));
    }

    void languageId_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << utf8("LANGID=2052") << 2052;
        QTest::newRow("leading zeros") << utf8("LANGID=0002052") << 2052;
        QTest::newRow("missing") << utf8("Name=x") << 0;
        QTest::newRow("not a number") << utf8("LANGID=zh-CN") << 0;
        QTest::newRow("empty") << utf8("LANGID=") << 0;
        QTest::newRow("low 16 bits") << utf8("LANGID=67588") << 2052;
        QTest::newRow("low 16 bits zero") << utf8("LANGID=65536") << 0;
        QTest::newRow("negative") << utf8("LANGID=-1") << 65535;
        QTest::newRow("beyond 32 bits") << utf8("LANGID=4294969348") << 0;
        QTest::newRow("later replaces") << utf8("LANGID=1028\nlangid=2052") << 2052;
        QTest::newRow("after a section") << utf8("[frmA]\nLANGID=2052") << 0;
    }

    void languageId()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, expected);
        QCOMPARE(int(LangFile::parse(bytes, LangFile::Mode::Full).languageId()), expected);
        QCOMPARE(int(LangFile::parse(bytes, LangFile::Mode::ParametersOnly).languageId()), expected);
    }

    void parametersOnlyStopsAtFirstBracketLine()
    {
        // The broken header ends the parameters for registration, while a full read skips it.
        const QByteArray bytes = utf8("LANGID=1028\n[broken\nLANGID=2052\n[frmA]\n1=a\n1=b\n");
        QCOMPARE(LangFile::parse(bytes, LangFile::Mode::ParametersOnly).languageId(), quint16(1028));
        QVERIFY_THROWS_EXCEPTION(AppError, LangFile::parse(bytes, LangFile::Mode::Full));
    }

    void constants()
    {
        const LangFile file = LangFile::parse(utf8("[$constants]\nGreeting=a\\tb\n[frmA]\n1=x\n[$CONSTANTS]\nbye=c\n"),
                                              LangFile::Mode::Full);
        QCOMPARE(file.constant(QStringLiteral("GREETING")), QStringLiteral("a\tb"));
        QCOMPARE(file.constant(QStringLiteral("Bye")), QStringLiteral("c"));
        QCOMPARE(file.sectionNames(), QStringList{QStringLiteral("frmA")});
    }

    void duplicateId_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("id");
        QTest::newRow("same section") << utf8("LANGID=2052\r\n[frmA]\r\n1=a\r\n\r\n00000001=b\r\n") << 4 << 1;
        QTest::newRow("repeated header") << utf8("; c\n[frmA]\n7=a\n[frmB]\n7=b\n[FRMA]\n007=c\n") << 6 << 7;
        QTest::newRow("cr line ends") << utf8("[frmA]\r1=a\r1=a") << 2 << 1;
    }

    void duplicateId()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(int, id);
        const QString expected =
            QStringLiteral("Loading translations failed.\r\nLine %1: Duplicate property value translation ID (%2)")
                .arg(line)
                .arg(id);
        try {
            LangFile::parse(bytes, LangFile::Mode::Full);
            QFAIL("no error");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), expected);
        }
    }

    void repeatsThatAreNotErrors()
    {
        const LangFile file = LangFile::parse(
            utf8("A=1\nA=2\n[frmA]\n1=a\n0=x\n0=y\n[frmB]\n1=b\n[$constants]\nK=1\nK=2\n"), LangFile::Mode::Full);
        QCOMPARE(file.section(QStringLiteral("frmB"))->value(1), QStringLiteral("b"));
        QCOMPARE(file.constant(QStringLiteral("K")), QStringLiteral("2"));
    }

    void decoding_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("decoded");
        auto row = [](const char* name, const char* raw, const char* decoded) {
            QTest::newRow(name) << QString::fromUtf8(raw) << QString::fromUtf8(decoded);
        };
        row("backslash", "a\\\\b", "a\\b");
        row("line break", "a\\nb", "a\r\nb");
        row("tab", "a\\tb", "a\tb");
        row("two digits", "a\\13b", "a\rb");
        row("code 65", "\\65", "A");
        row("third digit is text", "\\650", "A0");
        row("one digit", "\\1x", "\\1x");
        row("digit at end", "x\\1", "x\\1");
        row("upper N", "a\\Nb", "a\\Nb");
        row("upper T", "\\T", "\\T");
        row("other letter", "\\x41", "\\x41");
        row("escaped backslash before n", "\\\\n", "\\n");
        row("lone trailing backslash", "ab\\", "ab\\");
        row("only a backslash", "\\", "\\");
        row("three backslashes", "\\\\\\", "\\\\");
    }

    void decoding()
    {
        QFETCH(QString, raw);
        QFETCH(QString, decoded);
        QCOMPARE(LangFile::decodeValue(raw), decoded);
        // Values of a window section are decoded as they are read.
        QCOMPARE(translation((QStringLiteral("[frmA]\n1=") + raw).toUtf8(), QStringLiteral("frmA"), 1), decoded);
    }

    void missingFileThrows()
    {
        try {
            LangFile::load(QStringLiteral("/nonexistent/ryn/cn.lng"), LangFile::Mode::Full);
            QFAIL("no error");
        } catch (const AppError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Loading translations failed.\r\nLine 0: ")),
                     qPrintable(e.message()));
        }
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("mark only") << kUtf8Bom;
        QTest::newRow("half a utf-16 mark") << QByteArray("\xFF");
        QTest::newRow("utf-16 mark, odd length") << QByteArray("\xFF\xFE\x5B\x00\x66", 5);
        QTest::newRow("utf-32 mark") << QByteArray("\xFF\xFE\x00\x00[\x00\x00\x00", 8);
        QTest::newRow("two utf-8 marks") << kUtf8Bom + kUtf8Bom + "[frmA]\n1=a";
        QTest::newRow("lone high surrogate") << QByteArray("\xFF\xFE[\0f\0]\0\n\0001\0=\0\x00\xD8\n\0", 18);
        QTest::newRow("lone low surrogate, be") << QByteArray("\xFE\xFF\0[\0f\0]\0\n\0001\0=\xDC\x00", 16);
        QTest::newRow("truncated utf-8") << QByteArray("[frmA]\n1=\xE7\x99");
        QTest::newRow("invalid utf-8") << QByteArray("[frmA]\n1=\xFF\xC0\x80\xED\xA0\x80");
        QTest::newRow("nul bytes") << QByteArray("[frm\0A]\n1\0=\0a", 13);
        QTest::newRow("brackets only") << QByteArray("[\n]\n[[\n]]\n[=]\n=\n==\n");
        QTest::newRow("id of many digits") << "[frmA]\n" + QByteArray(5000, '9') + "=x";
        QTest::newRow("many zeros") << "[frmA]\n" + QByteArray(5000, '0') + "1=x";
        QTest::newRow("backslashes") << "[frmA]\n1=" + QByteArray(10001, '\\');
        QByteArray binary(256 * 1024, '\0');
        QRandomGenerator generator(20240101);
        for (char& c : binary)
            c = char(generator.bounded(256));
        QTest::newRow("binary") << binary;
        QTest::newRow("utf-16 binary") << QByteArray("\xFF\xFE") + binary;
    }

    void badInput()
    {
        QFETCH(QByteArray, bytes);
        for (LangFile::Mode mode : {LangFile::Mode::ParametersOnly, LangFile::Mode::Full}) {
            try {
                const LangFile file = LangFile::parse(bytes, mode);
                file.languageId();
                file.sectionNames();
            } catch (const AppError&) {
                // A repeated ID in random bytes is a proper outcome; anything else is not.
            }
        }
    }

    void longLine()
    {
        // A 1 MB line, split across the reader's chunks, and the lines around it.
        QByteArray bytes = "LANGID=2052\n[frmA]\n1=";
        bytes += QByteArray(1024 * 1024, 'x');
        bytes += "\r\n2=after\n";
        const LangFile file = LangFile::parse(bytes, LangFile::Mode::Full);
        QCOMPARE(file.section(QStringLiteral("frmA"))->value(1).size(), 1024 * 1024);
        QCOMPARE(file.section(QStringLiteral("frmA"))->value(2), QStringLiteral("after"));
        QCOMPARE(LangFile::parse(bytes, LangFile::Mode::ParametersOnly).languageId(), quint16(2052));
    }

    void crLfAcrossChunks()
    {
        // Chunks are 64 KiB; the CR of this CR LF is the chunk's last byte and must not make an
        // empty line that shifts the line numbers of an error.
        QByteArray bytes = "[frmA]\n1=";
        bytes += QByteArray(64 * 1024 - bytes.size() - 1, 'x');
        bytes += "\r\n1=again";
        QCOMPARE(bytes.indexOf('\r'), 64 * 1024 - 1);
        try {
            LangFile::parse(bytes, LangFile::Mode::Full);
            QFAIL("no error");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("Line 2:")), qPrintable(e.message()));
        }
    }
};

RYN_CORE_TEST_MAIN(TestLangFile)
#include "tst_langfile.moc"
