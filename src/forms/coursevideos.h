#pragma once
// What keeps a course row and its video on the server together: which names a course may give its
// video, and deleting a course with the file it names at that moment.

#include <QString>
#include <QVariant>

class Connection;
class FtpUpload;

namespace CourseVideos {
/// The company window's file in the same server folder, which no course may name.
QString logoName();

/// Why name cannot be the video of course key (null for a row not yet saved), or empty when it can:
/// a "/", "\" or control character or a leading "."; the logo's name; or the name of another course's
/// video (as the database compares names, letter case ignored; asked of the database, which also
/// holds what other workstations saved). The text names that course and its class.
QString refusal(Connection* connection, const QString& name, const QVariant& key);

/// Deletes course key and the video file it names now, both or neither: in one transaction the row
/// is read again under a row lock, deleted, its file deleted on the server (a file already missing
/// counts as deleted), then committed; any other refusal undoes the row delete. A file that another
/// course also names, or the logo's, stays on the server. False when the row was already gone.
/// Throws AppError in Traditional Chinese with the technical detail after it.
bool deleteCourse(Connection* connection, FtpUpload* ftp, const QVariant& key);
} // namespace CourseVideos
