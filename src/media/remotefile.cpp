#include "remotefile.h"
#include "platform/messages.h"

#include "net/ftpclient.h"
#include "net/ftpsettings.h"

#include <QIODevice>
#include <QRandomGenerator>

namespace {
void removeLeftover(FtpClient& ftp, const QString& temporary)
{
    // A failure closes the connection; a server that is gone, or a stop asked for, keeps the
    // leftover, which no course names. A stop asked for still removes it: the flag is lifted by
    // nobody, so the removal runs on a client of its own without the flag.
    try {
        FtpClient cleaner;
        RemoteFile::openVideoFolder(cleaner);
        cleaner.remove(temporary);
        cleaner.disconnectFromHost();
    } catch (const AppError&) {
    }
    ftp.disconnectFromHost();
}
} // namespace

void RemoteFile::openVideoFolder(FtpClient& ftp)
{
    ftp.setSettings(FtpSettings::videoServer());
    ftp.connectToHost();
    ftp.setPassive(true);
    ftp.changeDirectory(ftp.settings().directory);
}

QString RemoteFile::temporaryName(const QString& finalName)
{
    // In the same folder, so that the rename is one step on the server. The ending is no video or
    // picture extension, and "-" is refused in every name a course can take.
    return finalName + QStringLiteral(".part-") + QString::number(QRandomGenerator::global()->generate64(), 16);
}

void RemoteFile::storeWhole(FtpClient& ftp, QIODevice& source, const QString& finalName)
{
    const qint64 size = source.size() - source.pos();
    const QString temporary = temporaryName(finalName);
    try {
        ftp.store(source, temporary);
        const qint64 onServer = ftp.size(temporary);
        if (onServer >= 0 && onServer != size)
            throw FtpError(Msg::ftpFailed(QStringLiteral("SIZE ") + temporary, Msg::ftpPartOnServer(onServer, size)));
        ftp.rename(temporary, finalName);
    } catch (const AppError& e) {
        removeLeftover(ftp, temporary);
        throw AppError(Msg::ftpNotWhole(e.message()));
    } catch (...) {
        removeLeftover(ftp, temporary);
        throw;
    }
}

bool RemoteFile::removeConfirmed(FtpClient& ftp, const QString& name)
{
    try {
        ftp.remove(name);
        return true;
    } catch (const FtpError& refusal) {
        if (refusal.replyCode() != 550)
            throw;
        // The refusal closed the connection: the folder is read on a new one.
        QStringList names;
        try {
            openVideoFolder(ftp);
            names = ftp.list(QString(), false);
        } catch (const AppError&) {
            throw refusal;
        }
        for (QString listed : names) {
            // Some servers list names with the folder in front.
            listed = listed.section(QLatin1Char('/'), -1);
            if (listed == name)
                throw refusal;
        }
        return false;
    }
}
