#include "pointstatement.h"

#include <QAbstractItemModel>

namespace {
const PaperSpec kStatementPaper;
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
    PagePainter::setUpPage(device, kStatementPaper);
}

PageHeading PointStatement::heading() const
{
    PageHeading heading;
    heading.corpName = m_texts.corpName;
    heading.logoPath = m_texts.logoPath;
    heading.title = m_texts.title;
    heading.printedLabel = m_texts.printedLabel;
    heading.printed = m_texts.printed;
    heading.repeated = {m_texts.spkeyLabel + QStringLiteral("：") + m_texts.spkey + QStringLiteral("　　")
                        + m_texts.nameLabel + QStringLiteral("：") + m_texts.name};
    heading.pageFormat = m_texts.pageFormat;
    return heading;
}

PagePainter::Content PointStatement::content() const
{
    return [this](PagePainter& page) {
        page.table(m_rows, m_widths, true);
        page.rule();
        page.space(7.5);
        page.text(m_texts.balanceLabel + QStringLiteral("：") + m_texts.balance, 11, true, Qt::AlignRight);
    };
}

int PointStatement::paint(QPagedPaintDevice* device) const
{
    return PagePainter::paint(device, kStatementPaper, heading(), m_font, content());
}

int PointStatement::writePdf(const QString& path) const
{
    return PagePainter::writePdf(path, m_texts.title + QLatin1Char(' ') + m_texts.spkey, kStatementPaper, heading(),
                                 m_font, content());
}
