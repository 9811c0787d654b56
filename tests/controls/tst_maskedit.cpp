// Edit masks as the translation tables write them, turned into Qt's notation.

#include "testsupport.h"

#include "controls/maskedit.h"

class TestMaskEdit : public QObject
{
    Q_OBJECT

private slots:
    void toInputMask_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("optional letters or digits") << "aaaa;1;_"
                                                    << "nnnn;_";
        QTest::newRow("required kinds, own blank") << "LA0C;0;*"
                                                   << "AN9X;*";
        QTest::newRow("case switches") << ">ll<>l<l"
                                       << ">aa!a<a;_";
        QTest::newRow("literals") << "(999)_\\a-\\;"
                                  << "(000) \\a-\\;;_";
        QTest::newRow("no mask") << ""
                                 << "";
    }
    void toInputMask()
    {
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(MaskEdit::toInputMask(mask), expected);
    }

    void editMaskProperty()
    {
        MaskEdit edit;
        QVERIFY(edit.setProperty("EditMask", QStringLiteral("aaa;1;_")));
        QCOMPARE(edit.property("EditMask").toString(), QStringLiteral("aaa;1;_"));
        QCOMPARE(edit.inputMask(), QStringLiteral("nnn;_"));
    }
};

RYN_TEST_MAIN(TestMaskEdit)
#include "tst_maskedit.moc"
