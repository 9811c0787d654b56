#include "inifile.h"
#include "platform/messages.h"

#include "errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSection(const QString& line, QString* name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool isKey(const QString& line, const QString& key, QString* value)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    *value = line.mid(eq + 1).trimmed();
    return true;
}
} // namespace

QString IniFile::readString(const QString& path, const QString& section, const QString& key,
                            const QString& defaultValue)
{
    bool inSection = false;
    for (const QString& line : readLines(path)) {
        QString name;
        if (isSection(line, &name)) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && isKey(line, key, &value))
            return value;
    }
    return defaultValue;
}

void IniFile::writeString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    writeStrings(path, section, {{key, value}});
}

namespace {
void putEntry(QStringList& lines, const QString& section, const QString& key, const QString& value)
{
    const QString entry = key + QLatin1Char('=') + value;
    int sectionEnd = -1; // index after the last line of the wanted section
    bool inSection = false;
    bool written = false;
    for (int i = 0; i < lines.size() && !written; ++i) {
        QString name;
        QString old;
        if (isSection(lines[i], &name)) {
            if (inSection)
                break;
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                sectionEnd = i + 1;
        } else if (inSection) {
            if (isKey(lines[i], key, &old)) {
                lines[i] = entry;
                written = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!written) {
        if (sectionEnd < 0) {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(sectionEnd, entry);
        }
    }
}
} // namespace

void IniFile::writeStrings(const QString& path, const QString& section, const QList<QPair<QString, QString>>& values)
{
    QStringList lines = readLines(path);
    for (const auto& [key, value] : values)
        putEntry(lines, section, key, value);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw AppError(Msg::cannotWrite(path, file.errorString()));
    }
    file.write(lines.join(QLatin1String("\r\n")).toUtf8() + "\r\n");
    if (!file.commit())
        throw AppError(Msg::cannotWrite(path, file.errorString()));
}

QString IniFile::settingsPath()
{
    return QDir::currentPath() + QStringLiteral("/ryn.ini");
}

namespace {
const QString kOwnFile = QStringLiteral("/ryn/ryn.ini");
}

QString IniFile::userSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + kOwnFile;
}

QStringList IniFile::settingsSearchPath()
{
    QStringList files{settingsPath(), userSettingsPath()};
    // The first configuration folder is the user's own; the others are the machine's.
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (qsizetype i = 1; i < folders.size(); ++i)
        files << folders[i] + kOwnFile;
    const QString etc = qEnvironmentVariable("RYN_SYSCONFDIR", QStringLiteral("/etc"));
    files << etc + kOwnFile;
    return files;
}

IniFile::Setting IniFile::findSetting(const QString& section, const QString& key)
{
    for (const QString& file : settingsSearchPath()) {
        // A value no file can hold: tells "missing" from "empty".
        const QString missing(1, QChar(0));
        const QString value = readString(file, section, key, missing);
        if (value != missing)
            return {value, file};
    }
    return {};
}

void IniFile::writeSetting(const QString& section, const QString& key, const QString& value)
{
    QString path = settingsPath();
    if (!QFileInfo::exists(path)) {
        path = userSettingsPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
    }
    writeString(path, section, key, value);
}
