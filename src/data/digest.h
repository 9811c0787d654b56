#pragma once

#include <QString>

/// The staff password digest: MD5 of the text's ASCII bytes (every character outside ASCII becomes
/// "?"), as 32 lower-case hexadecimal digits.
QString MD5(const QString& text);
