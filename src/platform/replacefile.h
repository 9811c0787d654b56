#pragma once
// A file written whole or not at all: the bytes go to a temporary file in the target's folder,
// which is flushed, synced, checked and then renamed over the target in one step. Every writer of
// a file the user names (CSV, XLSX, PDF) and the settings writer go through it, so that they all
// follow one rule:
//   - the new file takes the mode of the file it replaces, or the umask's when there was none;
//   - an existing target the user may not write (or one marked read-only) is refused, and so is
//     one that is not a plain file (a folder, a device, a FIFO);
//   - a symbolic link at the target's name is replaced by the new file, never written through
//     (unless the caller asks to follow it, as the settings writer does for the user's ryn.ini).
// Until commit() the target is untouched; a ReplaceFile destroyed without commit() removes its
// temporary file.

#include <QFile>
#include <QString>
#include <functional>

class ReplaceFile
{
public:
    enum class Links { Replace, Follow };

    /// Checks the target and makes the temporary file; throws AppError naming path when refused.
    explicit ReplaceFile(const QString& path, Links links = Links::Replace);
    ~ReplaceFile();
    ReplaceFile(const ReplaceFile&) = delete;
    ReplaceFile& operator=(const ReplaceFile&) = delete;

    /// The temporary file, open for writing.
    QFile& file() { return m_file; }
    /// Its name, for a library that writes the file by name itself.
    QString tempPath() const { return m_tempPath; }
    /// The file that will be replaced (the link's target when links are followed).
    QString targetPath() const { return m_target; }

    /// Throws AppError when the last write through file() failed, with the system's reason.
    void checkWrite(qint64 written, qint64 expected);
    /// Throws AppError when any write through file() failed so far: a writer whose own error
    /// (a page that cannot begin) comes from a failed write reports the write's reason instead.
    void checkWrites();
    /// Flushes and syncs the temporary file, runs verify on it (which throws to refuse it), gives
    /// it the mode and renames it over the target. Throws AppError naming the target on failure,
    /// after which the temporary file is gone and the target as it was.
    void commit(const std::function<void(const QString& tempPath)>& verify = {});
    /// Removes the temporary file now; the target stays as it was.
    void discard();

private:
    // Each system's calls (replacefile.cpp for POSIX, replacefilewindows.cpp for Windows).
    void syncTemp();       ///< the temporary file's data to the disk; throws on failure
    void moveOverTarget(); ///< closes it, gives it the kept mode and renames it over the target
    void removeTemp();

    // Keeps the first failed write's reason: a writer that does not look at what write() returns
    // (QPdfWriter) must not end in a file called whole.
    class WriteFile : public QFile
    {
    public:
        QString firstError;

    protected:
        qint64 writeData(const char* data, qint64 length) override;
    };

    QString m_shown;  // the path as the user gave it, for messages
    QString m_target; // the path renamed over
    QString m_tempPath;
    WriteFile m_file;
    int m_mode = -1; // the replaced file's permission bits, or -1 for the umask's
    bool m_done = false;
};
