#pragma once
// The company's logo: a PNG file "logo.png" in the video folder, which the video players show as a
// watermark, and its local copy in the working folder. A file that is not a whole PNG is neither
// sent nor kept as the local copy.

#include <QString>

class FtpClient;

namespace LogoFile {
/// "logo.png", the name on the server and of the local copy.
QString name();

/// Decodes path as PNG, whatever its name says, to the last row; throws AppError in Traditional
/// Chinese (the file cannot be read, or is no PNG: text, a cut-off or empty file) with libpng's
/// reason after it.
void checkPng(const QString& path);

/// Fetches the server's logo over ftp (connected in the video folder) into localPath, which changes
/// in one step and only to a whole PNG: the file arrives beside it under a name of its own, is
/// checked and is renamed over it (a symbolic link named like it is replaced, never written
/// through). False when the server lists no logo (the local copy is left alone). Throws AppError, also
/// when the server refuses the listing (pyftpdlib answers 550 for a missing file).
bool fetch(FtpClient& ftp, const QString& localPath);
} // namespace LogoFile
