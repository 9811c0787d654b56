#include "gridlayout.h"

#include "platform/inifile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString commaList(const QStringList& names)
{
    return names.join(QLatin1Char(','));
}

QStringList namesOfList(const QString& text)
{
    QStringList names;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        names << part.trimmed();
    return names;
}
} // namespace

QString GridLayout::path()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ryn/layout.ini");
}

GridLayout GridLayout::read(const QString& section)
{
    const QString file = path();
    GridLayout layout;
    layout.order = namesOfList(IniFile::readString(file, section, QStringLiteral("order"), QString()));
    layout.hidden = namesOfList(IniFile::readString(file, section, QStringLiteral("hidden"), QString()));
    for (const QString& entry : namesOfList(IniFile::readString(file, section, QStringLiteral("widths"), QString()))) {
        const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const int width = colon > 0 ? entry.mid(colon + 1).toInt(&ok) : 0;
        // A width the user could not have dragged is no layout.
        if (ok && width > 0 && width < 10000)
            layout.widths.append({entry.left(colon), width});
    }
    layout.sort = IniFile::readString(file, section, QStringLiteral("sort"), QString());
    return layout;
}

void GridLayout::write(const QString& section, const GridLayout& layout)
{
    const QString file = path();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QStringList widths;
    for (const auto& [name, width] : layout.widths)
        widths << name + QLatin1Char(':') + QString::number(width);
    IniFile::writeStrings(file, section,
                          {{QStringLiteral("order"), commaList(layout.order)},
                           {QStringLiteral("hidden"), commaList(layout.hidden)},
                           {QStringLiteral("widths"), commaList(widths)},
                           {QStringLiteral("sort"), layout.sort}});
}
