#include "coursevideos.h"

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
        return QStringLiteral("影片檔名「%1」不可含有「/」、「\\」或控制字元，也不可以「.」開頭。").arg(name);
    if (name.compare(logoName(), Qt::CaseInsensitive) == 0)
        return QStringLiteral("影片檔名不可為「%1」：這是公司浮水印圖檔的檔名。").arg(name);
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
    return QStringLiteral("影片檔名「%1」已經是班級「%2」的課程「%3」的影片，請換一個檔名。")
        .arg(name, query.value(1).toString(), query.value(0).toString());
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
                throw AppError(QStringLiteral("無法連線主機"));
            try {
                ftp->client().remove(name);
            } catch (const FtpError& e) {
                // 550: no such file; what the row named is gone already.
                if (e.replyCode() != 550)
                    throw;
            }
        } catch (const AppError& e) {
            throw AppError(QStringLiteral("伺服器上的影片檔「%1」無法刪除，課程沒有刪除。\n%2").arg(name, e.message()));
        }
    }
    transaction.commit();
    return true;
}
