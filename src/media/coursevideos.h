#pragma once
// What keeps a course row and its video on the server together: which names a course may give its
// video, and deleting a course with the file it names at that moment.

#include <QString>
#include <QVariant>

class Connection;
class FtpClient;

/// What a course row said about its video before an upload saved "uploading" in it.
struct VideoBefore {
    /// The row did not exist before: the upload's save inserted it.
    bool newRow = false;
    QVariant name;
    QVariant length;
    QVariant status;
};

namespace CourseVideos {
/// The company window's file in the same server folder, which no course may name.
QString logoName();

/// Why name cannot be the video of course key (null for a row not yet saved), or empty when it can:
/// a "/", "\" or control character or a leading "."; the logo's name; or the name of another course's
/// video (as the database compares names, letter case ignored; asked of the database, which also
/// holds what other workstations saved). The text names that course and its class.
QString refusal(Connection* connection, const QString& name, const QVariant& key);

/// Deletes course key and the video file it names now, both or neither: in one transaction the row
/// is read again under a row lock, deleted, its file deleted on the server with ftp (a file that is
/// confirmed missing counts as deleted; a refusal of the server stays one), then committed; any
/// other outcome undoes the row delete. A file that another course also names, or the logo's, stays
/// on the server. False when the row was already gone. Throws AppError in Traditional Chinese with
/// the technical detail after it; one that cannot reach the server begins with "無法連線主機".
bool deleteCourse(Connection* connection, FtpClient& ftp, const QVariant& key);

/// Puts back what course key said about its video before an upload that failed, was cut or was
/// stopped: one update, guarded by the key and by the values the upload saved (uploadingName,
/// "uploading", the length before), so that a change another workstation or the viewing side made
/// meanwhile stays. A row the upload inserted gets no video and the column's default status. True
/// when the row was put back, false when it had changed meanwhile or is gone. Throws DbError.
bool restoreAfterUpload(Connection* connection, const QVariant& key, const QString& uploadingName,
                        const VideoBefore& before);

/// The status that says an upload is on its way.
QString uploadingStatus();
} // namespace CourseVideos
