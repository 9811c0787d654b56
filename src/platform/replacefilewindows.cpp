// The Windows half of ReplaceFile: the same rule with Windows' calls. A file there has no
// permission bits to take over; the read-only attribute is what marks a file the user may not
// write, and MoveFileEx replaces the target in one step (a plain rename refuses an existing one).
#ifdef _WIN32
// windows.h first: it names its own ReplaceFile (a macro for ReplaceFileW), which is taken back.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef ReplaceFile

#include "replacefile.h"

#include "errors.h"
#include "platform/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <io.h>

namespace {
QString lastSystemError()
{
    return qt_error_string(int(::GetLastError()));
}

std::wstring wide(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}
} // namespace

ReplaceFile::ReplaceFile(const QString& path, Links links)
    : m_shown(QDir::toNativeSeparators(path))
    , m_target(QFileInfo(path).absoluteFilePath())
{
    QFileInfo info(m_target);
    if (info.isSymLink()) {
        if (links == Links::Follow) {
            const QString resolved = info.canonicalFilePath();
            m_target = resolved.isEmpty() ? QFileInfo(info.symLinkTarget()).absoluteFilePath() : resolved;
            info = QFileInfo(m_target);
        } else {
            info = QFileInfo(); // the link goes; nothing of what it names is taken over
        }
    }
    const DWORD attributes =
        info.filePath().isEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide(m_target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            throw AppError(Msg::targetNotPlainFile(m_shown));
        if (attributes & FILE_ATTRIBUTE_READONLY)
            throw AppError(Msg::targetReadOnly(m_shown));
    } else if (!info.filePath().isEmpty()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            throw AppError(Msg::cannotCreate(m_shown, qt_error_string(int(error))));
    }

    // Beside the target, so that the move stays on one volume.
    const QFileInfo target(m_target);
    const QString stem = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.');
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempPath = stem + QString::number(QRandomGenerator::global()->generate(), 36);
        m_file.setFileName(m_tempPath);
        // Unbuffered: every write reaches writeData, which keeps the system's reason for a failure.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return;
        if (QFileInfo::exists(m_tempPath))
            continue;
        break;
    }
    throw AppError(Msg::cannotCreate(m_shown, m_file.errorString()));
}

void ReplaceFile::syncTemp()
{
    if (::_commit(m_file.handle()) != 0)
        throw AppError(Msg::cannotWrite(m_shown, qt_error_string(errno)));
}

void ReplaceFile::moveOverTarget()
{
    m_file.close();
    if (!::MoveFileExW(wide(m_tempPath).c_str(), wide(m_target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw AppError(Msg::cannotReplace(m_shown, lastSystemError()));
}

void ReplaceFile::removeTemp()
{
    ::DeleteFileW(wide(m_tempPath).c_str());
}
#endif
