#include "receipt.h"

#include "receipttexts.h"

#include <QLocale>

namespace {
PaperSpec receiptPaper()
{
    PaperSpec paper;
    paper.size = QPageSize::A6;
    paper.marginMm = 8;
    paper.logoSide = 32;
    paper.corpPoints = 13;
    return paper;
}

QString signedPoints(const QVariant& points)
{
    if (points.isNull())
        return QString();
    const qlonglong value = points.toLongLong();
    return (value > 0 ? QStringLiteral("+") : QString()) + QLocale().toString(value);
}
} // namespace

Receipt::Receipt(const ReceiptData& data, int copy, const QString& logoPath, const QFont& font)
    : m_data(data)
    , m_copy(copy)
    , m_logoPath(logoPath)
    , m_font(font)
{}

void Receipt::setUpPage(QPagedPaintDevice* device)
{
    PagePainter::setUpPage(device, receiptPaper());
}

PageHeading Receipt::heading() const
{
    PageHeading heading;
    heading.corpName = m_data.corpName;
    heading.logoPath = m_logoPath;
    heading.title = ReceiptTexts::text("lblTitle");
    if (m_copy > 1)
        heading.mark = ReceiptTexts::text("lblReprint").arg(m_copy);
    return heading;
}

QList<QPair<QString, QString>> Receipt::lines() const
{
    const QString staff = m_data.uname.isEmpty() || m_data.uname == m_data.uid
                              ? m_data.uid
                              : m_data.uid + QStringLiteral("（") + m_data.uname + QStringLiteral("）");
    return {
        {ReceiptTexts::text("lblNumber"), ReceiptBook::number(m_data.key)},
        {ReceiptTexts::text("lblDate"), m_data.bought.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))},
        {ReceiptTexts::text("lblSpkey"), m_data.spkey},
        {ReceiptTexts::text("lblName"), m_data.studname},
        {ReceiptTexts::text("lblClass"), m_data.classname},
        {ReceiptTexts::text("lblPoints"), signedPoints(m_data.points)},
        {ReceiptTexts::text("lblUser"), staff},
        {ReceiptTexts::text("lblBalance"), QLocale().toString(qlonglong(m_data.balance))},
    };
}

PagePainter::Content Receipt::content() const
{
    const QList<QPair<QString, QString>> rows = lines();
    const QString printed = ReceiptTexts::text("lblPrinted") + QStringLiteral("：")
                            + QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    return [rows, printed](PagePainter& page) {
        page.space(6);
        page.rule();
        page.space(6);
        page.fields(rows);
        page.space(6);
        page.rule();
        page.space(4);
        page.text(printed, 8, false, Qt::AlignRight);
    };
}

int Receipt::paint(QPagedPaintDevice* device) const
{
    return PagePainter::paint(device, receiptPaper(), heading(), m_font, content());
}

int Receipt::writePdf(const QString& path) const
{
    return PagePainter::writePdf(path, heading().title + QLatin1Char(' ') + ReceiptBook::number(m_data.key),
                                 receiptPaper(), heading(), m_font, content());
}
