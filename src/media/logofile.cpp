#include "logofile.h"
#include "platform/messages.h"

#include "media/remotefile.h"
#include "net/ftpclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>

QString LogoFile::name()
{
    return QStringLiteral("logo.png");
}

void LogoFile::checkPng(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(Msg::cannotOpen(shown, file.errorString()));
    // libpng reads from memory: the logo is small, and Qt's file name handling stays in one place.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(Msg::cannotOpen(shown, file.errorString()));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    struct Freed {
        png_image& image;
        ~Freed() { png_image_free(&image); }
    } freed{image};
    if (!png_image_begin_read_from_memory(&image, bytes.constData(), size_t(bytes.size())))
        throw AppError(Msg::notPng(shown, QString::fromLatin1(image.message)));
    image.format = PNG_FORMAT_RGBA;
    const size_t size = PNG_IMAGE_SIZE(image);
    // A picture too large to hold is no logo either; libpng's own limits keep width × height sane.
    std::unique_ptr<png_byte[]> pixels(new (std::nothrow) png_byte[size]);
    if (!pixels)
        throw AppError(Msg::notPng(shown, QStringLiteral("too large")));
    if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr))
        throw AppError(Msg::notPng(shown, QString::fromLatin1(image.message)));
}

bool LogoFile::fetch(FtpClient& ftp, const QString& localPath)
{
    // A server that lists nothing for a missing file says so with an empty listing; one that
    // refuses (550) throws, and the window tells it.
    const QStringList lines = ftp.list(name(), true);
    if (lines.isEmpty() || !lines.first().contains(name()))
        return false;
    // A name of its own beside the local copy, made with the usual permissions of a new file; gone
    // again unless renamed.
    const QString part = QFileInfo(localPath).absoluteDir().absoluteFilePath(RemoteFile::temporaryName(name()));
    struct Leftover {
        const QString& path;
        ~Leftover() { QFile::remove(path); }
    } leftover{part};
    ftp.retrieve(name(), part);
    checkPng(part);
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(localPath).constData()) != 0)
        throw AppError(
            Msg::cannotReplace(QDir::toNativeSeparators(localPath), QString::fromLocal8Bit(std::strerror(errno))));
    return true;
}
