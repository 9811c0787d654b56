#include "maskedit.h"

#include <QRegularExpressionValidator>

namespace {
// Characters with a meaning in Qt's mask notation: written as literals they need a backslash.
const QString kQtMaskCharacters = QStringLiteral("AaNnXx90DdHhBb#><![]{}\\;");

// Position characters and their Qt equivalents, one for one.
const QString kDelphiPositions = QStringLiteral("LlAaCc09#><");
const QString kQtPositions = QStringLiteral("AaNnXx90#><");

void appendLiteral(QString& out, QChar c)
{
    if (kQtMaskCharacters.contains(c))
        out += QLatin1Char('\\');
    out += c;
}

// The mask's sections, split at semicolons that no backslash escapes.
QStringList sections(const QString& mask)
{
    QStringList parts{QString()};
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('\\') && i + 1 < mask.size()) {
            parts.last() += c;
            parts.last() += mask.at(++i);
        } else if (c == QLatin1Char(';')) {
            parts.append(QString());
        } else {
            parts.last() += c;
        }
    }
    return parts;
}
} // namespace

MaskEdit::MaskEdit(QWidget* parent)
    : QLineEdit(parent)
{
    // Printable ASCII only: Qt's letter positions would also take Chinese characters.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7e]*")), this));
}

void MaskEdit::setEditMask(const QString& mask)
{
    m_editMask = mask;
    setInputMask(toInputMask(mask));
}

QString MaskEdit::toInputMask(const QString& mask)
{
    const QStringList parts = sections(mask);
    const QString& positions = parts.first();
    if (positions.isEmpty())
        return QString();
    QString out;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const QChar c = positions.at(i);
        const QChar next = i + 1 < positions.size() ? positions.at(i + 1) : QChar();
        const qsizetype simple = kDelphiPositions.indexOf(c);
        if (c == QLatin1Char('<') && next == QLatin1Char('>')) {
            out += QLatin1Char('!');
            ++i;
        } else if (simple >= 0) {
            out += kQtPositions.at(simple);
        } else if (c == QLatin1Char('\\') && !next.isNull()) {
            appendLiteral(out, next);
            ++i;
        } else if (c == QLatin1Char('_')) {
            out += QLatin1Char(' ');
        } else if (c != QLatin1Char('!')) { // blanks at the start instead of the end: Qt has no such choice
            appendLiteral(out, c);
        }
    }
    const QString blank = parts.size() > 2 && !parts.at(2).isEmpty() ? parts.at(2).left(1) : QStringLiteral("_");
    return out + QLatin1Char(';') + blank;
}
