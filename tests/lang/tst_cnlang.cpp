// The Simplified Chinese language file shipped with the program, checked against the windows'
// translation tables.

#include "coresupport.h"

#include "lang/langfile.h"
#include "lang/langtables.h"
#include "lang/languagemanager.h"

#include <QRegularExpression>

namespace {

QString cnPath()
{
    return qEnvironmentVariable("RYN_SOURCE_DIR") + QStringLiteral("/lang/cn.lng");
}

// The component that a table entry names, and the property path of each translation ID.
QHash<qint32, QPair<QString, QString>> propertiesById(const LangEntry& table)
{
    QHash<qint32, QPair<QString, QString>> byId;
    for (const LangProperty& p : table.properties)
        byId.insert(p.id, {QString(), p.path});
    for (const LangEntry& c : table.children)
        for (const LangProperty& p : c.properties)
            byId.insert(p.id, {c.name, p.path});
    return byId;
}

} // namespace

class TestCnLang : public QObject
{
    Q_OBJECT

private:
    LangFile m_file;

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::exists(cnPath()));
        m_file = LangFile::load(cnPath(), LangFile::Mode::Full);
    }

    void registers()
    {
        languageManager().reset();
        QVERIFY(languageManager().registerLanguageFile(cnPath()));
        QCOMPARE(languageManager().languageIdAt(1), quint16(2052));
        QFile raw(cnPath());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.read(3), QByteArray("\xEF\xBB\xBF"));
        languageManager().reset();
    }

    void oneSectionPerWindow() { QCOMPARE(m_file.sectionNames(), LangTables::windowNames()); }

    void canonicalIds()
    {
        QFile raw(cnPath());
        QVERIFY(raw.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(raw.readAll()).split(QLatin1Char('\n'));
        bool inSection = false;
        const QRegularExpression canonical(QStringLiteral("^\\d{8}="));
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1Char('[')))
                inSection = true;
            else if (inSection && !line.trimmed().isEmpty())
                QVERIFY2(canonical.match(line).hasMatch(), qPrintable(line));
        }
    }

    void everyId_data()
    {
        QTest::addColumn<QString>("window");
        for (const QString& window : LangTables::windowNames())
            QTest::newRow(qPrintable(window)) << window;
    }

    void everyId()
    {
        QFETCH(QString, window);
        const QHash<qint32, QString>* section = m_file.section(window);
        QVERIFY(section);
        const QHash<qint32, QPair<QString, QString>> table = propertiesById(LangTables::forWindow(window));
        for (auto it = table.cbegin(); it != table.cend(); ++it)
            QVERIFY2(section->contains(it.key()), qPrintable(QStringLiteral("ID %1 missing").arg(it.key())));
        for (auto it = section->cbegin(); it != section->cend(); ++it)
            QVERIFY2(table.contains(it.key()), qPrintable(QStringLiteral("unknown ID %1").arg(it.key())));

        // Field names repeat the built-in ones, which end each field component's name
        // (tblCorpinvoiceno holds invoiceno); this catches values shifted to the wrong ID.
        for (auto it = table.cbegin(); it != table.cend(); ++it) {
            const QString value = section->value(it.key());
            const QString where = window + QLatin1Char('.') + it.value().first + QLatin1Char('.') + it.value().second;
            QVERIFY2(!value.isEmpty(), qPrintable(where));
            if (it.value().second == QLatin1String("FieldName"))
                QVERIFY2(it.value().first.endsWith(value), qPrintable(where + QLatin1String(" = ") + value));
            // Characters that only Traditional Chinese writes this way.
            static const QRegularExpression traditional(
                QStringLiteral("[學體與點數資課級師錄碼號設關閉視結儲刪檔傳載態長編稱預確輸顯請軟統圖]"));
            QVERIFY2(!traditional.match(value).hasMatch(), qPrintable(where + QLatin1String(" = ") + value));
        }
    }

    void knownValues_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("value");
        const QString connection =
            QStringLiteral("DRIVER={MySQL ODBC 5.3 Unicode Driver}; SERVER=127.0.0.1; DATABASE=ryn; UID=ryn;OPTION=3;");
        QTest::newRow("language item tw") << "frmRynMain" << 11 << "正体中文";
        QTest::newRow("language item cn") << "frmRynMain" << 12 << "简体中文";
        QTest::newRow("students menu") << "frmRynMain" << 4 << "学生管理 (&S)";
        QTest::newRow("main connection") << "frmRynMain" << 2 << connection;
        QTest::newRow("login connection") << "frmLogin" << 8 << connection;
        QTest::newRow("login caption") << "frmLogin" << 1 << "登录";
        QTest::newRow("login statement") << "frmLogin" << 9 << "SELECT * FROM users";
        QTest::newRow("users filter") << "frmUser" << 20 << "uid<>'admin'";
        QTest::newRow("password mask") << "frmUser" << 19 << "aaaaaaaaaaaaaaaaaaaa;1;_";
        QTest::newRow("ftp host") << "frmCorp" << 21 << "127.0.0.1";
        QTest::newRow("master fields") << "frmCourse" << 33 << "crpkey";
    }

    void knownValues()
    {
        QFETCH(QString, window);
        QFETCH(int, id);
        QFETCH(QString, value);
        QCOMPARE(m_file.section(window)->value(id), value);
    }

    void acceleratorsKept()
    {
        // The "&" keys of the built-in captions, which the translation keeps letter for letter.
        const QHash<QString, QChar> buttons = {
            {QStringLiteral("btnAdd"), u'A'},     {QStringLiteral("btnEdit"), u'E'},
            {QStringLiteral("btnDelete"), u'D'},  {QStringLiteral("btnExit"), u'X'},
            {QStringLiteral("btnPost"), u'S'},    {QStringLiteral("btnCancel"), u'C'},
            {QStringLiteral("btnLogin"), u'L'},   {QStringLiteral("btnReset"), u'R'},
            {QStringLiteral("btnUpload"), u'U'},  {QStringLiteral("btnDelAll"), u'L'},
            {QStringLiteral("btnOK"), u'K'},      {QStringLiteral("btnPrint"), u'P'},
            {QStringLiteral("btnRefresh"), u'R'}, {QStringLiteral("btnQuery"), u'Q'},
            {QStringLiteral("btnClose"), u'C'},   {QStringLiteral("btnReceipt"), u'R'}};
        const QHash<QString, QChar> menu = {
            {QStringLiteral("mitBasic"), u'S'},     {QStringLiteral("mitStudent"), u'S'},
            {QStringLiteral("mitClassroom"), u'R'}, {QStringLiteral("mitCourse"), u'C'},
            {QStringLiteral("mitBuy"), u'B'},       {QStringLiteral("mitQuery"), u'Q'},
            {QStringLiteral("mitCorp"), u'O'},      {QStringLiteral("mitUser"), u'U'},
            {QStringLiteral("mitPassword"), u'P'},  {QStringLiteral("mitExit"), u'X'},
            {QStringLiteral("mitWindow"), u'W'},    {QStringLiteral("mitHelp"), u'H'},
            {QStringLiteral("mitAbout"), u'A'},     {QStringLiteral("mitStatistics"), u'T'},
            {QStringLiteral("mitHistory"), u'G'},   {QStringLiteral("mitRowHistory"), u'H'},
            {QStringLiteral("mitDayClose"), u'D'},  {QStringLiteral("mitLowBalance"), u'L'}};
        int checked = 0;
        for (const QString& window : LangTables::windowNames()) {
            const LangEntry table = LangTables::forWindow(window);
            for (const LangEntry& c : table.children) {
                const QChar key = buttons.value(c.name, menu.value(c.name));
                if (key.isNull() || window == QLatin1String("frmAbout"))
                    continue;
                const QString value = m_file.section(window)->value(c.properties.first().id);
                QVERIFY2(value.endsWith(QStringLiteral(" (&%1)").arg(key)),
                         qPrintable(window + QLatin1Char('.') + c.name + QLatin1String(" = ") + value));
                ++checked;
            }
        }
        QCOMPARE(checked, 74);
        // Language items and window-arrangement items carry no key.
        QVERIFY(!m_file.section(QStringLiteral("frmRynMain"))->value(17).contains(QLatin1Char('&')));
    }
};

RYN_CORE_TEST_MAIN(TestCnLang)
#include "tst_cnlang.moc"
