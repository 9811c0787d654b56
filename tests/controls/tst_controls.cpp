// The bound controls on real snapshots: what the edit boxes show, what they let the user type, and
// what reaches the field and the server when a box is left or the row saved; the check box (on the
// company row) and the drop-down list (a booking's class, chosen from the classroom table).

#include "testsupport.h"

#include "data/connection.h"
#include "data/datasource.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "data/dberror.h"
#include "controls/dblookupcombobox.h"
#include "platform/serversettings.h"
#include "data/snapshottable.h"
#include "forms/windowtables.h"
#include "platform/dialogseam.h"
#include "ui/messagebox.h"
#include "sandboxdb.h"

#include <QClipboard>
#include <QShortcut>
#include <QVBoxLayout>

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsFieldAndRebindsByName_data();
    void showsFieldAndRebindsByName();
    void numberBoxRefusesCharacters_data();
    void numberBoxRefusesCharacters();
    void escape_data();
    void escape();
    void leavingStoresValue_data();
    void leavingStoresValue();
    void refusedValueKeepsFocus_data();
    void refusedValueKeepsFocus();
    void postStoresFocusedBox_data();
    void postStoresFocusedBox();
    void checkBoxStoresValue_data();
    void checkBoxStoresValue();
    void comboShowsItemOfValue_data();
    void comboShowsItemOfValue();
    void comboChoiceStoresKey();
    void comboWithThousandsOfRows();

private:
    void typeInto(DBEdit* box, const QString& text);
    /// The bookings with a class list sorted by name, and a drop-down for the booking's class.
    void openBookings();

    Connection m_connection;
    QWidget* m_window = nullptr;
    SnapshotTable* m_table = nullptr;
    DataSource* m_source = nullptr;
    DBEdit* m_box = nullptr;
    DBEdit* m_other = nullptr;
    SnapshotTable* m_bookings = nullptr;
    DBLookupComboBox* m_combo = nullptr;
};

void TestControls::initTestCase()
{
    SandboxDb::require();
    m_connection.setConnectionString(programConnectionString());
    m_connection.open();
}

void TestControls::init()
{
    SandboxDb::reseed();
    DialogSeam::clear();
    m_window = new QWidget;
    m_table = classroomTable(m_window, &m_connection);
    m_source = new DataSource(m_table, m_window);

    m_box = new DBEdit(m_window);
    m_box->setDataSource(m_source);
    m_box->setDataField(QStringLiteral("classpoint"));
    m_other = new DBEdit(m_window);
    m_other->setDataSource(m_source);
    m_other->setDataField(QStringLiteral("classname"));
    auto* layout = new QVBoxLayout(m_window);
    layout->addWidget(m_box);
    layout->addWidget(m_other);

    m_table->open();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestControls::cleanup()
{
    delete m_window;
    m_window = nullptr;
    QCOMPARE(DialogSeam::pending(), 0);
}

namespace {
// Keys for what a keyboard types; anything else (Chinese) arrives composed by the input method.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QInputMethodEvent composed;
            composed.setCommitString(c);
            QCoreApplication::sendEvent(widget, &composed);
        }
    }
}
} // namespace

void TestControls::typeInto(DBEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    typeText(box, text);
}

void TestControls::showsFieldAndRebindsByName_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("firstRow");
    QTest::addColumn<QString>("secondRow");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<bool>("writable");
    // clang-format off
    QTest::newRow("text(30)") << "classname" << "Excel 入門" << "Photoshop 影像處理" << 30 << true;
    QTest::newRow("text(10)") << "teacher" << "李老師" << "吳老師" << 10 << true;
    QTest::newRow("int32") << "classpoint" << "100" << "200" << 32767 << true;
    QTest::newRow("server-assigned key") << "crpkey" << "1" << "2" << 32767 << false;
    // clang-format on
}

void TestControls::showsFieldAndRebindsByName()
{
    QFETCH(QString, field);
    QFETCH(QString, firstRow);
    QFETCH(QString, secondRow);
    QFETCH(int, maxLength);
    QFETCH(bool, writable);

    // The translation tables set the property by name.
    QVERIFY(m_box->setProperty("DataField", field));
    QCOMPARE(m_box->text(), firstRow);
    QCOMPARE(m_box->maxLength(), maxLength);
    QVERIFY(m_box->isReadOnly()); // nothing is typed while browsing

    m_table->setRecNo(1);
    QCOMPARE(m_box->text(), secondRow);
    m_table->edit();
    QCOMPARE(m_box->isReadOnly(), !writable);
    m_table->cancel();
    m_table->close();
    QCOMPARE(m_box->text(), QString());
}

void TestControls::numberBoxRefusesCharacters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // clang-format off
    for (const char* how : { "typed", "pasted", "composed" }) {
        QTest::addRow("letter in int32, %s", how) << "classpoint" << how << "12a3" << "123";
        QTest::addRow("space and point, %s", how) << "classpoint" << how << "1 2.5" << "125";
        QTest::addRow("minus in int32, %s", how) << "classpoint" << how << "-5" << "-5";
        QTest::addRow("minus in uint16, %s", how) << "videopoint" << how << "-5" << "5";
        QTest::addRow("plus in uint16, %s", how) << "videopoint" << how << "+7" << "+7";
        QTest::addRow("letters in text, %s", how) << "classname" << how << "12a3" << "12a3";
    }
    QTest::newRow("full-width digits, composed") << "videopoint" << "composed" << "1２3" << "13";
    QTest::newRow("full-width digits, pasted") << "videopoint" << "pasted" << "1２3" << "13";
    // clang-format on
}

void TestControls::numberBoxRefusesCharacters()
{
    QFETCH(QString, field);
    QFETCH(QString, how);
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    m_table->edit();
    m_box->setDataField(field);
    typeInto(m_box, QString());
    if (how == QLatin1String("pasted")) {
        QGuiApplication::clipboard()->setText(typed);
        QTest::keySequence(m_box, QKeySequence::Paste);
    } else if (how == QLatin1String("composed")) {
        QInputMethodEvent composed;
        composed.setCommitString(typed);
        QCoreApplication::sendEvent(m_box, &composed);
    } else {
        QTest::keyClicks(m_box, typed);
    }
    QCOMPARE(m_box->text(), shown);
    QVERIFY(m_box->isModified());
}

void TestControls::escape_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("windowSawEscape");
    QTest::newRow("after typing: restores, keeps the key") << "999" << 0;
    QTest::newRow("unchanged: the window gets the key") << "" << 1;
}

void TestControls::escape()
{
    QFETCH(QString, typed);
    QFETCH(int, windowSawEscape);

    // Stands for the window's cancel button, which Esc presses.
    QShortcut cancel(QKeySequence(Qt::Key_Escape), m_window);
    QSignalSpy pressed(&cancel, &QShortcut::activated);
    m_table->edit();
    m_box->setFocus();
    QTest::keyClicks(m_box, typed);
    QTest::keyClick(m_box, Qt::Key_Escape);

    QCOMPARE(m_box->text(), QStringLiteral("100"));
    QVERIFY(!m_box->isModified());
    QCOMPARE(pressed.count(), windowSawEscape);
    QCOMPARE(m_table->field(QStringLiteral("classpoint"))->asString(), QStringLiteral("100"));
}

void TestControls::leavingStoresValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    // clang-format off
    QTest::newRow("int32 with plus sign") << "classpoint" << "+250" << "250";
    QTest::newRow("negative int32") << "classpoint" << "-3" << "-3";
    QTest::newRow("uint16 at its top") << "videopoint" << "65535" << "65535";
    QTest::newRow("chinese text") << "teacher" << "王老師" << "王老師";
    QTest::newRow("emptied number") << "videopoint" << "" << "";
    // clang-format on
}

void TestControls::leavingStoresValue()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    m_table->edit();
    m_box->setDataField(field);
    typeInto(m_box, typed);
    m_other->setFocus();

    Field* f = m_table->field(field);
    QCOMPARE(f->asString(), stored);
    QCOMPARE(f->isNull(), stored.isEmpty());
    QCOMPARE(m_box->text(), stored);
    QCOMPARE(m_table->state(), DataSetState::Edit);

    m_table->post();
    const QVariant server = SandboxDb::scalar(QStringLiteral("SELECT %1 FROM classroom WHERE crpkey = 1").arg(field));
    // The driver reads NULL as a typed null that would print "0".
    QCOMPARE(server.isNull(), stored.isEmpty());
    QCOMPARE(server.isNull() ? QString() : server.toString(), stored);
}

void TestControls::refusedValueKeepsFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("original");
    // clang-format off
    QTest::newRow("uint16 over its top") << "videopoint" << "70000" << "5";
    QTest::newRow("int32 over its top") << "classpoint" << "2147483648" << "100";
    QTest::newRow("lone minus sign") << "classpoint" << "-" << "100";
    QTest::newRow("sign after digits") << "classpoint" << "12-" << "100";
    // clang-format on
}

void TestControls::refusedValueKeepsFocus()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, original);

    m_table->edit();
    m_box->setDataField(field);
    typeInto(m_box, typed);
    DialogSeam::queueAnswer(Win::IDOK);
    m_other->setFocus();

    QCOMPARE(DialogSeam::prompts().size(), 1);
    QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
    QVERIFY2(DialogSeam::last().text.contains(field), qPrintable(DialogSeam::last().text));
    QTRY_VERIFY(m_box->hasFocus());
    QCOMPARE(m_box->text(), typed);
    QCOMPARE(m_table->state(), DataSetState::Edit);
    QCOMPARE(m_table->field(field)->asString(), original);

    // Saving meets the same refusal; the row stays being edited and the server keeps its value.
    QVERIFY_THROWS_EXCEPTION(DbError, m_table->post());
    QCOMPARE(m_table->state(), DataSetState::Edit);
    QCOMPARE(m_box->text(), typed);
    QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT %1 FROM classroom WHERE crpkey = 1").arg(field)).toString(),
             original);
}

void TestControls::postStoresFocusedBox_data()
{
    QTest::addColumn<bool>("insert");
    QTest::newRow("edited row") << false;
    QTest::newRow("new row") << true;
}

void TestControls::postStoresFocusedBox()
{
    QFETCH(bool, insert);

    if (insert)
        m_table->append();
    else
        m_table->edit();
    typeInto(m_other, QStringLiteral("Word 進階"));
    typeInto(m_box, QStringLiteral("321"));
    QVERIFY(m_box->hasFocus());
    m_table->post();

    QCOMPARE(m_table->state(), DataSetState::Browse);
    const QString row = insert ? QStringLiteral("(SELECT MAX(crpkey) FROM classroom)") : QStringLiteral("1");
    QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT classname FROM classroom WHERE crpkey = %1").arg(row)).toString(),
             QStringLiteral("Word 進階"));
    QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT classpoint FROM classroom WHERE crpkey = %1").arg(row)).toInt(),
             321);
    QCOMPARE(m_box->text(), QStringLiteral("321"));
}

void TestControls::openBookings()
{
    SnapshotTable* classes = classroomTable(m_window, &m_connection);
    QObject::connect(classes, &SnapshotTable::afterOpen,
                     [classes] { classes->setSort(QStringLiteral("classname ASC")); });

    m_bookings = new SnapshotTable(m_window);
    m_bookings->setObjectName(QStringLiteral("tblStudClass"));
    m_bookings->setConnection(&m_connection);
    m_bookings->setTableName(QStringLiteral("studclass"));
    m_bookings->addField(QStringLiteral("scpkey"), FieldType::Int64);
    m_bookings->addField(QStringLiteral("crpkey"), FieldType::Int32);
    m_bookings->addLookupField(QStringLiteral("classname"), FieldType::Text, 30, classes, QStringLiteral("crpkey"),
                               QStringLiteral("crpkey"), QStringLiteral("classname"));
    m_bookings->setKeyField(QStringLiteral("scpkey"));

    m_combo = new DBLookupComboBox(m_window);
    m_combo->setDataSource(new DataSource(m_bookings, m_window));
    m_combo->setListSource(new DataSource(classes, m_window));
    // The translation tables set these by name.
    QVERIFY(m_combo->setProperty("DataField", QStringLiteral("crpkey")));
    QVERIFY(m_combo->setProperty("KeyField", QStringLiteral("crpkey")));
    QVERIFY(m_combo->setProperty("ListField", QStringLiteral("classname")));
    m_window->layout()->addWidget(m_combo);
    classes->open();
    m_bookings->open();
}

void TestControls::checkBoxStoresValue_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("shownChecked");
    QTest::addColumn<QString>("after");
    QTest::newRow("checked") << "1" << true << "0";
    QTest::newRow("unchecked") << "0" << false << "1";
    QTest::newRow("no value") << "NULL" << false << "1";
    QTest::newRow("another number") << "2" << false << "1";
}

void TestControls::checkBoxStoresValue()
{
    QFETCH(QString, before);
    QFETCH(bool, shownChecked);
    QFETCH(QString, after);

    SandboxDb::exec(QStringLiteral("UPDATE corp SET watermark = %1").arg(before));
    auto* corp = new SnapshotTable(m_window);
    corp->setConnection(&m_connection);
    corp->setTableName(QStringLiteral("corp"));
    corp->addField(QStringLiteral("invoiceno"), FieldType::Text, 8);
    corp->addField(QStringLiteral("watermark"), FieldType::Int16);
    auto* box = new DBCheckBox(m_window);
    box->setText(QStringLiteral("影片加浮水印"));
    box->setDataSource(new DataSource(corp, m_window));
    QVERIFY(box->setProperty("DataField", QStringLiteral("watermark")));
    m_window->layout()->addWidget(box);
    box->show();
    corp->open();
    QCOMPARE(box->isChecked(), shownChecked);

    // While browsing a click changes nothing.
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->isChecked(), shownChecked);
    QCOMPARE(corp->state(), DataSetState::Browse);

    corp->edit();
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(corp->field(QStringLiteral("watermark"))->asString(), after);
    QCOMPARE(box->isChecked(), after == QLatin1String("1"));
    corp->post();
    QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT watermark FROM corp")).toString(), after);
}

void TestControls::comboShowsItemOfValue_data()
{
    QTest::addColumn<QString>("crpkey");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("first class") << "1" << "Excel 入門";
    QTest::newRow("last class") << "3" << "網頁設計";
    QTest::newRow("no such class") << "99" << "";
    QTest::newRow("no class") << "NULL" << "";
    // clang-format on
}

void TestControls::comboShowsItemOfValue()
{
    QFETCH(QString, crpkey);
    QFETCH(QString, shown);

    SandboxDb::exec(QStringLiteral("UPDATE studclass SET crpkey = %1 WHERE scpkey = 1").arg(crpkey));
    openBookings();

    QStringList items;
    for (int i = 0; i < m_combo->count(); ++i)
        items << m_combo->itemText(i);
    QCOMPARE(items, QStringList({"Excel 入門", "Photoshop 影像處理", "網頁設計"}));
    QCOMPARE(m_combo->currentText(), shown);
    QCOMPARE(m_combo->currentIndex() < 0, shown.isEmpty());
}

void TestControls::comboChoiceStoresKey()
{
    openBookings();
    auto* className = new DBEdit(m_window);
    className->setDataSource(m_combo->dataSource());
    className->setDataField(QStringLiteral("classname"));
    m_bookings->setRecNo(2); // scpkey 3, class 3
    QCOMPARE(m_combo->currentText(), QStringLiteral("網頁設計"));

    // While browsing a choice does not stick.
    QTest::keyClick(m_combo, Qt::Key_Up);
    QCOMPARE(m_combo->currentText(), QStringLiteral("網頁設計"));
    QCOMPARE(m_bookings->field(QStringLiteral("crpkey"))->asString(), QStringLiteral("3"));

    m_bookings->edit();
    QTest::keyClick(m_combo, Qt::Key_Up);
    QCOMPARE(m_combo->currentText(), QStringLiteral("Photoshop 影像處理"));
    QCOMPARE(m_bookings->field(QStringLiteral("crpkey"))->asString(), QStringLiteral("2"));
    // The box showing the lookup of the key follows at once.
    QCOMPARE(className->text(), QStringLiteral("Photoshop 影像處理"));
    m_bookings->post();
    QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT crpkey FROM studclass WHERE scpkey = 3")).toInt(), 2);

    m_bookings->append();
    QCOMPARE(m_combo->currentIndex(), -1);
    QTest::keyClick(m_combo, Qt::Key_Home);
    m_bookings->post();
    QCOMPARE(SandboxDb::scalar(QStringLiteral("SELECT crpkey FROM studclass ORDER BY scpkey DESC LIMIT 1")).toInt(), 1);
}

void TestControls::comboWithThousandsOfRows()
{
    SandboxDb::exec(QStringLiteral("INSERT INTO classroom (classname) "
                                   "SELECT CONCAT('班', LPAD(seq, 5, '0')) FROM seq_1_to_5000"));
    SandboxDb::exec(QStringLiteral("UPDATE studclass SET crpkey = 5003 WHERE scpkey = 1"));
    openBookings();

    QCOMPARE(m_combo->count(), 5003);
    QCOMPARE(m_combo->currentText(), QStringLiteral("班05000"));
    m_bookings->edit();
    QTest::keyClick(m_combo, Qt::Key_End);
    QCOMPARE(m_combo->currentText(), QStringLiteral("網頁設計"));
    QCOMPARE(m_bookings->field(QStringLiteral("crpkey"))->asString(), QStringLiteral("3"));
}

RYN_TEST_MAIN(TestControls)
#include "tst_controls.moc"
