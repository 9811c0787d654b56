#include "testsupport.h"

#include "ui/inputmethod.h"

#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>

// Closed boxes start in Latin input but still let the user switch to Chinese; open boxes start with
// the input method on. What the platform's input method asks, and what it commits, is the test.
class TestInputMethod : public QObject
{
    Q_OBJECT

private slots:
    void boxesTakeTheInputMethod_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("password");
        QTest::addColumn<bool>("readOnlyRoundTrip");
        QTest::newRow("open") << false << false << false;
        QTest::newRow("closed") << true << false << false;
        QTest::newRow("closed password") << true << true << false;
        QTest::newRow("closed, read-only and writable again") << true << false << true;
    }
    void boxesTakeTheInputMethod()
    {
        QFETCH(bool, closed);
        QFETCH(bool, password);
        QFETCH(bool, readOnlyRoundTrip);
        QLineEdit box;
        if (password)
            box.setEchoMode(QLineEdit::Password);
        setImeMode(&box, closed ? ImeMode::Closed : ImeMode::Open);
        if (readOnlyRoundTrip) {
            box.setReadOnly(true);
            box.setReadOnly(false);
        }
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.setFocus();
        QVERIFY(box.testAttribute(Qt::WA_InputMethodEnabled));

        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
        QApplication::sendEvent(QApplication::focusObject(), &query);
        QVERIFY(query.value(Qt::ImEnabled).toBool());
        const auto hints = Qt::InputMethodHints(query.value(Qt::ImHints).toInt());
        QCOMPARE(hints.testFlag(Qt::ImhPreferLatin), closed);

        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("王小明"));
        QApplication::sendEvent(&box, &commit);
        QCOMPARE(box.text(), QStringLiteral("王小明"));
    }
};

RYN_TEST_MAIN(TestInputMethod)
#include "tst_inputmethod.moc"
