#include "platform/messages.h"
#include "platform/dialogseam.h"
#include "platform/errors.h"
#include "ui/guard.h"
#include "ui/keypreview.h"
#include "ui/messagebox.h"
#include "testsupport.h"

#include <QMessageBox>
#include <QPushButton>

// The real boxes, answered as a user would: what the Windows-style flags turn into.
class TestMessageBox : public QObject
{
    Q_OBJECT

    struct Seen {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        QString defaultButton;
        QString title;
        QString text;
    };

    static QString label(QMessageBox* box, QAbstractButton* b)
    {
        return box->standardButton(b) == QMessageBox::Ok ? QStringLiteral("ok") : QStringLiteral("cancel");
    }

    Seen show(int flags, int key, int* result)
    {
        Seen seen;
        TestSupport::runWhenModal([&seen, key](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            seen.icon = box->icon();
            seen.title = box->windowTitle();
            seen.text = box->text();
            for (QAbstractButton* b : box->buttons())
                seen.buttons << label(box, b);
            seen.buttons.sort();
            if (box->defaultButton())
                seen.defaultButton = label(box, box->defaultButton());
            QTest::keyClick(box, Qt::Key(key));
        });
        *result = showMessageBox(nullptr, QStringLiteral("text"), QStringLiteral("title"), flags);
        return seen;
    }

private slots:
    void init() { DialogSeam::setScripted(false); }
    void cleanup() { DialogSeam::setScripted(true); }

    void flags_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<int>("result");
        const QStringList ok{"ok"};
        const QStringList both{"cancel", "ok"};
        QTest::newRow("0 enter") << 0 << int(Qt::Key_Return) << int(QMessageBox::NoIcon) << ok << "ok" << 1;
        QTest::newRow("16") << 16 << int(Qt::Key_Return) << int(QMessageBox::Critical) << ok << "ok" << 1;
        QTest::newRow("48") << 48 << int(Qt::Key_Return) << int(QMessageBox::Warning) << ok << "ok" << 1;
        QTest::newRow("64 esc") << 64 << int(Qt::Key_Escape) << int(QMessageBox::Information) << ok << "ok" << 1;
        QTest::newRow("289 enter") << 289 << int(Qt::Key_Return) << int(QMessageBox::Question) << both << "cancel" << 2;
        QTest::newRow("289 esc") << 289 << int(Qt::Key_Escape) << int(QMessageBox::Question) << both << "cancel" << 2;
        QTest::newRow("1 enter") << 1 << int(Qt::Key_Return) << int(QMessageBox::NoIcon) << both << "ok" << 1;
    }
    void flags()
    {
        QFETCH(int, flags);
        QFETCH(int, key);
        QFETCH(int, icon);
        QFETCH(QStringList, buttons);
        QFETCH(QString, defaultButton);
        QFETCH(int, result);
        int answer = -1;
        const Seen seen = show(flags, key, &answer);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.buttons, buttons);
        QCOMPARE(seen.defaultButton, defaultButton);
        QCOMPARE(seen.title, QStringLiteral("title"));
        QCOMPARE(seen.text, QStringLiteral("text"));
        QCOMPARE(answer, result);
    }

    void scriptedSeamRecordsAndAnswers()
    {
        DialogSeam::setScripted(true);
        DialogSeam::clear();
        DialogSeam::queueAnswer(Win::IDCANCEL);
        QCOMPARE(showMessageBox(nullptr, "q", "t", TestSupport::kConfirmFlags), int(Win::IDCANCEL));
        QCOMPARE(DialogSeam::last().flags, TestSupport::kConfirmFlags);
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("t"));
        QCOMPARE(DialogSeam::pending(), 0);
    }

    void guardShowsErrorBoxAndStops()
    {
        DialogSeam::setScripted(true);
        DialogSeam::clear();
        setApplicationTitle(QStringLiteral("App"));
        DialogSeam::queueAnswer(Win::IDOK);
        bool after = false;
        QVERIFY(!guarded([&] {
            throw AppError(QStringLiteral("server gone"));
            after = true;
        }));
        QVERIFY(!after);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("server gone"));
        QCOMPARE(DialogSeam::last().caption, QStringLiteral("App"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        // Whatever else is thrown is shown too, and goes no further.
        DialogSeam::queueAnswer(Win::IDOK);
        QVERIFY(!guarded([] { throw std::logic_error("bad state"); }));
        QCOMPARE(DialogSeam::last().text, Msg::unexpectedError("bad state"));
        DialogSeam::queueAnswer(Win::IDOK);
        QVERIFY(!guarded([] { throw 42; }));
        QCOMPARE(DialogSeam::last().text, Msg::unexpectedError());
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        // Abort is silent.
        DialogSeam::clear();
        QVERIFY(!guarded([] { throw Abort(); }));
        QVERIFY(DialogSeam::prompts().isEmpty());
        QVERIFY(guarded([] {}));
    }

    void keyPreviewHandlerRunsUnderTheGuard()
    {
        DialogSeam::setScripted(true);
        DialogSeam::clear();
        QWidget form;
        int seen = 0;
        new KeyPreview(&form, [&seen](QKeyEvent*) -> bool {
            ++seen;
            throw AppError(QStringLiteral("key refused"));
        });
        DialogSeam::queueAnswer(Win::IDOK);
        QTest::keyClick(&form, Qt::Key_A);
        QCOMPARE(seen, 1);
        QCOMPARE(DialogSeam::last().text, QStringLiteral("key refused"));
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QCOMPARE(DialogSeam::pending(), 0);
    }
};

RYN_TEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
