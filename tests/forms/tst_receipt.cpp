#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/dblookupcombobox.h"
#include "data/snapshottable.h"
#include "data/receiptbook.h"
#include "forms/studclasswindow.h"
#include "forms/watchlogwindow.h"
#include "testsupport.h"
#include "ui/guard.h"
#include "ui/messagebox.h"
#include "windowfixture.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace FormDriver;

// Receipts of bookings: made after a save in the top-up window, recorded, a second one of the same
// booking marked as a reprint, and made again from the point query's log.
class TestReceipt : public QObject, WindowFixture<StudClassWindow>
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QString pdfText(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!p.waitForFinished(120000) || p.exitCode() != 0)
            qFatal("pdftotext failed: %s", p.readAllStandardError().constData());
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    static int records(qint64 key)
    {
        return SandboxDb::scalar(QStringLiteral("SELECT COUNT(*) FROM receiptprint WHERE scpkey = %1").arg(key))
            .toInt();
    }

    void book(const QString& spkey, const QString& points)
    {
        click(m_form->btnAdd);
        typeText(m_form->txtSpkey, spkey);
        pressEnter();
        m_form->cboClass->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_form->cboClass, Qt::Key_Home);
        typeInto(m_form->txtWatchPoint, points);
        click(m_form->btnPost);
        QVERIFY(!m_form->mainTable()->editing());
    }

    QString receiptPdf(const QString& name)
    {
        const QString pdf = m_dir.filePath(name);
        DialogSeam::queueFileName(pdf);
        const int copy = m_form->btnReceiptPdfClick();
        return copy > 0 ? pdfText(pdf) : QString();
    }

private slots:
    void initTestCase() { SandboxDb::require(); }

    void init()
    {
        startCase();
        m_session.account = QStringLiteral("staff");
    }

    void cleanup() { endCase(); }

    void receiptsOfTwoTopUpsAndAReprint()
    {
        open();
        QVERIFY(!m_form->btnReceipt->isEnabled());
        QVERIFY(!m_form->btnReceiptPdf->isEnabled());
        book("A002", "300");
        const qint64 first = m_form->lastSavedKey();
        QCOMPARE(first, SandboxDb::scalar("SELECT MAX(scpkey) FROM studclass").toLongLong());
        QVERIFY(m_form->btnReceipt->isEnabled());
        const QString one = receiptPdf("one.pdf");
        // pdftotext lays the values out in a column after their labels.
        for (const QString& expected :
             {QStringLiteral("Korvel電腦補習班"), QStringLiteral("收據號碼：\\s*") + ReceiptBook::number(first),
              QStringLiteral("學號：\\s*A002"), QStringLiteral("姓名：\\s*林美玲"),
              QStringLiteral("加、扣點數：\\s*\\+300"), QStringLiteral("承辦人：\\s*staff（王小明）")})
            QVERIFY2(one.contains(QRegularExpression(expected)), qPrintable(expected + "\n" + one));
        // 200 booked on 09-02, 10 watched, 300 now.
        QVERIFY2(one.contains(QRegularExpression("剩餘點數：\\s*490")), qPrintable(one));
        QVERIFY(!one.contains(QStringLiteral("補印")));

        // While a booking is being added there is no receipt to make.
        click(m_form->btnAdd);
        QVERIFY(!m_form->btnReceiptPdf->isEnabled());
        click(m_form->btnCancel);
        QVERIFY(m_form->btnReceiptPdf->isEnabled());

        book("A002", "-5");
        QCOMPARE(m_form->lastSavedKey(), first + 1);
        const QString two = receiptPdf("two.pdf");
        QVERIFY(two.contains(QRegularExpression(QStringLiteral("收據號碼：\\s*") + ReceiptBook::number(first + 1))));
        QVERIFY(two.contains(QRegularExpression(QStringLiteral("加、扣點數：\\s*-5"))));
        QVERIFY(!two.contains(QStringLiteral("補印")));
        const QString again = receiptPdf("again.pdf");
        QVERIFY2(again.contains(QStringLiteral("補印（第 2 份）")), qPrintable(again));
        QCOMPARE(records(first), 1);
        QCOMPARE(records(first + 1), 2);
        QCOMPARE(SandboxDb::scalar("SELECT COUNT(DISTINCT uid) FROM receiptprint WHERE uid = 'staff'").toInt(), 1);
    }

    void cancelledDialogsRecordNothing()
    {
        open();
        book("A001", "10");
        DialogSeam::queueFileName(QString());
        QCOMPARE(m_form->btnReceiptPdfClick(), 0);
        DialogSeam::queueAnswer(Win::IDCANCEL);
        m_form->btnReceiptClick();
        QCOMPARE(DialogSeam::last().kind, Prompt::Print);
        QCOMPARE(records(m_form->lastSavedKey()), 0);
    }

    void unwritableFileTakesTheRecordBack()
    {
        open();
        book("A001", "10");
        const QString pdf = m_dir.filePath(QStringLiteral("no such folder/r.pdf"));
        DialogSeam::queueFileName(pdf);
        DialogSeam::queueAnswer(Win::IDOK);
        guarded([&] { m_form->btnReceiptPdfClick(); });
        QCOMPARE(DialogSeam::last().flags & Win::MB_ICONHAND, Win::MB_ICONHAND);
        QCOMPARE(records(m_form->lastSavedKey()), 0);
        // The next receipt is the first.
        QVERIFY(!receiptPdf("r.pdf").contains(QStringLiteral("補印")));
    }

    void reprintFromThePointQuery()
    {
        // The first student by name is A003: a booking of 1500 and two viewings.
        ReceiptBook::record(SandboxDb::programConnection(this), 5, QStringLiteral("admin"));
        QPointer<WatchLogWindow> query = new WatchLogWindow(m_conn.get(), m_session);
        show(query);
        QCOMPARE(query->tblStud->field("spkey")->asString(), QStringLiteral("A003"));
        QCOMPARE(query->bookingKeyAt(0), 5);
        QCOMPARE(query->bookingKeyAt(1), 0);
        const auto item = [](QMenu* menu, const char* name) -> QAction* {
            for (QAction* action : menu->actions())
                if (action->objectName() == QLatin1String(name))
                    return action;
            return nullptr;
        };
        QMenu* viewing = query->logMenu(1);
        QVERIFY(item(viewing, "mitReceiptPdf") && !item(viewing, "mitReceiptPdf")->isEnabled());
        // By keyboard (the Menu key on the booking's row) the menu holds the receipt's items too.
        query->grdCourse->setFocus();
        query->grdCourse->setCurrentIndex(query->grdCourse->model()->index(0, 0));
        QTest::keyClick(query->grdCourse, Qt::Key_Menu);
        QMenu* popped = nullptr;
        QTRY_VERIFY((popped = query->grdCourse->findChild<QMenu*>(QStringLiteral("mnuGrid"))) && popped->isVisible());
        QVERIFY(item(popped, "mitReceipt") && item(popped, "mitReceipt")->isEnabled());
        popped->close();
        QMenu* booking = query->logMenu(0);
        QAction* pdfItem = item(booking, "mitReceiptPdf");
        QVERIFY(pdfItem && pdfItem->isEnabled());
        // The grid's own export items stay in the menu.
        QVERIFY(booking->actions().size() > 3);
        const QString pdf = m_dir.filePath(QStringLiteral("reprint.pdf"));
        DialogSeam::queueFileName(pdf);
        pdfItem->trigger();
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("收據號碼：\\s*0000000005"))), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("補印（第 2 份）")));
        QVERIFY(text.contains(QRegularExpression("剩餘點數：\\s*1,500")));
        delete query;
    }
};

RYN_TEST_MAIN(TestReceipt)
#include "tst_receipt.moc"
