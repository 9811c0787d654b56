#include "coursevideos.h"
#include "platform/messages.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/transaction.h"
#include "media/remotefile.h"
#include "net/ftpclient.h"
#include "net/ftpsettings.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
bool hasRefusedCharacter(const QString& name)
{
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// Names compare as the column's collation does (letter case ignored), so that a server that ignores
// case too never sees two courses on one file.
const QString kOtherCourse =
    QStringLiteral("SELECT c.coursename, r.classname FROM course c LEFT JOIN classroom r ON r.crpkey = c.crpkey "
                   "WHERE c.videoname = ?");
} // namespace

QString CourseVideos::logoName()
{
    return QStringLiteral("logo.png");
}

QString CourseVideos::refusal(Connection* connection, const QString& name, const QVariant& key)
{
    if (name.isEmpty())
        return QString();
    if (hasRefusedCharacter(name) || name.startsWith(QLatin1Char('.')))
        return Msg::videoNameRefused(name);
    if (name.compare(logoName(), Qt::CaseInsensitive) == 0)
        return Msg::videoNameIsLogo(name);
    QSqlQuery query(connection->database());
    const bool saved = key.isValid() && !key.isNull();
    query.prepare(kOtherCourse + (saved ? QStringLiteral(" AND c.cpkey <> ? LIMIT 1") : QStringLiteral(" LIMIT 1")));
    query.addBindValue(name);
    if (saved)
        query.addBindValue(key);
    if (!query.exec())
        throw connection->failure(query.lastError());
    if (!query.next())
        return QString();
    return Msg::videoNameTaken(name, query.value(1).toString(), query.value(0).toString());
}

bool CourseVideos::deleteCourse(Connection* connection, FtpClient& ftp, const QVariant& key)
{
    Transaction transaction(connection, WriteKind::Delete);
    // The file is the one the row names now, whatever was shown when the window read it.
    QSqlQuery row = transaction.exec(QStringLiteral("SELECT videoname FROM course WHERE cpkey = ? FOR UPDATE"), {key});
    if (!row.next())
        return false;
    const QString name = row.value(0).toString();
    QSqlQuery others = transaction.exec(kOtherCourse + QStringLiteral(" AND c.cpkey <> ? LIMIT 1"), {name, key});
    const bool shared = others.next();
    transaction.exec(QStringLiteral("DELETE FROM course WHERE cpkey = ?"), {key});
    // The file goes last before the commit, so that a refusal can still undo the row delete.
    if (!name.isEmpty() && !shared && name.compare(logoName(), Qt::CaseInsensitive) != 0) {
        struct Closer {
            FtpClient& ftp;
            ~Closer() { ftp.disconnectFromHost(); }
        } closer{ftp};
        try {
            ftp.setSettings(FtpSettings::videoServer());
            ftp.connectToHost();
        } catch (const AppError& e) {
            throw AppError(Msg::videoHostUnreachable(name, e.message()));
        }
        try {
            ftp.setPassive(true);
            ftp.changeDirectory(ftp.settings().directory);
            RemoteFile::removeConfirmed(ftp, name);
        } catch (const AppError& e) {
            throw AppError(Msg::videoNotDeleted(name, e.message()));
        }
    }
    transaction.commit();
    return true;
}

QString CourseVideos::uploadingStatus()
{
    return QStringLiteral("uploading");
}

bool CourseVideos::restoreAfterUpload(Connection* connection, const QVariant& key, const QString& uploadingName,
                                      const VideoBefore& before)
{
    QSqlQuery query(connection->database());
    // videolen is compared null-safe: the upload saved it as it was, null included.
    if (before.newRow) {
        query.prepare(QStringLiteral("UPDATE course SET videoname = NULL, status = DEFAULT "
                                     "WHERE cpkey = ? AND videoname = ? AND status = ? AND videolen <=> ?"));
    } else {
        query.prepare(QStringLiteral("UPDATE course SET videoname = ?, videolen = ?, status = ? "
                                     "WHERE cpkey = ? AND videoname = ? AND status = ? AND videolen <=> ?"));
        query.addBindValue(before.name);
        query.addBindValue(before.length);
        query.addBindValue(before.status);
    }
    query.addBindValue(key);
    query.addBindValue(uploadingName);
    query.addBindValue(uploadingStatus());
    query.addBindValue(before.length);
    if (!query.exec())
        throw connection->failure(query.lastError());
    return query.numRowsAffected() > 0;
}
