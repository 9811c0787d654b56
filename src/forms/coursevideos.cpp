#include "coursevideos.h"
#include "platform/messages.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/transaction.h"
#include "forms/ftpupload.h"

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

bool CourseVideos::deleteCourse(Connection* connection, FtpUpload* ftp, const QVariant& key)
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
        FtpUpload::Closer closer(ftp);
        try {
            if (!ftp->openFolder())
                throw AppError(Msg::ftpNoHost());
            try {
                ftp->client().remove(name);
            } catch (const FtpError& e) {
                // 550: no such file; what the row named is gone already.
                if (e.replyCode() != 550)
                    throw;
            }
        } catch (const AppError& e) {
            throw AppError(Msg::videoNotDeleted(name, e.message()));
        }
    }
    transaction.commit();
    return true;
}
