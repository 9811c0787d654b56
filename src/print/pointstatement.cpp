#include "pointstatement.h"
#include "platform/messages.h"

#include "platform/errors.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFontMetricsF>
#include <QFileInfo>
#include <QImageReader>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <numeric>

const QColor kLogEvenRows(192, 220, 192);

namespace {
// Sizes in points (1/72 inch).
constexpr qreal kMarginMm = 15;
constexpr qreal kLogoSide = 42;
constexpr qreal kRowHeight = 15;
constexpr qreal kCellPadding = 3;
constexpr qreal kBodyPoints = 9;
const QColor kHeaderShade(225, 225, 225);

// The page's geometry in device units, worked out once from its paint rectangle.
struct PageFrame {
    qreal unit;  // device units per point
    qreal width; // of the paint rectangle
    qreal height;
    qreal tableTop;    // the header row's top
    qreal tableBottom; // the last row's bottom limit, above the page number
    int rowsPerPage;   // data rows below the header row
};

QFont sized(QFont font, qreal points, bool bold = false)
{
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace

PointStatement::PointStatement(const StatementTexts& texts, const QAbstractItemModel* rows, const QList<int>& widths,
                               const QFont& font)
    : m_texts(texts)
    , m_rows(rows)
    , m_widths(widths)
    , m_font(font)
{}

void PointStatement::setUpPage(QPagedPaintDevice* device)
{
    device->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
}

int PointStatement::paint(QPagedPaintDevice* device) const
{
    QPainter painter;
    if (!painter.begin(device))
        throw AppError(Msg::printCannotStart());

    PageFrame page;
    page.unit = device->logicalDpiY() / 72.0;
    const QRectF paintRect = device->pageLayout().paintRect(QPageLayout::Point);
    page.width = paintRect.width() * page.unit;
    page.height = paintRect.height() * page.unit;
    const qreal row = kRowHeight * page.unit;
    page.tableTop = (kLogoSide + 34) * page.unit;
    page.tableBottom = page.height - 2 * row;
    page.rowsPerPage = qMax(1, int((page.tableBottom - page.tableTop - row) / row));

    // The balance takes two lines after the last row, on the last page.
    const int rowCount = m_rows->rowCount();
    const int pages = qMax(1, (rowCount + 2 + page.rowsPerPage - 1) / page.rowsPerPage);

    QImage logo;
    if (QFileInfo::exists(m_texts.logoPath)) {
        QImageReader reader(m_texts.logoPath);
        logo = reader.read();
    }

    // Each column as wide as its widest text, the room left shared in proportion to the grid's
    // widths; when the texts are too wide together, every column gives up the same fraction.
    const QFont body = sized(m_font, kBodyPoints);
    const QFont bold = sized(m_font, kBodyPoints, true);
    const int columns = m_rows->columnCount();
    const qreal padding = 2 * kCellPadding * page.unit;
    QList<qreal> natural;
    for (int c = 0; c < columns; ++c) {
        painter.setFont(bold);
        qreal widest = painter.fontMetrics().horizontalAdvance(m_rows->headerData(c, Qt::Horizontal).toString());
        painter.setFont(body);
        const QFontMetricsF metrics(painter.fontMetrics());
        for (int r = 0; r < rowCount; ++r)
            widest = qMax(widest, metrics.horizontalAdvance(m_rows->index(r, c).data().toString()));
        natural << widest + padding;
    }
    const qreal needed = std::accumulate(natural.begin(), natural.end(), 0.0);
    const qreal gridWidth = std::accumulate(m_widths.begin(), m_widths.end(), 0.0);
    QList<qreal> left;
    QList<qreal> width;
    qreal x = 0;
    for (int c = 0; c < columns; ++c) {
        const qreal share = gridWidth > 0 && c < m_widths.size() ? m_widths.at(c) / gridWidth : 1.0 / columns;
        const qreal w =
            needed <= page.width ? natural.at(c) + (page.width - needed) * share : natural.at(c) * page.width / needed;
        left << x;
        width << w;
        x += w;
    }

    const auto cell = [&](qreal top, int c, const QString& text, Qt::Alignment align) {
        const QRectF box(left.at(c) + kCellPadding * page.unit, top, width.at(c) - 2 * kCellPadding * page.unit, row);
        const QString shown = QFontMetricsF(painter.fontMetrics()).elidedText(text, Qt::ElideRight, box.width() + 1);
        painter.drawText(box, int(align | Qt::AlignVCenter), shown);
    };

    int next = 0;
    for (int p = 1; p <= pages; ++p) {
        if (p > 1 && !device->newPage())
            throw AppError(Msg::printCannotNewPage());

        // The heading: logo, company, title and date printed; the student.
        qreal textLeft = 0;
        if (!logo.isNull()) {
            const qreal side = kLogoSide * page.unit;
            const QSizeF fitted = QSizeF(logo.size()).scaled(side, side, Qt::KeepAspectRatio);
            painter.drawImage(QRectF(QPointF(0, 0), fitted), logo);
            textLeft = side + 8 * page.unit;
        }
        painter.setFont(sized(m_font, 15, true));
        painter.drawText(QRectF(textLeft, 0, page.width - textLeft, 22 * page.unit), Qt::AlignLeft | Qt::AlignVCenter,
                         m_texts.corpName);
        painter.setFont(sized(m_font, 12));
        painter.drawText(QRectF(textLeft, 22 * page.unit, page.width - textLeft, 18 * page.unit),
                         Qt::AlignLeft | Qt::AlignVCenter, m_texts.title);
        painter.setFont(body);
        painter.drawText(QRectF(0, 0, page.width, 18 * page.unit), Qt::AlignRight | Qt::AlignVCenter,
                         m_texts.printedLabel + QStringLiteral("：") + m_texts.printed);
        const qreal studentTop = (kLogoSide + 10) * page.unit;
        painter.setFont(sized(m_font, 11));
        painter.drawText(QRectF(0, studentTop, page.width, 20 * page.unit), Qt::AlignLeft | Qt::AlignVCenter,
                         m_texts.spkeyLabel + QStringLiteral("：") + m_texts.spkey + QStringLiteral("　　")
                             + m_texts.nameLabel + QStringLiteral("：") + m_texts.name);

        // The table's header, on every page.
        qreal top = page.tableTop;
        painter.fillRect(QRectF(0, top, page.width, row), kHeaderShade);
        painter.setFont(bold);
        for (int c = 0; c < columns; ++c)
            cell(top, c, m_rows->headerData(c, Qt::Horizontal).toString(), Qt::AlignHCenter);
        painter.drawLine(QPointF(0, top + row), QPointF(page.width, top + row));
        top += row;

        painter.setFont(body);
        const int last = qMin(rowCount, next + page.rowsPerPage);
        for (; next < last; ++next, top += row) {
            if ((next + 1) % 2 == 0)
                painter.fillRect(QRectF(0, top, page.width, row), kLogEvenRows);
            for (int c = 0; c < columns; ++c) {
                const QModelIndex index = m_rows->index(next, c);
                const QVariant align = m_rows->data(index, Qt::TextAlignmentRole);
                const Qt::Alignment horizontal =
                    align.isValid() ? Qt::Alignment(align.toInt()) & Qt::AlignHorizontal_Mask : Qt::AlignLeft;
                cell(top, c, m_rows->data(index, Qt::DisplayRole).toString(), horizontal);
            }
        }
        if (p == pages) {
            painter.drawLine(QPointF(0, top), QPointF(page.width, top));
            painter.setFont(sized(m_font, 11, true));
            painter.drawText(QRectF(0, top + 0.5 * row, page.width, row), Qt::AlignRight | Qt::AlignVCenter,
                             m_texts.balanceLabel + QStringLiteral("：") + m_texts.balance);
        }

        painter.setFont(body);
        painter.drawText(QRectF(0, page.height - row, page.width, row), Qt::AlignHCenter | Qt::AlignVCenter,
                         m_texts.pageFormat.arg(p).arg(pages));
    }
    if (!painter.end())
        throw AppError(Msg::printUnfinished());
    return pages;
}

int PointStatement::writePdf(const QString& path) const
{
    // Written under a temporary name and renamed when whole, so a failure leaves no half file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(Msg::cannotWrite(QDir::toNativeSeparators(path), file.errorString()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("ryn"));
        writer.setTitle(m_texts.title + QLatin1Char(' ') + m_texts.spkey);
        writer.setResolution(300);
        setUpPage(&writer);
        pages = paint(&writer);
    }
    if (!file.commit())
        throw AppError(Msg::cannotWrite(QDir::toNativeSeparators(path), file.errorString()));
    return pages;
}
