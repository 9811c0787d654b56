#pragma once
// The rules a course video's file name goes through before it is sent: which extensions pass, and
// how the name on the server is made from the local file's name.

#include <QString>

namespace VideoFile {
/// The formats the upload accepts; an extension passes when it occurs in this text as typed.
QString formatList();
/// The text after the last "." of fileName, as typed; empty when there is no dot.
QString extension(const QString& fileName);
/// True when extension is not empty and occurs, case-sensitively, in formatList().
bool supported(const QString& extension);
/// fileName without every "." + extension, lower-cased (A to Z only), without spaces and ideographic spaces.
QString cleanBaseName(const QString& fileName, const QString& extension);
/// The first character of baseName that is not an ASCII letter or digit, or -1 when there is none.
int firstRefusedCharacter(const QString& baseName);
} // namespace VideoFile
