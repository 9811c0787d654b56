#pragma once
// One string value by section and key in an initialisation file, in the manner of the Windows
// profile calls: section and key names match without regard to letter case, values are trimmed,
// and a write keeps every other line of the file (creating the file when it is missing).

#include <QString>

namespace IniFile {
/// The program's settings file: ryn.ini in the process's current working directory.
QString settingsPath();
/// The value, or defaultValue when the file, the section or the key is missing.
QString readString(const QString& path, const QString& section, const QString& key, const QString& defaultValue);
/// Writes key=value into the section; throws AppError when the file cannot be written.
void writeString(const QString& path, const QString& section, const QString& key, const QString& value);
} // namespace IniFile
