#pragma once
// One string value by section and key in an initialisation file, in the manner of the Windows
// profile calls: section and key names match without regard to letter case, values are trimmed,
// and a write keeps every other line of the file (creating the file when it is missing).
//
// The program's settings (ryn.ini) are searched key by key through a chain of files: ryn.ini in the
// working directory, then the per-user file, then the system-wide ones. A key is taken from the
// first file that holds it, so a file that holds only the language does not hide the server
// address that the administrator set for the whole machine.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace IniFile {
/// The value, or defaultValue when the file, the section or the key is missing.
QString readString(const QString& path, const QString& section, const QString& key, const QString& defaultValue);
/// Writes key=value into the section; throws AppError when the file cannot be written. Only the
/// line of the key changes (or one line is added): every other byte stays as it was, whatever its
/// encoding. The file is replaced whole (ReplaceFile); a link is followed to the file it names.
void writeString(const QString& path, const QString& section, const QString& key, const QString& value);
/// Writes several keys of one section by one rewrite of the file.
void writeStrings(const QString& path, const QString& section, const QList<QPair<QString, QString>>& values);

/// ryn.ini in the process's current working directory, first in the search order.
QString settingsPath();
/// The per-user file: ryn/ryn.ini under $XDG_CONFIG_HOME (~/.config by default); on Windows
/// ryn\ryn.ini under %APPDATA%.
QString userSettingsPath();
/// Every settings file in search order, whether it exists or not: the working directory's, the
/// per-user one, ryn/ryn.ini under each folder of $XDG_CONFIG_DIRS (/etc/xdg by default), and
/// /etc/ryn/ryn.ini ($RYN_SYSCONFDIR stands in for /etc when set). On Windows: the working
/// directory's, %APPDATA%\ryn\ryn.ini, %PROGRAMDATA%\ryn\ryn.ini.
QStringList settingsSearchPath();

/// A value of the settings and the file it came from (empty when no file holds the key).
struct Setting {
    QString value;
    QString file;
    int line = 0;
    /// The first value that was passed over as not acceptable: its file, line and "key=value".
    QString ignoredFile;
    int ignoredLine = 0;
    QString ignoredEntry;
};
/// The section's key from the first file of settingsSearchPath() that holds it with a value that
/// acceptable (when given) takes: an empty or mistyped value in one file does not hide a good one
/// further down. A file that is not a plain file of at most 1 MB is skipped with a warning on
/// standard error, once per file.
Setting findSetting(const QString& section, const QString& key,
                    const std::function<bool(const QString&)>& acceptable = {});
/// Writes a choice made in the program: into the working directory's ryn.ini when that exists,
/// otherwise into the per-user file (made with its folder). A system-wide file is never written,
/// since the choice is one user's. Throws AppError when the file cannot be written.
void writeSetting(const QString& section, const QString& key, const QString& value);
} // namespace IniFile
