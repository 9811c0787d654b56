#include "replacefile.h"

#include "errors.h"
#include "platform/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

// The system calls differ: this file holds what every system shares and the POSIX half;
// replacefilewindows.cpp holds the Windows half.
#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

qint64 ReplaceFile::WriteFile::writeData(const char* data, qint64 length)
{
    // A short write (a disk filling up) carries no reason; the next attempt fails with it.
    qint64 done = 0;
    while (done < length) {
        const qint64 n = QFile::writeData(data + done, length - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == length)
        return done;
    if (firstError.isEmpty())
        firstError = errorString();
    return -1;
}

ReplaceFile::~ReplaceFile()
{
    discard();
}

void ReplaceFile::checkWrite(qint64 written, qint64 expected)
{
    if (written != expected)
        throw AppError(
            Msg::cannotWrite(m_shown, m_file.firstError.isEmpty() ? m_file.errorString() : m_file.firstError));
}

void ReplaceFile::checkWrites()
{
    if (!m_file.firstError.isEmpty())
        throw AppError(Msg::cannotWrite(m_shown, m_file.firstError));
}

void ReplaceFile::commit(const std::function<void(const QString&)>& verify)
{
    try {
        // QFile forgets a failed flush's reason when it closes, so the flush comes first, alone.
        if (!m_file.flush())
            throw AppError(Msg::cannotWrite(m_shown, m_file.errorString()));
        checkWrites();
        // A full disk may only show when the data reach it.
        syncTemp();
        if (verify)
            verify(m_tempPath);
        moveOverTarget();
        m_done = true;
    } catch (...) {
        discard();
        throw;
    }
}

void ReplaceFile::discard()
{
    if (m_done)
        return;
    m_done = true;
    m_file.close();
    removeTemp();
}

#ifndef _WIN32
namespace {
QString systemError(int error)
{
    return qt_error_string(error);
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}
} // namespace

ReplaceFile::ReplaceFile(const QString& path, Links links)
    : m_shown(QDir::toNativeSeparators(path))
    , m_target(QFileInfo(path).absoluteFilePath())
{
    struct stat st;
    bool exists = ::lstat(native(m_target).constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw AppError(Msg::cannotCreate(m_shown, systemError(errno)));
    if (exists && S_ISLNK(st.st_mode)) {
        if (links == Links::Follow) {
            // The file the link names, however many links lead there; a dangling link's target is
            // where the new file goes.
            const QFileInfo info(m_target);
            const QString resolved = info.canonicalFilePath();
            m_target = resolved.isEmpty() ? QFileInfo(info.symLinkTarget()).absoluteFilePath() : resolved;
            exists = ::stat(native(m_target).constData(), &st) == 0;
        } else {
            exists = false; // the link goes; nothing of what it names is taken over
        }
    }
    if (exists) {
        if (!S_ISREG(st.st_mode))
            throw AppError(Msg::targetNotPlainFile(m_shown));
        // access() lets root write anything; a file with no write bit at all was marked read-only
        // on purpose, so root is refused too.
        if ((st.st_mode & 0222) == 0 || ::access(native(m_target).constData(), W_OK) != 0)
            throw AppError(Msg::targetReadOnly(m_shown));
        m_mode = int(st.st_mode & 07777);
    }

    // Beside the target, hidden, so that the rename stays on one file system. Made with 0666 and
    // the umask applied, as the file itself would be.
    const QFileInfo target(m_target);
    const QString stem = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.');
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        m_tempPath = stem + QString::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(native(m_tempPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw AppError(Msg::cannotCreate(m_shown, systemError(errno)));
    // Unbuffered: every write reaches writeData, which keeps the system's reason for a failure.
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(native(m_tempPath).constData());
        throw AppError(Msg::cannotCreate(m_shown, m_file.errorString()));
    }
}

void ReplaceFile::syncTemp()
{
    if (::fsync(m_file.handle()) != 0)
        throw AppError(Msg::cannotWrite(m_shown, systemError(errno)));
}

void ReplaceFile::moveOverTarget()
{
    if (m_mode >= 0 && ::fchmod(m_file.handle(), mode_t(m_mode)) != 0)
        throw AppError(Msg::cannotWrite(m_shown, systemError(errno)));
    m_file.close();
    if (::rename(native(m_tempPath).constData(), native(m_target).constData()) != 0)
        throw AppError(Msg::cannotReplace(m_shown, systemError(errno)));
    // The rename itself lasts once the folder is synced; the file is in place either way.
    const int dir = ::open(native(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void ReplaceFile::removeTemp()
{
    ::unlink(native(m_tempPath).constData());
}
#endif
