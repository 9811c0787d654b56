#include "ftpupload.h"

#include "net/ftpsettings.h"

FtpUpload::FtpUpload(QObject* parent)
    : QObject(parent)
    , m_host(FtpSettings().host)
{
    setObjectName(QStringLiteral("ftpUpload"));
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
