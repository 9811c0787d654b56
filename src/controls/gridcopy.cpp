#include "gridcopy.h"

#include <QMimeData>

namespace {
QString tsvCell(const QString& text)
{
    if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void tsvLine(QString& out, const QStringList& cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += QLatin1Char('\t');
        out += tsvCell(cells.at(i));
    }
    out += QLatin1String("\r\n");
}

void htmlLine(QString& out, const QStringList& cells, const char* tag)
{
    out += QLatin1String("<tr>");
    for (const QString& cell : cells) {
        out += QLatin1Char('<') + QLatin1String(tag) + QLatin1Char('>');
        out += cell.toHtmlEscaped();
        out += QLatin1String("</") + QLatin1String(tag) + QLatin1Char('>');
    }
    out += QLatin1String("</tr>\n");
}
} // namespace

QString GridCopy::tsv(const QStringList& titles, const QList<QStringList>& rows)
{
    QString out;
    tsvLine(out, titles);
    for (const QStringList& row : rows)
        tsvLine(out, row);
    return out;
}

QString GridCopy::html(const QStringList& titles, const QList<QStringList>& rows)
{
    QString out = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>\n");
    htmlLine(out, titles, "th");
    for (const QStringList& row : rows)
        htmlLine(out, row, "td");
    out += QLatin1String("</table></body></html>\n");
    return out;
}

QMimeData* GridCopy::mimeData(const QStringList& titles, const QList<QStringList>& rows)
{
    auto* data = new QMimeData;
    data->setText(tsv(titles, rows));
    data->setHtml(html(titles, rows));
    return data;
}
