#include "import/columnmatch.h"
#include "import/importcheck.h"
#include "import/rowrules.h"
#include "import/sheetreader.h"
#include "lang/languagemanager.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "coresupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>

using namespace Import;

// The checks every imported row goes through (the windows' own), and the title row matched to
// the columns: one table of cases, each a row of texts and what becomes of it.
class TestRowRules : public QObject
{
    Q_OBJECT

    static Stored stored()
    {
        Stored s;
        s.keys = {folded(QStringLiteral("S001")), folded(QStringLiteral("Excel 入門"))};
        s.classes.insert(folded(QStringLiteral("Excel 入門")), {7, 1200, 1});
        s.classes.insert(folded(QStringLiteral("網頁設計")), {8, QVariant(), 1});
        s.classes.insert(folded(QStringLiteral("重複班")), {9, 10, 2});
        return s;
    }

    /// The message of the AppError that step throws; empty when it throws none.
    static QString refusal(const std::function<void()>& step)
    {
        try {
            step();
        } catch (const AppError& e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void check_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QVariantList>("values"); // when the row passes
        QTest::addColumn<QStringList>("reasons"); // "column: reason", when it does not

        const int student = int(Kind::Students), klass = int(Kind::Classes), topUp = int(Kind::TopUps);
        QTest::newRow("student, password defaults to the number")
            << student << QStringList{"S100", "陳大文", ""} << QVariantList{"S100", "陳大文", "S100"} << QStringList{};
        QTest::newRow("student, typed password kept, spaces kept")
            << student << QStringList{"S101 ", " 林", "abc"} << QVariantList{"S101 ", " 林", "abc"} << QStringList{};
        QTest::newRow("student, required in the window's order, each reported")
            << student << QStringList{"  ", "\t", ""} << QVariantList{}
            << QStringList{"學號: 請輸入學號", "學生姓名: 請輸入學生姓名", "密碼: 請輸入密碼"};
        QTest::newRow("student number too long, name of 10 is the limit")
            << student << QStringList{"123456789012345678901", "一二三四五六七八九十", "p"} << QVariantList{}
            << QStringList{"學號: 欄位 'spkey' 的文字超過 20 個字"};
        QTest::newRow("student already stored, other case and trailing spaces")
            << student << QStringList{"s001  ", "王", ""} << QVariantList{}
            << QStringList{"學號: 資料庫裡已經有「s001  」（不分大小寫）"};
        QTest::newRow("class, zero and negative totals, 65535")
            << klass << QStringList{"新班", "李", "-10", "65535"} << QVariantList{"新班", "李", -10, 65535}
            << QStringList{};
        QTest::newRow("class, points abc and 65536")
            << klass << QStringList{"新班", "李", "abc", "65536"} << QVariantList{}
            << QStringList{
                   "總點數: 'abc' 不是欄位 'classpoint' 的正確整數，請輸入 -2147483648 到 2147483647 之間 的整數",
                   "每次扣點: '65536' 超出欄位 'videopoint' 的範圍，數值必須在 0 到 65535 之間"};
        QTest::newRow("class stored in other letter case")
            << klass << QStringList{"EXCEL 入門", "李", "1", "1"} << QVariantList{}
            << QStringList{"班級名稱: 資料庫裡已經有「EXCEL 入門」（不分大小寫）"};
        QTest::newRow("top-up, points from the class") << topUp << QStringList{"S001", "excel 入門", ""}
                                                       << QVariantList{"S001", 7, 1200, "clerk"} << QStringList{};
        QTest::newRow("top-up, typed deduction") << topUp << QStringList{"S001", "Excel 入門", "-5"}
                                                 << QVariantList{"S001", 7, -5, "clerk"} << QStringList{};
        QTest::newRow("top-up, unknown, ambiguous, no total")
            << topUp << QStringList{"", "無此班", "x"} << QVariantList{}
            << QStringList{
                   "學號: 請輸入學號",
                   "加、扣點數: 'x' 不是欄位 'watchpoint' 的正確整數，請輸入 -2147483648 到 2147483647 之間 的整數",
                   "班級名稱: 找不到班級「無此班」"};
        QTest::newRow("top-up, two classes of that name")
            << topUp << QStringList{"S1", "重複班", "1"} << QVariantList{}
            << QStringList{"班級名稱: 有 2 個班級名稱是「重複班」，無法分辨是哪一個"};
        QTest::newRow("top-up, class without a total and no points")
            << topUp << QStringList{"S1", "網頁設計", ""} << QVariantList{}
            << QStringList{"加、扣點數: 請輸入加、扣點數（這個班級沒有總點數）"};
    }

    void check()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, texts);
        QFETCH(QVariantList, values);
        QFETCH(QStringList, reasons);
        const Rules rules = kind == int(Kind::Students)  ? Rules::students()
                            : kind == int(Kind::Classes) ? Rules::classes()
                                                         : Rules::topUps(QStringLiteral("clerk"));
        QStringList titles;
        for (const Column& c : rules.columns())
            titles.append(c.captions.first());
        QVariantList got;
        QList<CellError> errors;
        const bool ok = rules.check(5, texts, titles, stored(), got, errors);
        QStringList gotReasons;
        for (const CellError& e : errors) {
            QCOMPARE(e.row, 5);
            gotReasons.append(e.column + QStringLiteral(": ") + e.reason);
        }
        QCOMPARE(gotReasons, reasons);
        QCOMPARE(ok, reasons.isEmpty());
        if (!ok)
            return;
        if (kind == int(Kind::TopUps)) {
            QVERIFY(got.takeFirst().toDateTime().secsTo(QDateTime::currentDateTime()) < 5);
        }
        QCOMPARE(got.size(), values.size());
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(got.at(i).toString(), values.at(i).toString());
    }

    void titles()
    {
        // Grid titles, labels and field names, any case; unknown and repeated ones listed; a
        // missing required column named; the password may be absent (it has a default).
        const Rules rules = Rules::students();
        const ColumnMatch m = matchColumns({" 學生姓名 ", "SPKEY", "備註", "", "學號"}, rules, knownTitles(rules));
        QCOMPARE(m.cellOf, (QList<int>{1, 0, -1}));
        QCOMPARE(m.unknown, (QStringList{"備註", "學號"}));
        QVERIFY(m.missing.isEmpty());
        QCOMPARE(cellsInOrder({"陳", "S9"}, m), (QStringList{"S9", "陳", ""}));
        // The Simplified Chinese titles of the language file beside the program.
        languageManager().registerLanguageFile(qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/lang/cn.lng"));
        const ColumnMatch cn = matchColumns({"学号", "学生姓名", "密码"}, rules, knownTitles(rules));
        QCOMPARE(cn.cellOf, (QList<int>{0, 1, 2}));
        const Rules classes = Rules::classes();
        QCOMPARE(matchColumns({"班級名稱", "講師"}, classes, knownTitles(classes)).missing,
                 (QStringList{"總點數", "每次扣點"}));
    }

    // A file over 64 MB is refused before anything is read, in either format; a file of more rows
    // than the import takes is refused while it is read.
    void limits()
    {
        QTemporaryDir dir;
        for (const QString name : {QStringLiteral("big.csv"), QStringLiteral("big.xlsx")}) {
            QFile big(dir.filePath(name));
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(Sheet::MaxFileBytes + 1));
            big.close();
            QCOMPARE(refusal([&] { Sheet::open(big.fileName()); }), Msg::importTooLarge());
        }
        QFile many(dir.filePath(QStringLiteral("many.csv")));
        QVERIFY(many.open(QIODevice::WriteOnly));
        QByteArray text = "spkey,studname\n";
        for (qint64 i = 0; i <= Sheet::MaxRows; ++i)
            text += "S" + QByteArray::number(i) + ",a\n";
        QVERIFY(text.size() < Sheet::MaxFileBytes);
        QCOMPARE(many.write(text), text.size());
        many.close();
        const Rules rules = Rules::students();
        QCOMPARE(refusal([&] { preview(many.fileName(), rules, knownTitles(rules), Stored()); }),
                 Msg::importTooManyRows(Sheet::MaxRows));
    }
};

RYN_CORE_TEST_MAIN(TestRowRules)
#include "tst_rowrules.moc"
