#include "rowrules.h"

#include "data/dberror.h"
#include "platform/messages.h"

#include <QDateTime>

using namespace Import;

QString Import::folded(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end).toCaseFolded();
}

bool Import::blankText(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x20)
            return false;
    return true;
}

Rules Rules::students()
{
    Rules r;
    r.m_kind = Kind::Students;
    r.m_table = QStringLiteral("stud");
    r.m_window = QStringLiteral("frmStudent");
    r.m_columns = {
        {QStringLiteral("spkey"),
         FieldType::Text,
         20,
         QStringLiteral("請輸入學號"),
         QStringLiteral("lblSpkey"),
         QStringLiteral("grdStudent.Columns[0]"),
         {QStringLiteral("學號")}},
        {QStringLiteral("studname"),
         FieldType::Text,
         10,
         QStringLiteral("請輸入學生姓名"),
         QStringLiteral("lblStudName"),
         QStringLiteral("grdStudent.Columns[1]"),
         {QStringLiteral("學生姓名")}},
        {QStringLiteral("studpwd"),
         FieldType::Text,
         40,
         QStringLiteral("請輸入密碼"),
         QStringLiteral("lblStudpwd"),
         QString(),
         {QStringLiteral("密碼")},
         false},
    };
    r.m_keyColumn = 0;
    r.m_insert = {QStringLiteral("spkey"), QStringLiteral("studname"), QStringLiteral("studpwd")};
    return r;
}

Rules Rules::classes()
{
    Rules r;
    r.m_kind = Kind::Classes;
    r.m_table = QStringLiteral("classroom");
    r.m_window = QStringLiteral("frmClassroom");
    r.m_columns = {
        {QStringLiteral("classname"),
         FieldType::Text,
         30,
         QStringLiteral("請輸入班級名稱"),
         QStringLiteral("lblClassName"),
         QStringLiteral("grdClassroom.Columns[0]"),
         {QStringLiteral("班級名稱")}},
        {QStringLiteral("teacher"),
         FieldType::Text,
         10,
         QStringLiteral("請輸入講師"),
         QStringLiteral("lblTeacher"),
         QStringLiteral("grdClassroom.Columns[1]"),
         {QStringLiteral("講師")}},
        {QStringLiteral("classpoint"),
         FieldType::Int32,
         0,
         QStringLiteral("請輸入總點數"),
         QStringLiteral("lblClassPoint"),
         QString(),
         {QStringLiteral("總點數")}},
        {QStringLiteral("videopoint"),
         FieldType::UInt16,
         0,
         QStringLiteral("請輸入每次扣點"),
         QStringLiteral("lblVideoPoint"),
         QString(),
         {QStringLiteral("每次扣點")}},
    };
    r.m_keyColumn = 0;
    r.m_insert = {QStringLiteral("classname"), QStringLiteral("teacher"), QStringLiteral("classpoint"),
                  QStringLiteral("videopoint")};
    return r;
}

Rules Rules::topUps(const QString& uid)
{
    Rules r;
    r.m_kind = Kind::TopUps;
    r.m_table = QStringLiteral("studclass");
    r.m_window = QStringLiteral("frmStudClass");
    r.m_uid = uid;
    // A typed booking may leave these empty; a file's row names its student and its class, or it
    // would be points that reach no one.
    r.m_columns = {
        {QStringLiteral("spkey"),
         FieldType::Text,
         10,
         QStringLiteral("請輸入學號"),
         QStringLiteral("lblSpkey"),
         QString(),
         {QStringLiteral("學號")}},
        {QStringLiteral("classname"),
         FieldType::Text,
         30,
         QStringLiteral("請輸入班級名稱"),
         QStringLiteral("lblCrpkey"),
         QStringLiteral("grdStudClass.Columns[4]"),
         {QStringLiteral("班級名稱"), QStringLiteral("課程名稱")}},
        {QStringLiteral("watchpoint"),
         FieldType::Int32,
         0,
         QString(),
         QStringLiteral("lblWatchPoint"),
         QStringLiteral("grdStudClass.Columns[1]"),
         {QStringLiteral("加、扣點數"), QStringLiteral("購買點數")}},
    };
    r.m_insert = {QStringLiteral("buydate"), QStringLiteral("spkey"), QStringLiteral("crpkey"),
                  QStringLiteral("watchpoint"), QStringLiteral("uid")};
    return r;
}

QList<QPair<QString, QString>> Rules::requiredFields() const
{
    QList<QPair<QString, QString>> fields;
    if (m_kind == Kind::TopUps)
        return fields; // a typed booking is sent as it stands
    for (const Column& c : m_columns)
        if (!c.requiredMessage.isEmpty())
            fields.append({c.field, c.requiredMessage});
    return fields;
}

bool Rules::check(qint64 row, const QStringList& texts, const QStringList& titles, const Stored& stored,
                  QVariantList& values, QList<CellError>& errors) const
{
    const qsizetype before = errors.size();
    QVariantList typed;
    for (int i = 0; i < m_columns.size(); ++i) {
        const Column& column = m_columns.at(i);
        QString text = texts.value(i);
        // The students window's default: a new student's password is the student number.
        if (m_kind == Kind::Students && column.field == QLatin1String("studpwd") && text.isEmpty())
            text = texts.value(0);
        const QString title = titles.value(i, column.field);
        if (!column.requiredMessage.isEmpty() && blankText(text)) {
            errors.append({row, title, column.requiredMessage});
            typed.append(QVariant());
            continue;
        }
        try {
            typed.append(Field::typedValue(column.type, column.size, column.field, text));
        } catch (const DbError& e) {
            errors.append({row, title, e.message()});
            typed.append(QVariant());
        }
    }
    if (m_keyColumn >= 0 && errors.size() == before && stored.keys.contains(folded(typed.at(m_keyColumn).toString())))
        errors.append({row, titles.value(m_keyColumn), Msg::importStored(typed.at(m_keyColumn).toString())});

    if (m_kind != Kind::TopUps) {
        values = typed;
        return errors.size() == before;
    }
    // A booking: the class by its name, the class's total when no points are given, and the
    // date and account a typed booking carries.
    ClassRef ref;
    if (typed.at(1).isValid()) {
        ref = stored.classes.value(folded(typed.at(1).toString()));
        if (ref.count == 0)
            errors.append({row, titles.value(1), Msg::importNoClass(typed.at(1).toString())});
        else if (ref.count > 1)
            errors.append({row, titles.value(1), Msg::importClassAmbiguous(typed.at(1).toString(), ref.count)});
    }
    QVariant points = typed.at(2);
    if (!points.isValid() && ref.count == 1 && blankText(texts.value(2))) {
        points =
            ref.classpoint.isValid() && !ref.classpoint.isNull() ? QVariant(ref.classpoint.toLongLong()) : QVariant();
        if (!points.isValid())
            errors.append({row, titles.value(2), Msg::importNoPoints()});
    }
    if (errors.size() != before)
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    values = {now.addMSecs(-now.time().msec()), typed.at(0), ref.crpkey, points, m_uid};
    return true;
}
