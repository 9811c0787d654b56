#include "videofile.h"

QString VideoFile::formatList()
{
    return QStringLiteral("3gp、avi、flv、mkv、mov、mp4、mpg、wmv");
}

QString VideoFile::extension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

bool VideoFile::supported(const QString& extension)
{
    // A substring test against the list as shown: "mp" passes, "MP4" and "mpeg" do not.
    return !extension.isEmpty() && formatList().contains(extension, Qt::CaseSensitive);
}

QString VideoFile::cleanBaseName(const QString& fileName, const QString& extension)
{
    QString base = fileName;
    base.remove(QLatin1Char('.') + extension, Qt::CaseSensitive);
    QString clean;
    clean.reserve(base.size());
    for (QChar c : base) {
        if (c == QChar(0x0020) || c == QChar(0x3000))
            continue;
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
        clean.append(c);
    }
    return clean;
}

int VideoFile::firstRefusedCharacter(const QString& baseName)
{
    for (int i = 0; i < baseName.size(); ++i) {
        const char16_t c = baseName.at(i).unicode();
        const bool letterOrDigit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letterOrDigit)
            return i;
    }
    return -1;
}
