// The byte form of translation tables: the exact layout, round trips, and bytes that must be
// refused without reading past their end.

#include "coresupport.h"

#include "lang/langdata.h"
#include "lang/langtables.h"

#include <QRandomGenerator>
#include <QtEndian>

namespace {

QByteArray u16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

QByteArray i32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray text(const QByteArray& utf8)
{
    return u16(quint16(utf8.size())) + utf8;
}

// One entry with the given flags and raw tails, for building malformed tables by hand.
QByteArray entry(const QByteArray& name, const QByteArray& properties, const QByteArray& children)
{
    QByteArray out = text(name);
    out += properties.isEmpty() ? QByteArray(1, '\0') : QByteArray(1, '\1') + properties;
    out += children.isEmpty() ? QByteArray(1, '\0') : QByteArray(1, '\1') + children;
    return out;
}

} // namespace

class TestLangData : public QObject
{
    Q_OBJECT

private slots:
    void loginTableBytes()
    {
        QByteArray expected;
        expected += text("frmLogin") + '\1' + i32(1) + i32(1) + text("Caption");
        expected += '\1' + i32(16);
        expected += text("lblUno") + '\1' + i32(1) + i32(2) + text("Caption") + '\0';
        const QByteArray bytes = LangData::encode(LangTables::frmLogin());
        QCOMPARE(bytes.left(expected.size()), expected);
        // The first bytes as they are written out: 08 00 "frmLogin" 01 01 00 00 00 01 00 00 00 07 00 ...
        QCOMPARE(bytes.left(16).toHex(' '), QByteArray("08 00 66 72 6d 4c 6f 67 69 6e 01 01 00 00 00 01"));
    }

    void loginTableChildren()
    {
        const LangEntry table = LangTables::frmLogin();
        QStringList names;
        for (const LangEntry& c : table.children)
            names << c.name;
        QCOMPARE(
            names.join(QLatin1Char(' ')),
            QStringLiteral("lblUno lblPassword txtLogin txtPassword btnLogin btnExit Memo1 chkShowPassword connRyn "
                           "qryLogin dsLogin tblCorp tblCorpinvoiceno tblCorpcorpname tblCorpwatermark LangCtrl"));
        QVERIFY(table.child(QStringLiteral("dsLogin"))->properties.isEmpty());
        QCOMPARE(table.child(QStringLiteral("Memo1"))->properties, (QList<LangProperty>{{6, QStringLiteral("Lines")}}));
    }

    void windowTables_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("count");
        const QList<QPair<const char*, int>> counts = {
            {"frmLogin", 13},     {"frmRynMain", 27}, {"frmChangePassword", 8}, {"frmAbout", 5},
            {"frmClassroom", 25}, {"frmCorp", 21},    {"frmCourse", 51},        {"frmStudClass", 78},
            {"frmStudent", 21},   {"frmUser", 29},    {"frmWatchlog", 31},      {"frmStatistics", 18},
            {"frmGridTools", 17}};
        QCOMPARE(LangTables::windowNames().size(), counts.size());
        for (const auto& [window, count] : counts)
            QTest::newRow(window) << QString::fromLatin1(window) << count;
    }

    void windowTables()
    {
        QFETCH(QString, window);
        QFETCH(int, count);
        const LangEntry table = LangTables::forWindow(window);
        QCOMPARE(table.name, window);
        QCOMPARE(table.propertyCount(), count);
        // IDs run from 1 without gaps, the window's own caption first; children have no children.
        QCOMPARE(table.properties.first(), (LangProperty{1, QStringLiteral("Caption")}));
        QList<bool> seen(count + 1, false);
        for (const LangEntry& c : table.children) {
            QVERIFY(c.children.isEmpty());
            for (const LangProperty& p : c.properties) {
                QVERIFY2(p.id >= 1 && p.id <= count && !seen[p.id], qPrintable(c.name + QLatin1Char('.') + p.path));
                seen[p.id] = true;
            }
        }
        QCOMPARE(seen.count(true), count - 1);

        const std::optional<LangEntry> decoded = LangData::decode(LangData::encode(table));
        QVERIFY(decoded);
        QVERIFY(*decoded == table);
    }

    void roundTripOddContent()
    {
        LangEntry root{QStringLiteral("\uFEFF窗口"), {{-5, QString()}, {0, QStringLiteral("Items[3]")}}, {}};
        root.children.append(
            LangEntry{QString(), {}, {LangEntry{QStringLiteral("deep"), {{7, QStringLiteral("x")}}, {}}}});
        const std::optional<LangEntry> decoded = LangData::decode(LangData::encode(root));
        QVERIFY(decoded);
        QVERIFY(*decoded == root);
    }

    void acceptedForms()
    {
        // A set flag with a count of zero, and flags other than 1, mean the same as their plain forms.
        const QByteArray bytes = text("w") + '\7' + i32(0) + '\xFF' + i32(1) + entry("c", {}, {});
        const std::optional<LangEntry> decoded = LangData::decode(bytes);
        QVERIFY(decoded);
        QCOMPARE(decoded->children.size(), 1);
        QCOMPARE(decoded->children.first().name, QStringLiteral("c"));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = LangData::encode(LangTables::frmLogin());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray(1, '\x08');
        QTest::newRow("name past end") << text("frmLogin").left(5);
        QTest::newRow("no flags") << text("w");
        QTest::newRow("count past end") << text("w") + '\1' + QByteArray(2, '\0');
        QTest::newRow("negative property count") << text("w") + '\1' + i32(-1) + '\0';
        QTest::newRow("negative child count") << text("w") + '\0' + '\1' + i32(-2);
        QTest::newRow("huge property count") << text("w") + '\1' + i32(0x7FFFFFFF) + i32(1) + text("Caption") + '\0';
        QTest::newRow("huge child count") << text("w") + '\0' + '\1' + i32(0x7FFFFFFF) + entry("c", {}, {});
        QTest::newRow("path length past end") << text("w") + '\1' + i32(1) + i32(1) + u16(0xFFFF) + "Caption";
        QTest::newRow("bad utf-8 name") << entry("\xC0\x80", {}, {});
        QTest::newRow("surrogate in utf-8") << entry("\xED\xA0\x80", {}, {});
        QTest::newRow("bad utf-8 path") << entry("w", i32(1) + i32(1) + text("\xFF"), {});
        QTest::newRow("truncated utf-8") << entry("\xE7\x99", {}, {});
        QTest::newRow("trailing bytes") << good + '\0';
        for (int cut : {1, 2, 10, 20, int(good.size()) / 2, int(good.size()) - 1})
            QTest::newRow(qPrintable(QStringLiteral("cut to %1").arg(cut))) << good.left(cut);
        QByteArray nested = entry("leaf", {}, {});
        for (int depth = 0; depth < 1000; ++depth)
            nested = text("n") + '\0' + '\1' + i32(1) + nested;
        QTest::newRow("nested 1000 deep") << nested;
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(!LangData::decode(bytes, &error));
        QVERIFY(!error.isEmpty());
    }

    void randomBytes()
    {
        // Random bytes and random damage to a real table: every outcome is a clean yes or no, and
        // whatever is accepted encodes back to an equal tree.
        QRandomGenerator generator(7);
        const QByteArray good = LangData::encode(LangTables::frmStudClass());
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = good;
            if (round % 2) {
                bytes.resize(generator.bounded(64));
                for (char& c : bytes)
                    c = char(generator.bounded(256));
            } else {
                for (int n = 0; n < 4; ++n)
                    bytes[generator.bounded(int(bytes.size()))] = char(generator.bounded(256));
            }
            const std::optional<LangEntry> decoded = LangData::decode(bytes);
            if (decoded)
                QVERIFY(LangData::decode(LangData::encode(*decoded)) == decoded);
        }
    }
};

RYN_CORE_TEST_MAIN(TestLangData)
#include "tst_langdata.moc"
