// The checks a typed value passes before it is stored in a field of the row being edited, on
// tables filled with the demo rows.

#include "platform/messages.h"
#include "data/dberror.h"
#include "data/snapshotfill.h"
#include "data/snapshottable.h"
#include "tables.h"
#include "coresupport.h"

#include <QSignalSpy>

class FieldTest : public QObject
{
    Q_OBJECT

private:
    // classroom with classpoint declared as the type under test, current row in edit state.
    std::unique_ptr<SnapshotTable> classroomAs(FieldType type)
    {
        auto t = declareTable(nullptr, "classroom", {{"crpkey", FieldType::AutoInc}, {"classpoint", type}}, "crpkey");
        t->setObjectName(QStringLiteral("tblClass"));
        SnapshotFill::open(*t, {{1, 100}, {2, 200}, {3, 150}});
        t->edit();
        return t;
    }

    std::unique_ptr<SnapshotTable> students()
    {
        auto t =
            declareTable(nullptr, "stud", {{"spkey", FieldType::Text, 20}, {"studname", FieldType::Text, 10}}, "spkey");
        SnapshotFill::open(*t, {{"A001", QString::fromUtf8("陳大文")},
                                {"A002", QString::fromUtf8("林美玲")},
                                {"A003", QString::fromUtf8("張志明")},
                                {"B001", QString::fromUtf8("黃小華")}});
        return t;
    }

private slots:

    void numberText_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qlonglong>("stored");
        QTest::addColumn<QString>("range");

        const auto row = [](const char* name, FieldType type, const char* text, bool ok, qlonglong stored,
                            const QString& range) {
            QTest::newRow(name) << int(type) << QString::fromUtf8(text) << ok << stored << range;
        };
        const QString i16 = Msg::between(-32768, 32767), u16 = Msg::between(0, 65535);
        const QString i32 = Msg::between(INT32_MIN, INT32_MAX), i64 = Msg::between(INT64_MIN, INT64_MAX);
        row("int16 max", FieldType::Int16, "32767", true, 32767, i16);
        row("int16 min", FieldType::Int16, "-32768", true, -32768, i16);
        row("int16 above", FieldType::Int16, "32768", false, 0, i16);
        row("int16 below", FieldType::Int16, "-32769", false, 0, i16);
        row("uint16 max", FieldType::UInt16, "65535", true, 65535, u16);
        row("uint16 zero", FieldType::UInt16, "0", true, 0, u16);
        row("uint16 above", FieldType::UInt16, "65536", false, 0, u16);
        row("uint16 negative", FieldType::UInt16, "-1", false, 0, u16);
        row("int32 max", FieldType::Int32, "2147483647", true, 2147483647LL, i32);
        row("int32 min", FieldType::Int32, "-2147483648", true, -2147483648LL, i32);
        row("int32 above", FieldType::Int32, "2147483648", false, 0, i32);
        row("int32 below", FieldType::Int32, "-2147483649", false, 0, i32);
        row("int64 max", FieldType::Int64, "9223372036854775807", true, std::numeric_limits<qint64>::max(), i64);
        row("int64 min", FieldType::Int64, "-9223372036854775808", true, std::numeric_limits<qint64>::min(), i64);
        row("int64 above", FieldType::Int64, "9223372036854775808", false, 0, i64);
        row("int64 far above", FieldType::Int64, "99999999999999999999", false, 0, i64);
        row("spaces around", FieldType::Int32, "  42 ", true, 42, i32);
        row("plus sign", FieldType::Int16, "+7", true, 7, i16);
        row("minus zero", FieldType::UInt16, "-0", true, 0, u16);
        row("letters after", FieldType::Int32, "12a", false, 0, i32);
        row("decimal point", FieldType::Int32, "1.5", false, 0, i32);
        row("exponent", FieldType::Int32, "1e3", false, 0, i32);
        row("two signs", FieldType::Int32, "--1", false, 0, i32);
        row("sign alone", FieldType::Int32, "+", false, 0, i32);
        row("hex", FieldType::Int32, "0x10", false, 0, i32);
        row("inner space", FieldType::Int32, "1 2", false, 0, i32);
        row("full-width digits", FieldType::Int32, "１２", false, 0, i32);
    }

    void numberText()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(qlonglong, stored);
        QFETCH(QString, range);
        auto table = classroomAs(FieldType(type));
        Field* field = table->field(QStringLiteral("classpoint"));
        field->setAsString(QStringLiteral("5"));
        try {
            field->setAsString(text);
            QVERIFY2(accepted, "a text outside the rules was stored");
            QCOMPARE(field->asInteger(), stored);
            QCOMPARE(field->asString(), QString::number(stored));
        } catch (const DbError& e) {
            QVERIFY2(!accepted, qPrintable(e.message()));
            QVERIFY2(e.message().contains(QLatin1String("'classpoint'")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(range), qPrintable(e.message()));
            QCOMPARE(field->asInteger(), 5); // the refused text left the value alone
        }
        QCOMPARE(field->rangeText(), range);
    }

    void emptyNumberTextClears()
    {
        auto table = classroomAs(FieldType::UInt16);
        Field* field = table->field(QStringLiteral("classpoint"));
        QVERIFY(!field->isNull());
        field->setAsString(QStringLiteral("   "));
        QVERIFY(field->isNull());
        QCOMPARE(field->asString(), QString());
        QVERIFY(!field->value().isValid());
        QCOMPARE(field->asInteger(), 0);
    }

    void textSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ten Chinese characters") << QStringLiteral("一二三四五六七八九十") << true;
        QTest::newRow("eleven Chinese characters") << QStringLiteral("一二三四五六七八九十一") << false;
        // Characters beyond U+FFFF take two UTF-16 units but count once, as the server counts them.
        QTest::newRow("ten emoji") << QString::fromUtf8("😀😀😀😀😀😀😀😀😀😀") << true;
        QTest::newRow("eleven ascii") << QStringLiteral("abcdefghijk") << false;
    }

    void textSize()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        auto table = students();
        table->edit();
        Field* name = table->field(QStringLiteral("studname"));
        try {
            name->setAsString(text);
            QVERIFY(accepted);
            QCOMPARE(name->asString(), text);
        } catch (const DbError& e) {
            QVERIFY2(!accepted, qPrintable(e.message()));
            QVERIFY2(e.message().contains(QLatin1String("'studname'")) && e.message().contains(QLatin1String("10")),
                     qPrintable(e.message()));
        }
    }

    void emptyTextIsNullButSpacesAreText()
    {
        auto table = students();
        table->edit();
        Field* name = table->field(QStringLiteral("studname"));
        name->setAsString(QString());
        QVERIFY(name->isNull());
        QCOMPARE(name->asString(), QString());
        name->setAsString(QStringLiteral(" "));
        QVERIFY(!name->isNull());
        QCOMPARE(name->asString(), QStringLiteral(" "));
        name->setValue(QString());
        QVERIFY(name->isNull());
        name->setValue(QStringLiteral(""));
        QVERIFY2(!name->isNull(), "setValue with an empty text keeps an empty text");
    }

    void dateTimeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("slashes") << QStringLiteral("2026/09/01 10:00:05") << QStringLiteral("2026/09/01 10:00:05");
        QTest::newRow("dashes") << QStringLiteral("2026-12-31 23:59:59") << QStringLiteral("2026/12/31 23:59:59");
        QTest::newRow("date only") << QStringLiteral("2026/03/04") << QStringLiteral("2026/03/04 00:00:00");
        QTest::newRow("no such day") << QStringLiteral("2026/02/30 10:00:00") << QString();
        QTest::newRow("hour 24") << QStringLiteral("2026/02/03 24:00:00") << QString();
        QTest::newRow("words") << QStringLiteral("yesterday") << QString();
    }

    void dateTimeText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        SnapshotTable table;
        table.setTableName(QStringLiteral("studclass"));
        table.addField(QStringLiteral("scpkey"), FieldType::Int64);
        Field* buydate = table.addField(QStringLiteral("buydate"), FieldType::DateTime);
        SnapshotFill::open(table, {{1, "2026-09-01 10:00:00"}, {2, "2026-09-02 11:30:00"}});
        QCOMPARE(buydate->asString(), QStringLiteral("2026/09/01 10:00:00"));
        QCOMPARE(buydate->value().toDateTime(), QDateTime(QDate(2026, 9, 1), QTime(10, 0)));
        table.edit();
        try {
            buydate->setAsString(text);
            QVERIFY(!shown.isEmpty());
            QCOMPARE(buydate->asString(), shown);
        } catch (const DbError& e) {
            QVERIFY2(shown.isEmpty(), qPrintable(e.message()));
            QVERIFY(e.message().contains(QLatin1String("'buydate'")));
            QCOMPARE(buydate->asString(), QStringLiteral("2026/09/01 10:00:00"));
        }
    }

    void writingNeedsEditState()
    {
        auto table = students();
        Field* name = table->field(QStringLiteral("studname"));
        try {
            name->setAsString(QStringLiteral("x"));
            QFAIL("stored in browse state");
        } catch (const DbError& e) {
            QCOMPARE(e.message(), Msg::notEditing());
        }
        QCOMPARE(name->asString(), QStringLiteral("陳大文"));
    }

    void autoIncIsReadOnly()
    {
        auto table = classroomAs(FieldType::Int32);
        Field* key = table->field(QStringLiteral("crpkey"));
        QVERIFY(key->readOnly());
        QVERIFY_THROWS_EXCEPTION(DbError, key->setAsString(QStringLiteral("9")));
        QCOMPARE(key->asInteger(), 1);
    }

    void changeHookAndSignalSeeStoredValue()
    {
        auto table = students();
        Field* name = table->field(QStringLiteral("studname"));
        QSignalSpy changed(table.get(), &SnapshotTable::fieldChanged);
        QString seen;
        name->onChange = [&](Field& f) { seen = f.asString(); };
        table->edit();
        name->setAsString(QStringLiteral("新名字"));
        QCOMPARE(seen, QStringLiteral("新名字"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<Field*>(), name);

        // A hook that refuses stops the handler but the value is stored already.
        name->onChange = [](Field&) { throw Abort(); };
        QVERIFY_THROWS_EXCEPTION(Abort, name->setAsString(QStringLiteral("別的")));
        QCOMPARE(name->asString(), QStringLiteral("別的"));
    }

    void asIntegerOfText()
    {
        auto table = students();
        QVERIFY_THROWS_EXCEPTION(DbError, table->field(QStringLiteral("spkey"))->asInteger());
        table->edit();
        table->field(QStringLiteral("studname"))->setAsString(QStringLiteral(" 12 "));
        QCOMPARE(table->field(QStringLiteral("studname"))->asInteger(), 12);
    }
};

RYN_CORE_TEST_MAIN(FieldTest)
#include "tst_field.moc"
