#include "columnmatch.h"

#include "lang/langfile.h"
#include "lang/languagemanager.h"
#include "lang/langtables.h"

using namespace Import;

namespace {
// The translation ID of "component.rest" in a window's table; 0 when it has none.
qint32 idOf(const LangEntry& table, const QString& path)
{
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    const LangEntry* entry = table.child(path.left(dot));
    if (!entry)
        return 0;
    for (const LangProperty& p : entry->properties)
        if (p.path == path.mid(dot + 1))
            return p.id;
    return 0;
}

QString normal(const QString& title)
{
    return title.simplified().toCaseFolded();
}
} // namespace

QList<QStringList> Import::knownTitles(const Rules& rules)
{
    QList<QStringList> known;
    const LangEntry table = LangTables::forWindow(rules.window());
    QList<const QHash<qint32, QString>*> sections;
    QList<LangFile> files;
    LanguageManager& manager = languageManager();
    for (int i = 1; i < manager.languageCount(); ++i) {
        try {
            files.append(LangFile::load(manager.languageFile(manager.languageIdAt(i)), LangFile::Mode::Full));
        } catch (const std::exception&) {
            // A language file that cannot be read only names no columns.
        }
    }
    for (const Column& column : rules.columns()) {
        QStringList titles{column.field};
        titles += column.captions;
        QStringList paths{column.labelName + QStringLiteral(".Caption")};
        if (!column.gridColumn.isEmpty())
            paths.append(column.gridColumn + QStringLiteral(".Title.Caption"));
        for (const LangFile& file : files) {
            const QHash<qint32, QString>* section = file.section(rules.window());
            if (!section)
                continue;
            for (const QString& path : paths) {
                const QString text = LangFile::decodeValue(section->value(idOf(table, path)));
                if (!text.isEmpty())
                    titles.append(text);
            }
        }
        titles.removeDuplicates();
        known.append(titles);
    }
    return known;
}

ColumnMatch Import::matchColumns(const QStringList& header, const Rules& rules, const QList<QStringList>& known)
{
    ColumnMatch match;
    const QList<Column>& columns = rules.columns();
    for (int c = 0; c < columns.size(); ++c) {
        match.cellOf.append(-1);
        match.titles.append(columns.at(c).captions.value(0, columns.at(c).field));
    }
    for (int cell = 0; cell < header.size(); ++cell) {
        const QString title = normal(header.at(cell));
        if (title.isEmpty())
            continue;
        int found = -1;
        for (int c = 0; c < columns.size() && found < 0; ++c)
            for (const QString& name : known.value(c))
                if (normal(name) == title)
                    found = c;
        // A second column of the same title is not read: it is listed with the unknown ones.
        if (found < 0 || match.cellOf.at(found) >= 0) {
            match.unknown.append(header.at(cell).trimmed());
            continue;
        }
        match.cellOf[found] = cell;
        match.titles[found] = header.at(cell).trimmed();
    }
    for (int c = 0; c < columns.size(); ++c)
        if (match.cellOf.at(c) < 0 && columns.at(c).inFile && !columns.at(c).requiredMessage.isEmpty())
            match.missing.append(match.titles.at(c));
    return match;
}

QStringList Import::cellsInOrder(const QStringList& cells, const ColumnMatch& match)
{
    QStringList texts;
    texts.reserve(match.cellOf.size());
    for (const int cell : match.cellOf)
        texts.append(cell >= 0 ? cells.value(cell) : QString());
    return texts;
}
