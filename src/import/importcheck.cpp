#include "importcheck.h"

#include "sheetreader.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "platform/errors.h"
#include "platform/messages.h"

#include <QByteArray>
#include <QMultiHash>
#include <QSqlError>
#include <QSqlQuery>

using namespace Import;

namespace {
// Reads up to the title row (the first that is not blank) and matches it.
ColumnMatch readTitles(Sheet::Reader& reader, const Rules& rules, const QList<QStringList>& known)
{
    Sheet::Row row;
    while (reader.next(row)) {
        if (Sheet::blank(row))
            continue;
        ColumnMatch match = matchColumns(row.cells, rules, known);
        if (!match.missing.isEmpty())
            throw AppError(Msg::importMissingColumns(match.missing.join(QStringLiteral("、"))));
        return match;
    }
    throw AppError(Msg::importNoTitles());
}

// The row where each key value first stood, values compared as the server compares them. A million
// keys are held as 64-bit digests with their folded texts in one buffer: a digest that matches is
// confirmed by the text, so two different values never count as one.
class FirstRows
{
public:
    /// The row where text first stood; row itself (and remembered) when it is new.
    qint64 firstRow(const QString& text, qint64 row)
    {
        const QByteArray value = folded(text).toUtf8();
        const quint64 digest = qHash(value, 0x9e3779b9U);
        const auto [begin, end] = m_rows.equal_range(digest);
        for (auto it = begin; it != end; ++it) {
            if (QByteArrayView(m_texts).sliced(it->offset, it->length) == value)
                return it->row;
        }
        m_rows.insert(digest, {row, m_texts.size(), value.size()});
        m_texts.append(value);
        return row;
    }

private:
    struct Seen {
        qint64 row;
        qsizetype offset; ///< of the folded text in m_texts
        qsizetype length;
    };
    QMultiHash<quint64, Seen> m_rows;
    QByteArray m_texts;
};

// The row's title list for its errors.
QStringList titlesOf(const ColumnMatch& match)
{
    return match.titles;
}
} // namespace

Stored Import::readStored(Connection* connection, const Rules& rules)
{
    Stored stored;
    const QString statement = rules.kind() == Kind::Students ? QStringLiteral("SELECT spkey FROM stud")
                              : rules.kind() == Kind::Classes
                                  ? QStringLiteral("SELECT classname FROM classroom")
                                  : QStringLiteral("SELECT crpkey, classname, classpoint FROM classroom");
    QSqlQuery query(connection->database());
    query.setForwardOnly(true);
    if (!query.exec(statement))
        throw connection->failure(query.lastError());
    while (query.next()) {
        if (rules.kind() != Kind::TopUps) {
            stored.keys.insert(folded(query.value(0).toString()));
            continue;
        }
        ClassRef& ref = stored.classes[folded(query.value(1).toString())];
        ref.crpkey = query.value(0).toLongLong();
        ref.classpoint = query.value(2);
        ++ref.count;
    }
    return stored;
}

Preview Import::preview(const QString& path, const Rules& rules, const QList<QStringList>& known, const Stored& stored)
{
    std::unique_ptr<Sheet::Reader> reader = Sheet::open(path);
    Preview p;
    p.path = path;
    p.encoding = reader->encoding();
    p.match = readTitles(*reader, rules, known);
    const QStringList titles = titlesOf(p.match);
    FirstRows seen;
    Sheet::Row row;
    QVariantList values;
    QList<CellError> errors;
    while (reader->next(row)) {
        if (Sheet::blank(row))
            continue;
        if (++p.rows > Sheet::MaxRows)
            throw AppError(Msg::importTooManyRows(Sheet::MaxRows));
        errors.clear();
        const QStringList texts = cellsInOrder(row.cells, p.match);
        const bool good = rules.check(row.number, texts, titles, stored, values, errors);
        const int key = rules.keyColumn();
        if (key >= 0 && !blankText(texts.value(key))) {
            const qint64 first = seen.firstRow(texts.value(key), row.number);
            if (first != row.number)
                errors.append({row.number, titles.value(key), Msg::importRepeated(texts.value(key), first)});
        }
        if (!errors.isEmpty()) {
            ++p.badRows;
            for (const CellError& e : std::as_const(errors)) {
                if (p.errors.size() < MaxListedErrors)
                    p.errors.append(e);
                else
                    ++p.moreErrors;
            }
        }
        if (p.firstRows.size() < PreviewRows) {
            if (!good) {
                // The row as far as it can be shown: its texts, under the columns they would fill.
                values.clear();
                if (rules.kind() == Kind::TopUps)
                    values = {QVariant(), texts.value(0), texts.value(1), texts.value(2), QVariant()};
                else
                    for (const QString& t : texts)
                        values.append(t);
            }
            p.firstRows.append(values);
            p.firstNumbers.append(row.number);
            p.firstBad.append(!errors.isEmpty());
        }
    }
    return p;
}

void Import::forEachRow(const QString& path, const Rules& rules, const ColumnMatch& match, const Stored& stored,
                        const std::function<bool(const QVariantList&)>& write)
{
    std::unique_ptr<Sheet::Reader> reader = Sheet::open(path);
    Sheet::Row row;
    // The title row again, as the preview found it.
    while (reader->next(row) && Sheet::blank(row)) {
    }
    const QStringList titles = titlesOf(match);
    QVariantList values;
    QList<CellError> errors;
    while (reader->next(row)) {
        if (Sheet::blank(row))
            continue;
        if (!rules.check(row.number, cellsInOrder(row.cells, match), titles, stored, values, errors))
            throw AppError(Msg::importChangedMeanwhile(row.number));
        if (!write(values))
            return;
    }
}
