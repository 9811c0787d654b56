#pragma once
// Files on the video server as the rest of the service must see them: a file appears whole under its
// name or not at all, and a file counts as deleted only once the server no longer holds it. Every
// function works on a client of its own thread's making; none lets other events run.

#include <QString>

class FtpClient;
class QIODevice;

namespace RemoteFile {
/// Assigns the video server's settings to ftp, connects and logs in, switches passive mode on and
/// changes to the video folder. Throws FtpError when the server cannot be reached or refuses the
/// login or the folder.
void openVideoFolder(FtpClient& ftp);

/// A name in the same folder that neither a course nor the viewing side takes for a video or the
/// logo: finalName, ".part-" and random hexadecimal digits.
QString temporaryName(const QString& finalName);

/// Sends source (open for reading) into ftp's current folder as finalName without ever leaving a
/// partial file under that name: it is stored under temporaryName() and renamed over finalName only
/// once whole (the server confirmed the store, every byte was sent, and the server's SIZE, where it
/// offers SIZE, matches). Otherwise the temporary file is deleted where the server still lets us
/// (connecting again when the failure closed the connection), the file of finalName stays as it was,
/// and an AppError in Traditional Chinese with the technical detail after it is thrown. The
/// connection is closed afterwards on a failure.
void storeWhole(FtpClient& ftp, QIODevice& source, const QString& finalName);

/// Deletes name in the video folder (ftp connected there). A server answers 550 both for a file it
/// does not hold and for a deletion it refuses, so after a 550 the folder is listed again: a file no
/// longer listed counts as deleted (returns false: it was not there); one still listed, or a folder
/// that cannot be listed, rethrows the server's refusal. True when the server deleted the file.
bool removeConfirmed(FtpClient& ftp, const QString& name);
} // namespace RemoteFile
