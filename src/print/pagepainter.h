#pragma once
// The one page routine behind everything the program prints: every page starts with the heading
// (the company's logo and name, the paper's title with its mark, the time printed, and lines that
// repeat on each page such as the student of a statement); lines of text and tables flow down the
// page onto as many pages as they need, a table's header repeated at the top of each page it goes
// on; the page number and count stand at the foot. The content is laid out once without painting to
// count the pages, then painted straight onto the printer or the PDF writer.

#include <QFont>
#include <QImage>
#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>

class QAbstractItemModel;
class QColor;
class QPagedPaintDevice;
class QPainter;

/// The shade of the log's 2nd, 4th ... rows, in the point query's grid and on paper alike.
extern const QColor kLogEvenRows;

struct PageHeading {
    QString corpName;
    QString logoPath; ///< a missing or unreadable file leaves the logo out
    QString title;    ///< under the company's name
    QString mark;     ///< in bold after the title (a reprint's mark); may be empty
    QString printedLabel;
    QString printed;
    QStringList repeated; ///< lines under the heading on every page
    QString pageFormat;   ///< page number and count as %1 and %2; empty: no page numbers
};

/// The paper: its size and its margins on every side.
struct PaperSpec {
    QPageSize::PageSizeId size = QPageSize::A4;
    qreal marginMm = 15;
    /// The logo's side and the company name's size in points (smaller on a small paper).
    qreal logoSide = 42;
    qreal corpPoints = 15;
};

class PagePainter
{
public:
    /// Lays out the pages' content; called twice, once to count the pages and once to paint them.
    using Content = std::function<void(PagePainter&)>;

    /// Gives device the paper's page size and margins; call before painting.
    static void setUpPage(QPagedPaintDevice* device, const PaperSpec& paper);
    /// Paints every page onto device (set up for paper); throws AppError when the device cannot be
    /// painted on. Returns the number of pages.
    static int paint(QPagedPaintDevice* device, const PaperSpec& paper, const PageHeading& heading, const QFont& font,
                     const Content& content);
    /// Writes the pages as a PDF file; path holds either the whole file or what it held before.
    /// Returns the number of pages; throws AppError on failure.
    static int writePdf(const QString& path, const QString& documentTitle, const PaperSpec& paper,
                        const PageHeading& heading, const QFont& font, const Content& content);

    // For the content.

    /// One line of text at points size; it goes on the next page when this one is full.
    void text(const QString& line, qreal points = 11, bool bold = false, Qt::Alignment align = Qt::AlignLeft);
    /// Lines of label and value, the values aligned after the widest label.
    void fields(const QList<QPair<QString, QString>>& rows, qreal points = 11);
    /// The model's rows as a grid shows them (display texts, titles and alignments of its columns);
    /// widths: the grid's column widths, which share the page's width in proportion. The 2nd, 4th ...
    /// rows are shaded when shadeEvenRows.
    void table(const QAbstractItemModel* rows, const QList<int>& widths, bool shadeEvenRows);
    /// A line across the page.
    void rule();
    /// Empty room of points height (none at the top of a page).
    void space(qreal points);

private:
    PagePainter(QPagedPaintDevice* device, QPainter* painter, const PaperSpec& paper, const PageHeading& heading,
                const QFont& font, const QImage& logo, int pageCount);
    /// Room for height below the current position, on a new page when this one has too little.
    void need(qreal height);
    void startPage();
    QFont sized(qreal points, bool bold = false) const;
    qreal advance(const QFont& font, const QString& text) const;
    bool painting() const { return m_painter != nullptr; }

    QPagedPaintDevice* m_device;
    QPainter* m_painter; ///< null while the pages are only counted
    PaperSpec m_paper;
    PageHeading m_heading;
    QFont m_font;
    QImage m_logo;
    int m_pageCount; ///< known while painting; 0 while counting
    int m_page = 0;
    qreal m_unit = 1; ///< device units per point
    qreal m_width = 0;
    qreal m_height = 0;
    qreal m_top = 0;    ///< where the next content goes
    qreal m_bottom = 0; ///< the content's limit, above the page number
};
