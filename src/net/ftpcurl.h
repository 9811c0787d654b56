#pragma once
// Shared by the two halves of the FTP client (its operations and its curl requests).

#include <QString>
#include <curl/curl.h>

namespace FtpCurl {
/// The client's curl handle, which the public header holds as void* to keep curl out of it.
inline CURL* handle(void* curl)
{
    return static_cast<CURL*>(curl);
}

/// True when text holds a character below space or DEL: such a name would split an FTP command.
bool hasControlCharacter(const QString& text);
} // namespace FtpCurl
