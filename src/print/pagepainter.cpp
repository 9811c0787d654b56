#include "pagepainter.h"

#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/replacefile.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <numeric>

const QColor kLogEvenRows(192, 220, 192);

namespace {
// Sizes in points (1/72 inch).
constexpr qreal kRowHeight = 15;
constexpr qreal kCellPadding = 3;
constexpr qreal kBodyPoints = 9;
constexpr qreal kRepeatedLine = 20;
const QColor kHeaderShade(225, 225, 225);

QImage readLogo(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QImage();
    QImageReader reader(path);
    return reader.read();
}
} // namespace

void PagePainter::setUpPage(QPagedPaintDevice* device, const PaperSpec& paper)
{
    const qreal m = paper.marginMm;
    device->setPageLayout(
        QPageLayout(QPageSize(paper.size), QPageLayout::Portrait, QMarginsF(m, m, m, m), QPageLayout::Millimeter));
}

int PagePainter::paint(QPagedPaintDevice* device, const PaperSpec& paper, const PageHeading& heading, const QFont& font,
                       const Content& content)
{
    const QImage logo = readLogo(heading.logoPath);
    PagePainter counter(device, nullptr, paper, heading, font, logo, 0);
    counter.startPage();
    content(counter);
    const int pages = counter.m_page;

    QPainter painter;
    if (!painter.begin(device))
        throw AppError(Msg::printCannotStart());
    PagePainter pager(device, &painter, paper, heading, font, logo, pages);
    pager.startPage();
    content(pager);
    if (!painter.end())
        throw AppError(Msg::printUnfinished());
    return pages;
}

int PagePainter::writePdf(const QString& path, const QString& documentTitle, const PaperSpec& paper,
                          const PageHeading& heading, const QFont& font, const Content& content)
{
    // Written under a temporary name and renamed when whole, so a failure leaves no half file.
    ReplaceFile file(path);
    int pages = 0;
    {
        QPdfWriter writer(&file.file());
        writer.setCreator(QStringLiteral("ryn"));
        writer.setTitle(documentTitle);
        writer.setResolution(300);
        setUpPage(&writer, paper);
        try {
            pages = paint(&writer, paper, heading, font, content);
        } catch (const AppError&) {
            file.checkWrites(); // a full disk rather than the painter's complaint
            throw;
        }
    }
    file.commit();
    return pages;
}

PagePainter::PagePainter(QPagedPaintDevice* device, QPainter* painter, const PaperSpec& paper,
                         const PageHeading& heading, const QFont& font, const QImage& logo, int pageCount)
    : m_device(device)
    , m_painter(painter)
    , m_paper(paper)
    , m_heading(heading)
    , m_font(font)
    , m_logo(logo)
    , m_pageCount(pageCount)
{
    m_unit = device->logicalDpiY() / 72.0;
    const QRectF paintRect = device->pageLayout().paintRect(QPageLayout::Point);
    m_width = paintRect.width() * m_unit;
    m_height = paintRect.height() * m_unit;
    m_bottom = m_heading.pageFormat.isEmpty() ? m_height : m_height - 2 * kRowHeight * m_unit;
}

QFont PagePainter::sized(qreal points, bool bold) const
{
    QFont font = m_font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

qreal PagePainter::advance(const QFont& font, const QString& text) const
{
    return QFontMetricsF(font, m_device).horizontalAdvance(text);
}

void PagePainter::startPage()
{
    if (m_page > 0 && painting() && !m_device->newPage())
        throw AppError(Msg::printCannotNewPage());
    ++m_page;
    const qreal u = m_unit;
    const qreal headingBottom = (m_paper.logoSide + 10) * u;
    m_top = headingBottom + m_heading.repeated.size() * kRepeatedLine * u + (m_heading.repeated.isEmpty() ? 0 : 4 * u);
    if (!painting())
        return;

    QPainter& p = *m_painter;
    qreal textLeft = 0;
    if (!m_logo.isNull()) {
        const qreal side = m_paper.logoSide * u;
        const QSizeF fitted = QSizeF(m_logo.size()).scaled(side, side, Qt::KeepAspectRatio);
        p.drawImage(QRectF(QPointF(0, 0), fitted), m_logo);
        textLeft = side + 8 * u;
    }
    const qreal nameHeight = (m_paper.corpPoints + 7) * u;
    p.setFont(sized(m_paper.corpPoints, true));
    p.drawText(QRectF(textLeft, 0, m_width - textLeft, nameHeight), Qt::AlignLeft | Qt::AlignVCenter,
               m_heading.corpName);
    const QFont titleFont = sized(12);
    p.setFont(titleFont);
    const QRectF titleBox(textLeft, nameHeight, m_width - textLeft, 18 * u);
    p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, m_heading.title);
    if (!m_heading.mark.isEmpty()) {
        p.setFont(sized(12, true));
        p.drawText(titleBox.adjusted(advance(titleFont, m_heading.title) + 10 * u, 0, 0, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, m_heading.mark);
    }
    if (!m_heading.printedLabel.isEmpty()) {
        p.setFont(sized(kBodyPoints));
        p.drawText(QRectF(0, 0, m_width, 18 * u), Qt::AlignRight | Qt::AlignVCenter,
                   m_heading.printedLabel + QStringLiteral("：") + m_heading.printed);
    }
    p.setFont(sized(11));
    qreal y = headingBottom;
    for (const QString& line : m_heading.repeated) {
        p.drawText(QRectF(0, y, m_width, kRepeatedLine * u), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += kRepeatedLine * u;
    }
    if (!m_heading.pageFormat.isEmpty()) {
        const qreal row = kRowHeight * u;
        p.setFont(sized(kBodyPoints));
        p.drawText(QRectF(0, m_height - row, m_width, row), Qt::AlignHCenter | Qt::AlignVCenter,
                   m_heading.pageFormat.arg(m_page).arg(m_pageCount));
    }
}

void PagePainter::need(qreal height)
{
    if (m_top + height > m_bottom + 0.01)
        startPage();
}

void PagePainter::space(qreal points)
{
    m_top = qMin(m_top + points * m_unit, m_bottom);
}

void PagePainter::rule()
{
    if (painting())
        m_painter->drawLine(QPointF(0, m_top), QPointF(m_width, m_top));
}

void PagePainter::text(const QString& line, qreal points, bool bold, Qt::Alignment align)
{
    const qreal height = points * 1.6 * m_unit;
    need(height);
    if (painting()) {
        m_painter->setFont(sized(points, bold));
        m_painter->drawText(QRectF(0, m_top, m_width, height), int(align | Qt::AlignVCenter), line);
    }
    m_top += height;
}

void PagePainter::fields(const QList<QPair<QString, QString>>& rows, qreal points)
{
    const QFont label = sized(points);
    const QFont value = sized(points, true);
    qreal widest = 0;
    for (const auto& [name, text] : rows)
        widest = qMax(widest, advance(label, name + QStringLiteral("：")));
    const qreal height = points * 1.8 * m_unit;
    for (const auto& [name, text] : rows) {
        need(height);
        if (painting()) {
            m_painter->setFont(label);
            m_painter->drawText(QRectF(0, m_top, widest, height), Qt::AlignLeft | Qt::AlignVCenter,
                                name + QStringLiteral("："));
            m_painter->setFont(value);
            const QRectF box(widest, m_top, m_width - widest, height);
            const QString shown = QFontMetricsF(value, m_device).elidedText(text, Qt::ElideRight, box.width() + 1);
            m_painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, shown);
        }
        m_top += height;
    }
}

void PagePainter::table(const QAbstractItemModel* rows, const QList<int>& widths, bool shadeEvenRows)
{
    // Each column as wide as its widest text, the room left shared in proportion to the grid's
    // widths; when the texts are too wide together, every column gives up the same fraction.
    const QFont body = sized(kBodyPoints);
    const QFont bold = sized(kBodyPoints, true);
    const QFontMetricsF bodyMetrics(body, m_device);
    const int columns = rows->columnCount();
    const int rowCount = rows->rowCount();
    const qreal u = m_unit;
    const qreal row = kRowHeight * u;
    const qreal padding = 2 * kCellPadding * u;
    QList<qreal> natural;
    for (int c = 0; c < columns; ++c) {
        qreal widest = advance(bold, rows->headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < rowCount && painting(); ++r)
            widest = qMax(widest, bodyMetrics.horizontalAdvance(rows->index(r, c).data().toString()));
        natural << widest + padding;
    }
    const qreal needed = std::accumulate(natural.begin(), natural.end(), 0.0);
    const qreal gridWidth = std::accumulate(widths.begin(), widths.end(), 0.0);
    QList<qreal> left;
    QList<qreal> width;
    qreal x = 0;
    for (int c = 0; c < columns; ++c) {
        const qreal share = gridWidth > 0 && c < widths.size() ? widths.at(c) / gridWidth : 1.0 / columns;
        const qreal w =
            needed <= m_width ? natural.at(c) + (m_width - needed) * share : natural.at(c) * m_width / needed;
        left << x;
        width << w;
        x += w;
    }
    const auto cell = [&](int c, const QString& text, Qt::Alignment align) {
        const QRectF box(left.at(c) + kCellPadding * u, m_top, width.at(c) - padding, row);
        const QString shown =
            QFontMetricsF(m_painter->font(), m_device).elidedText(text, Qt::ElideRight, box.width() + 1);
        m_painter->drawText(box, int(align | Qt::AlignVCenter), shown);
    };
    const auto header = [&] {
        if (painting()) {
            m_painter->fillRect(QRectF(0, m_top, m_width, row), kHeaderShade);
            m_painter->setFont(bold);
            for (int c = 0; c < columns; ++c)
                cell(c, rows->headerData(c, Qt::Horizontal).toString(), Qt::AlignHCenter);
            m_painter->drawLine(QPointF(0, m_top + row), QPointF(m_width, m_top + row));
            m_painter->setFont(body);
        }
        m_top += row;
    };

    // The header and at least one row together.
    need(2 * row);
    header();
    for (int r = 0; r < rowCount; ++r) {
        if (m_top + row > m_bottom + 0.01) {
            startPage();
            header();
        }
        if (painting()) {
            if (shadeEvenRows && (r + 1) % 2 == 0)
                m_painter->fillRect(QRectF(0, m_top, m_width, row), kLogEvenRows);
            for (int c = 0; c < columns; ++c) {
                const QModelIndex index = rows->index(r, c);
                const QVariant align = rows->data(index, Qt::TextAlignmentRole);
                const Qt::Alignment horizontal =
                    align.isValid() ? Qt::Alignment(align.toInt()) & Qt::AlignHorizontal_Mask : Qt::AlignLeft;
                cell(c, rows->data(index, Qt::DisplayRole).toString(), horizontal);
            }
        }
        m_top += row;
    }
}
