// Property paths of translation tables on Qt objects: the widget mapping, our data classes' own
// properties, held objects and items, and paths that must lead nowhere without harm.

#include "testsupport.h"

#include "ui/propertypath.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

// Stands in for the data classes, whose translatable settings are Q_PROPERTYs named as in the tables.
class DataObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString TableName MEMBER m_tableName)
    Q_PROPERTY(QStringList SQL MEMBER m_sql)
    Q_PROPERTY(QString ConnectionString READ connectionString)
    Q_PROPERTY(int Count MEMBER m_count)
    Q_PROPERTY(QStringList Items MEMBER m_items)
    Q_PROPERTY(QObject* Title MEMBER m_title)
    Q_PROPERTY(QList<QObject*> Columns MEMBER m_columns)

public:
    using QObject::QObject;
    QString connectionString() const { return QStringLiteral("DRIVER=x"); }

    QString m_tableName = QStringLiteral("stud");
    QStringList m_sql;
    int m_count = 3;
    QStringList m_items{QStringLiteral("a"), QStringLiteral("b")};
    QObject* m_title = nullptr;
    QList<QObject*> m_columns;
};

// A widget whose own Caption property wins over the mapping onto its text.
class CaptionLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER m_caption)

public:
    using QLabel::QLabel;
    QString m_caption;
};

class TestPropertyPath : public QObject
{
    Q_OBJECT

private:
    QWidget* m_window = nullptr;
    DataObject* m_data = nullptr;

    QObject* make(const QString& kind)
    {
        if (kind == QLatin1String("label"))
            return new QLabel(m_window);
        if (kind == QLatin1String("button"))
            return new QPushButton(m_window);
        if (kind == QLatin1String("checkbox"))
            return new QCheckBox(m_window);
        if (kind == QLatin1String("action"))
            return new QAction(m_window);
        if (kind == QLatin1String("menu"))
            return new QMenu(m_window);
        if (kind == QLatin1String("groupbox"))
            return new QGroupBox(m_window);
        if (kind == QLatin1String("lineedit"))
            return new QLineEdit(m_window);
        if (kind == QLatin1String("plaintext"))
            return new QPlainTextEdit(m_window);
        if (kind == QLatin1String("textedit"))
            return new QTextEdit(m_window);
        if (kind == QLatin1String("window"))
            return m_window;
        return m_data;
    }

    static QString stored(const QVariant& v)
    {
        return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char('|')) : v.toString();
    }

private slots:
    void init()
    {
        m_window = new QWidget;
        m_data = new DataObject(m_window);
    }

    void cleanup() { delete m_window; }

    void mapping_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("qtName");
        QTest::addColumn<QString>("expected"); // the Qt property afterwards; string lists joined by "|"
        QTest::addColumn<QString>("readBack");
        // expected and readBack default to value.
        auto row = [](const char* name, const char* kind, const char* path, const char* value, const char* qtName,
                      const char* expected = nullptr, const char* readBack = nullptr) {
            QTest::newRow(name) << QString::fromUtf8(kind) << QString::fromUtf8(path) << QString::fromUtf8(value)
                                << QString::fromUtf8(qtName) << QString::fromUtf8(expected ? expected : value)
                                << QString::fromUtf8(readBack ? readBack : value);
        };
        row("label", "label", "Caption", "姓名", "text");
        row("button", "button", "Caption", "確定 (&K)", "text");
        row("check box", "checkbox", "Caption", "顯示密碼", "text");
        row("action", "action", "Caption", "結束 (&X)", "text");
        row("menu", "menu", "Caption", "語言", "title");
        row("group box", "groupbox", "Caption", "g", "title");
        row("window", "window", "Caption", "學生管理", "windowTitle");
        row("two-line label", "label", "Caption", "a\r\nb", "text", "a\nb", "a\nb");
        row("hint", "lineedit", "Hint", "請注意", "toolTip");
        row("action hint", "action", "Hint", "h", "toolTip");
        row("text", "lineedit", "Text", "Edit1", "text");
        row("plain text lines", "plaintext", "Lines", "x\r\ny", "plainText", "x\ny", "x\ny");
        row("text edit lines", "textedit", "Lines", "Memo1", "plainText");
        row("edit mask", "lineedit", "EditMask", "aaaa;_", "inputMask");
        row("own property", "data", "TableName", "corp", "TableName");
        row("own string list", "data", "SQL", "SELECT *\r\nFROM users", "SQL", "SELECT *|FROM users");
        row("string list item", "data", "Items[1]", "z", "Items", "a|z");
    }

    void mapping()
    {
        QFETCH(QString, kind);
        QFETCH(QString, path);
        QFETCH(QString, value);
        QFETCH(QString, qtName);
        QFETCH(QString, expected);
        QFETCH(QString, readBack);
        QObject* object = make(kind);
        const bool asWindow = object == m_window;
        QVERIFY(PropertyPath::write(object, path, value, asWindow));
        QCOMPARE(stored(object->property(qtName.toLatin1().constData())), expected);
        QString read;
        QVERIFY(PropertyPath::read(object, path, &read, asWindow));
        QCOMPARE(read, readBack);
    }

    void windowTitleOnlyForWindows()
    {
        auto* edit = new QLineEdit(m_window);
        QVERIFY(!PropertyPath::write(edit, QStringLiteral("Caption"), QStringLiteral("x")));
        QVERIFY(edit->windowTitle().isEmpty());
        // A window that is not a top-level widget (an MDI child) takes its caption when it is the window.
        QVERIFY(PropertyPath::write(edit, QStringLiteral("Caption"), QStringLiteral("x"), true));
        QCOMPARE(edit->windowTitle(), QStringLiteral("x"));
        QVERIFY(PropertyPath::write(m_window, QStringLiteral("Caption"), QStringLiteral("top")));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("top"));
    }

    void ownPropertyWins()
    {
        auto* label = new CaptionLabel(QStringLiteral("text"), m_window);
        QVERIFY(PropertyPath::write(label, QStringLiteral("Caption"), QStringLiteral("own")));
        QCOMPARE(label->m_caption, QStringLiteral("own"));
        QCOMPARE(label->text(), QStringLiteral("text"));
    }

    void heldObjectsAndItems()
    {
        auto* title = new QLabel(m_window);
        auto* column = new QLabel(m_window);
        m_data->m_title = title;
        m_data->m_columns = {new QLabel(m_window), column};
        auto* inner = new QAction(m_data);
        inner->setObjectName(QStringLiteral("Inner"));
        QVERIFY(PropertyPath::write(m_data, QStringLiteral("Title.Caption"), QStringLiteral("t")));
        QCOMPARE(title->text(), QStringLiteral("t"));
        QVERIFY(PropertyPath::write(m_data, QStringLiteral("Columns[1].Caption"), QStringLiteral("c")));
        QCOMPARE(column->text(), QStringLiteral("c"));
        QVERIFY(PropertyPath::write(m_data, QStringLiteral("Inner.Caption"), QStringLiteral("i")));
        QCOMPARE(inner->text(), QStringLiteral("i"));

        auto* combo = new QComboBox(m_window);
        combo->addItems({QStringLiteral("甲"), QStringLiteral("乙")});
        QVERIFY(PropertyPath::write(combo, QStringLiteral("Items[1]"), QStringLiteral("丙")));
        QCOMPARE(combo->itemText(1), QStringLiteral("丙"));
        auto* list = new QListWidget(m_window);
        list->addItem(QStringLiteral("x"));
        QVERIFY(PropertyPath::write(list, QStringLiteral("Items[0]"), QStringLiteral("y")));
        QCOMPARE(list->item(0)->text(), QStringLiteral("y"));
    }

    void leadsNowhere_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << "";
        QTest::newRow("unknown name") << "Color";
        QTest::newRow("caption of data") << "Caption";
        QTest::newRow("not text") << "Count";
        QTest::newRow("not a list") << "TableName[0]";
        QTest::newRow("item out of range") << "Items[2]";
        QTest::newRow("huge index") << "Items[99999999999]";
        QTest::newRow("negative index") << "Items[-1]";
        QTest::newRow("index not a number") << "Items[x]";
        QTest::newRow("open bracket") << "Items[";
        QTest::newRow("empty brackets") << "Items[]";
        QTest::newRow("only brackets") << "[0]";
        QTest::newRow("leading dot") << ".TableName";
        QTest::newRow("trailing dot") << "TableName.";
        QTest::newRow("double dot") << "Title..Caption";
        QTest::newRow("null held object") << "Title.Caption";
        QTest::newRow("held text") << "TableName.Caption";
        QTest::newRow("missing child") << "Nobody.Caption";
        QTest::newRow("column out of range") << "Columns[5].Caption";
    }

    void leadsNowhere()
    {
        QFETCH(QString, path);
        const QString before = m_data->m_tableName;
        QString value = QStringLiteral("untouched");
        QVERIFY(!PropertyPath::read(m_data, path, &value));
        QCOMPARE(value, QStringLiteral("untouched"));
        QVERIFY(!PropertyPath::write(m_data, path, QStringLiteral("x")));
        QCOMPARE(m_data->m_tableName, before);
        QCOMPARE(m_data->m_items, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    }

    void readOnlyAndNull()
    {
        QString value;
        QVERIFY(PropertyPath::read(m_data, QStringLiteral("ConnectionString"), &value));
        QCOMPARE(value, QStringLiteral("DRIVER=x"));
        QVERIFY(!PropertyPath::write(m_data, QStringLiteral("ConnectionString"), QStringLiteral("y")));
        QVERIFY(!PropertyPath::write(nullptr, QStringLiteral("Caption"), QStringLiteral("y")));
        QVERIFY(!PropertyPath::read(nullptr, QStringLiteral("Caption"), &value));
    }
};

RYN_TEST_MAIN(TestPropertyPath)
#include "tst_propertypath.moc"
