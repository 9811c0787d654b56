#include "history.h"

#include "connection.h"
#include "snapshottable.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
struct Recorded {
    const char* table;
    const char* key;
};
// The tables of db/history.sql, with the column each names its rows by.
const Recorded kRecorded[] = {{"stud", "spkey"},       {"classroom", "crpkey"}, {"course", "cpkey"},
                              {"studclass", "scpkey"}, {"users", "upkey"},      {"corp", ""}};

// The words of the list: one JSON array of [code, word] pairs, read by the server as a table.
const char* const kWords = "JSON_TABLE(@ryn_h_words, '$[*]' COLUMNS (k VARCHAR(80) PATH '$[0]', "
                           "word VARCHAR(80) PATH '$[1]'))";

QString listStatement(const QString& where)
{
    const QString words = QString::fromLatin1(kWords);
    return QStringLiteral("SELECT LEFT(DATE_FORMAT(h.changed, '%Y/%m/%d %H:%i:%s.%f'), 23) AS changed, "
                          "COALESCE(h.account, h.dbaccount) AS account, COALESCE(a.word, h.action) AS action, "
                          "COALESCE(t.word, h.tablename) AS tablename, h.rowkey, "
                          "COALESCE(c.word, h.colname) AS colname, h.oldvalue, h.newvalue, h.dbaccount "
                          "FROM history AS h "
                          "LEFT JOIN ")
           + words + QStringLiteral(" AS a ON a.k = CONCAT('action.', h.action) LEFT JOIN ") + words
           + QStringLiteral(" AS t ON t.k = CONCAT('table.', h.tablename) LEFT JOIN ") + words
           + QStringLiteral(" AS c ON c.k = CONCAT(h.tablename, '.', h.colname) WHERE ") + where
           + QStringLiteral(" ORDER BY h.changed DESC, h.hpkey");
}

QString wordsJson(const History::Captions& captions)
{
    QJsonArray pairs;
    for (const auto& [code, word] : captions)
        pairs.append(QJsonArray{code, word});
    return QString::fromUtf8(QJsonDocument(pairs).toJson(QJsonDocument::Compact));
}

QVariant orNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Sets the session variables the statement reads, then reads it. A connection opened again between
// the two (the server had dropped it) has lost them: the list is then read once more.
void read(SnapshotTable* list, const QString& assignments, QVariantList values, const QString& statement)
{
    Connection* connection = list->connection();
    list->close();
    list->setSql(statement);
    for (int attempt = 0;; ++attempt) {
        connection->open();
        connection->scalar(QStringLiteral("SET @ryn_h_ready = 1, ") + assignments, values);
        list->open();
        if (attempt > 0 || connection->scalar(QStringLiteral("SELECT @ryn_h_ready")).toInt() == 1)
            return;
        list->close();
    }
}
} // namespace

QStringList History::recordedTables()
{
    QStringList tables;
    for (const Recorded& r : kRecorded)
        tables << QString::fromLatin1(r.table);
    return tables;
}

QString History::keyColumn(const QString& table)
{
    for (const Recorded& r : kRecorded)
        if (table == QLatin1String(r.table))
            return QString::fromLatin1(r.key);
    return QString();
}

void History::declareFields(SnapshotTable* list)
{
    list->addField(QStringLiteral("changed"), FieldType::Text, 23);
    list->addField(QStringLiteral("account"), FieldType::Text, 255);
    list->addField(QStringLiteral("action"), FieldType::Text, 80);
    list->addField(QStringLiteral("tablename"), FieldType::Text, 80);
    list->addField(QStringLiteral("rowkey"), FieldType::Text, 40);
    list->addField(QStringLiteral("colname"), FieldType::Text, 80);
    list->addField(QStringLiteral("oldvalue"), FieldType::Text, 255);
    list->addField(QStringLiteral("newvalue"), FieldType::Text, 255);
    list->addField(QStringLiteral("dbaccount"), FieldType::Text, 255);
}

void History::readRow(SnapshotTable* list, const QString& table, const QString& key, const Captions& captions)
{
    const bool wholeTable = keyColumn(table).isEmpty();
    read(list, QStringLiteral("@ryn_h_words = ?, @ryn_h_table = ?, @ryn_h_key = ?"),
         {wordsJson(captions), table, wholeTable ? QVariant() : QVariant(key)},
         listStatement(QStringLiteral("h.tablename = @ryn_h_table AND (@ryn_h_key IS NULL OR h.rowkey = @ryn_h_key)")));
}

void History::readFiltered(SnapshotTable* list, const Filter& filter, const Captions& captions)
{
    const QDateTime from(filter.from, QTime(0, 0));
    const QDateTime until(filter.to.addDays(1), QTime(0, 0));
    // A text found in any column of a change shows the whole change: a deleted row is seen whole.
    const QString where =
        QStringLiteral("h.changed >= @ryn_h_from AND h.changed < @ryn_h_until "
                       "AND (@ryn_h_table IS NULL OR h.tablename = @ryn_h_table) "
                       "AND (@ryn_h_account IS NULL OR h.account = @ryn_h_account "
                       "OR (h.account IS NULL AND SUBSTRING_INDEX(h.dbaccount, '@', 1) = @ryn_h_account)) "
                       "AND (@ryn_h_text IS NULL OR (h.tablename, h.rowkey, h.changed) IN ("
                       "SELECT m.tablename, m.rowkey, m.changed FROM history AS m "
                       "WHERE m.changed >= @ryn_h_from AND m.changed < @ryn_h_until "
                       "AND (LOCATE(@ryn_h_text, m.rowkey) > 0 OR LOCATE(@ryn_h_text, m.oldvalue) > 0 "
                       "OR LOCATE(@ryn_h_text, m.newvalue) > 0)))");
    read(list,
         QStringLiteral("@ryn_h_words = ?, @ryn_h_from = ?, @ryn_h_until = ?, @ryn_h_table = ?, @ryn_h_account = ?, "
                        "@ryn_h_text = ?"),
         {wordsJson(captions), from, until, orNull(filter.table), orNull(filter.account), orNull(filter.text)},
         listStatement(where));
}
