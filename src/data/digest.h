#pragma once

#include <QString>

/// The staff password digest: MD5 of the text's ASCII bytes (every character outside ASCII becomes
/// "?"), as 32 lower-case hexadecimal digits.
QString MD5(const QString& text);

/// True when every character of text is printable ASCII (space to "~"). Only such a password keeps
/// all its characters through the digest: any other character would be stored as "?", so that a
/// row of question marks would open the account.
bool isPrintableAscii(const QString& text);
