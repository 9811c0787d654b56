#include "ftpupload.h"

#include "net/ftpsettings.h"

FtpUpload::FtpUpload(QObject* parent)
    : TransferJob(parent)
    , m_host(FtpSettings().host)
{
    setObjectName(QStringLiteral("ftpUpload"));
}
