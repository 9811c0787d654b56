#include "ftpupload.h"
#include "platform/messages.h"

#include "net/ftpsettings.h"

#include <QApplication>
#include <QIODevice>
#include <QRandomGenerator>

FtpUpload::FtpUpload(QObject* parent)
    : QObject(parent)
    , m_host(FtpSettings().host)
{
    setObjectName(QStringLiteral("ftpUpload"));
    m_client.setProgressHandler([this](FtpClient::Direction direction, qint64 done) {
        if (m_onProgress)
            m_onProgress(direction, done);
        QApplication::processEvents();
    });
}

void FtpUpload::open()
{
    const FtpSettings settings = FtpSettings::videoServer();
    m_host = settings.host;
    m_client.setSettings(settings);
    m_client.connectToHost();
    m_client.setPassive(true);
}

bool FtpUpload::openFolder()
{
    open();
    if (!connected())
        return false;
    m_client.changeDirectory(directory());
    return true;
}

QString FtpUpload::temporaryName(const QString& finalName)
{
    // In the same folder, so that the rename is one step on the server. The ending is no video or
    // picture extension, and "-" is refused in every name a course can take.
    return finalName + QStringLiteral(".part-") + QString::number(QRandomGenerator::global()->generate64(), 16);
}

void FtpUpload::storeWhole(QIODevice& source, const QString& finalName)
{
    const qint64 size = source.size() - source.pos();
    const QString temporary = temporaryName(finalName);
    try {
        m_client.store(source, temporary);
        const qint64 onServer = m_client.size(temporary);
        if (onServer >= 0 && onServer != size)
            throw FtpError(Msg::ftpFailed(QStringLiteral("SIZE ") + temporary, Msg::ftpPartOnServer(onServer, size)));
        m_client.rename(temporary, finalName);
    } catch (const AppError& e) {
        removeLeftover(temporary);
        throw AppError(Msg::ftpNotWhole(e.message()));
    } catch (...) {
        removeLeftover(temporary);
        throw;
    }
}

void FtpUpload::removeLeftover(const QString& temporary)
{
    // A failure closes the connection; a server that is gone keeps the leftover, which no course names.
    try {
        if (connected() || openFolder())
            m_client.remove(temporary);
    } catch (const AppError&) {
    }
    close();
}
