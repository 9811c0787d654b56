#pragma once
// A student's point statement on paper or in a PDF file: the company's name and logo, the student,
// every row of the log as a grid shows it, the balance and the date printed, on A4 pages with the
// table's header repeated and page numbers, by the page routine every printed paper shares. The
// pages are painted one by one straight onto the printer or the PDF writer, so a long log is never
// held a second time as a document.

#include "pagepainter.h"

#include <QFont>
#include <QList>
#include <QString>

class QAbstractItemModel;
class QPagedPaintDevice;

struct StatementTexts {
    QString title; ///< heading under the company's name
    QString corpName;
    QString logoPath;   ///< a missing or unreadable file leaves the logo out
    QString spkeyLabel; ///< "學號"
    QString spkey;
    QString nameLabel; ///< "姓名"
    QString name;
    QString balanceLabel; ///< "剩餘點數"
    QString balance;
    QString printedLabel; ///< "列印日期"
    QString printed;
    QString pageFormat; ///< page number and page count as %1 and %2
};

class PointStatement
{
public:
    /// rows: the log as a grid shows it (display texts, titles and alignments of its columns);
    /// widths: the grid's column widths, which share the page's width in proportion.
    PointStatement(const StatementTexts& texts, const QAbstractItemModel* rows, const QList<int>& widths,
                   const QFont& font);

    /// Gives device A4 pages with the statement's margins; call before painting.
    static void setUpPage(QPagedPaintDevice* device);
    /// Paints every page onto device; throws AppError when the device cannot be painted on.
    /// Returns the number of pages.
    int paint(QPagedPaintDevice* device) const;
    /// Writes the statement as a PDF file; path holds either the whole file or what it held before.
    /// Returns the number of pages; throws AppError on failure.
    int writePdf(const QString& path) const;

private:
    PageHeading heading() const;
    PagePainter::Content content() const;

    StatementTexts m_texts;
    const QAbstractItemModel* m_rows;
    QList<int> m_widths;
    QFont m_font;
};
