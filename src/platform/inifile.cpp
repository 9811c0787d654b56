#include "inifile.h"
#include "platform/messages.h"

#include "errors.h"

#include "replacefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
constexpr qint64 kMostSettingsBytes = 1 << 20;

// A settings file's bytes, or why it was not read.
struct FileBytes {
    enum State { Read, Missing, Refused } state = Missing;
    QByteArray bytes;
    QString reason;
};

// Only a plain file of bounded size is read, and nothing here waits: a FIFO or a device put (or
// linked) where a settings file belongs must neither hang the start nor fill the memory.
#ifdef _WIN32
// Windows has no FIFO to open by a file's name; a folder or a device is refused by its kind.
FileBytes readBytes(const QString& path)
{
    FileBytes out;
    const QFileInfo info(path);
    if (!info.exists())
        return out;
    out.state = FileBytes::Refused;
    if (!info.isFile()) {
        out.reason = Msg::settingsNotPlainFile();
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.reason = file.errorString();
        return out;
    }
    out.bytes = file.read(kMostSettingsBytes + 1);
    if (out.bytes.size() > kMostSettingsBytes)
        out.reason = Msg::settingsTooLarge(kMostSettingsBytes);
    else if (file.error() != QFileDevice::NoError)
        out.reason = file.errorString();
    else
        out.state = FileBytes::Read;
    if (out.state != FileBytes::Read)
        out.bytes.clear();
    return out;
}
#else
FileBytes readBytes(const QString& path)
{
    FileBytes out;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            out.state = FileBytes::Refused;
            out.reason = qt_error_string(errno);
        }
        return out;
    }
    struct stat st;
    out.state = FileBytes::Refused;
    if (::fstat(fd, &st) != 0) {
        out.reason = qt_error_string(errno);
    } else if (!S_ISREG(st.st_mode)) {
        out.reason = Msg::settingsNotPlainFile();
    } else {
        // The size read, not the size stated: the file may grow meanwhile.
        out.bytes.resize(qsizetype(qMin<qint64>(st.st_size, kMostSettingsBytes) + 1));
        qsizetype got = 0;
        for (;;) {
            const ssize_t n = ::read(fd, out.bytes.data() + got, size_t(out.bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                out.reason = qt_error_string(errno);
                break;
            }
            got += n;
            if (n == 0 || got > kMostSettingsBytes) {
                if (got > kMostSettingsBytes)
                    out.reason = Msg::settingsTooLarge(kMostSettingsBytes);
                break;
            }
            if (got == out.bytes.size())
                out.bytes.resize(qMin<qsizetype>(out.bytes.size() * 2, kMostSettingsBytes + 1));
        }
        if (out.reason.isEmpty()) {
            out.bytes.truncate(got);
            out.state = FileBytes::Read;
        }
    }
    ::close(fd);
    if (out.state != FileBytes::Read)
        out.bytes.clear();
    return out;
}
#endif

// Says once per file on standard error why it was skipped.
void warnSkipped(const QString& path, const QString& reason)
{
    static QMutex mutex;
    static QSet<QString> told;
    const QMutexLocker lock(&mutex);
    if (!told.contains(path)) {
        told.insert(path);
        qWarning().noquote() << Msg::settingsFileSkipped(path, reason);
    }
}

QStringList readLines(const QString& path)
{
    const FileBytes file = readBytes(path);
    if (file.state == FileBytes::Refused)
        warnSkipped(path, file.reason);
    QString text = QString::fromUtf8(file.bytes);
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

// The key's value and its line number (from 1), or 0 when the file does not hold the key.
int lookUp(const QString& path, const QString& section, const QString& key, QString* value)
{
    bool inSection = false;
    const QStringList lines = readLines(path);
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSection(lines[i], &name)) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inSection && isKey(lines[i], key, value))
            return i + 1;
    }
    return 0;
}
} // namespace

QString IniFile::readString(const QString& path, const QString& section, const QString& key,
                            const QString& defaultValue)
{
    QString value;
    return lookUp(path, section, key, &value) ? value : defaultValue;
}

namespace {
// Puts key=value into the section of the file's lines (bytes, each with its own line end). Only the
// line that changes is rewritten, so a file in another encoding (Big5 or a Windows code page) keeps
// every other byte. Returns false when the line was there already with that value; *added tells
// whether lines were added rather than one replaced.
bool putEntry(QList<QByteArray>& lines, const QString& section, const QString& key, const QString& value, bool* added)
{
    const auto text = [](const QByteArray& line) {
        return QString::fromUtf8(line.endsWith('\r') ? line.chopped(1) : line);
    };
    const QByteArray entry = (key + QLatin1Char('=') + value).toUtf8();
    int sectionEnd = -1; // index after the last line of the wanted section
    int found = -1;
    bool inSection = false;
    for (int i = 0; i < lines.size() && found < 0; ++i) {
        const QString line = text(lines[i]);
        QString name;
        QString old;
        if (isSection(line, &name)) {
            if (inSection)
                break;
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                sectionEnd = i + 1;
        } else if (inSection) {
            if (isKey(line, key, &old))
                found = i;
            else if (!line.trimmed().isEmpty())
                sectionEnd = i + 1;
        }
    }
    if (found >= 0) {
        // The key as it was spelt, up to and with its "=" and the blanks after it; the line's own end.
        QByteArray& line = lines[found];
        const bool cr = line.endsWith('\r');
        qsizetype keep = line.indexOf('=') + 1;
        while (keep < line.size() && (line[keep] == ' ' || line[keep] == '\t'))
            ++keep;
        QByteArray changed = line.left(keep) + value.toUtf8();
        if (cr)
            changed += '\r';
        if (changed == line)
            return false;
        line = changed;
        return true;
    }
    *added = true;
    if (sectionEnd < 0)
        lines << ('[' + section.toUtf8() + ']') << entry;
    else
        lines.insert(sectionEnd, entry);
    return true;
}
} // namespace

void IniFile::writeString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    writeStrings(path, section, {{key, value}});
}

void IniFile::writeStrings(const QString& path, const QString& section, const QList<QPair<QString, QString>>& values)
{
    const FileBytes file = readBytes(path);
    if (file.state == FileBytes::Refused)
        throw AppError(Msg::cannotWrite(QDir::toNativeSeparators(path), file.reason));
    QList<QByteArray> lines = file.bytes.split('\n');
    const bool endsWithBreak = file.bytes.endsWith('\n');
    if (endsWithBreak || file.bytes.isEmpty())
        lines.removeLast();
    const QByteArray eol = file.bytes.isEmpty() || file.bytes.contains("\r\n") ? "\r\n" : "\n";
    bool changed = false;
    bool added = false;
    for (const auto& [key, value] : values)
        changed = putEntry(lines, section, key, value, &added) || changed;
    if (!changed)
        return;
    QByteArray out;
    for (const QByteArray& line : lines) {
        out += line;
        out += line.endsWith('\r') ? QByteArray("\n") : eol;
    }
    // A last line that had no line end keeps having none, unless lines were added after it.
    if (!endsWithBreak && !file.bytes.isEmpty() && !added)
        out.chop(lines.last().endsWith('\r') ? 1 : eol.size());
    ReplaceFile target(path, ReplaceFile::Links::Follow);
    target.checkWrite(target.file().write(out), out.size());
    target.commit();
}

QString IniFile::settingsPath()
{
    return QDir::currentPath() + QStringLiteral("/ryn.ini");
}

namespace {
const QString kOwnFile = QStringLiteral("/ryn/ryn.ini");
}

#ifdef _WIN32
// The user's roaming application data, then the machine's (%APPDATA% and %PROGRAMDATA%), where a
// Windows program keeps its settings.
QString IniFile::userSettingsPath()
{
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + kOwnFile;
}

QStringList IniFile::settingsSearchPath()
{
    QStringList files{settingsPath(), userSettingsPath()};
    const QString machine = QDir::fromNativeSeparators(qEnvironmentVariable("PROGRAMDATA"));
    if (!machine.isEmpty())
        files << machine + kOwnFile;
    return files;
}
#else
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
#endif

IniFile::Setting IniFile::findSetting(const QString& section, const QString& key,
                                      const std::function<bool(const QString&)>& acceptable)
{
    Setting found;
    for (const QString& file : settingsSearchPath()) {
        QString value;
        const int line = lookUp(file, section, key, &value);
        if (!line)
            continue;
        if (!acceptable || acceptable(value)) {
            found.value = value;
            found.file = file;
            found.line = line;
            return found;
        }
        if (found.ignoredFile.isEmpty()) {
            found.ignoredFile = file;
            found.ignoredLine = line;
            found.ignoredEntry = key + QLatin1Char('=') + value;
        }
    }
    return found;
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
