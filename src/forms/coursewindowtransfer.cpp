// The course window's video transfer: the upload started, its progress, its end, and a close
// while it runs.
#include "coursewindow.h"
#include "platform/messages.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/connection.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/ftpupload.h"
#include "forms/windowtables.h"
#include "media/remotefile.h"
#include "media/videofile.h"
#include "platform/errors.h"
#include "ui/childframe.h"
#include "ui/guard.h"
#include "ui/messagebox.h"
#include <QCloseEvent>
#include <QPointer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

namespace {
const QString kUploading = CourseVideos::uploadingStatus();
const QString kWindowName = QStringLiteral("課程管理");
const QString kUploaded = QStringLiteral("uploaded");
const QString kConverted = QStringLiteral("converted");
} // namespace

void CourseWindow::btnUploadClick()
{
    const QString path = promptFileOpen(this, QString(), QString());
    if (path.isEmpty())
        return;
    const QString fileName = QFileInfo(path).fileName();
    const QString extension = VideoFile::extension(fileName);
    if (!VideoFile::supported(extension)) {
        showNotice(QStringLiteral("影片格式不支援"));
        return;
    }
    if (ftpUpload->running())
        return;
    // The file is read by the job; a file that cannot be opened is told before anything changes.
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(Msg::cannotOpen(path, file.errorString()));
    }
    const QString baseName = VideoFile::cleanBaseName(fileName, extension);
    setWindowTitle(QStringLiteral("filename: ") + baseName);
    if (VideoFile::firstRefusedCharacter(baseName) >= 0)
        throw AppError(Msg::videoNameLetters());
    // Nothing is sent, and the row keeps its name, while another course or the logo holds the name.
    const QString name = baseName + QLatin1Char('.') + extension;
    refuseVideoName(name);
    // The field refuses a name longer than it holds, before any connection is made.
    tblCourse->field(QStringLiteral("videoname"))->setAsString(name);
    // The row says "uploading" before the server is touched; a refused save sends nothing.
    saveUploading();
    sendVideo(path, name);
}

void CourseWindow::saveUploading()
{
    Field* status = tblCourse->field(QStringLiteral("status"));
    tblCourse->edit();
    const QVariant before = status->value();
    status->setAsString(kUploading);
    try {
        tblCourse->post().requireReadBack();
    } catch (...) {
        if (tblCourse->editing())
            status->setValue(before);
        throw;
    }
}

void CourseWindow::sendVideo(const QString& path, const QString& name)
{
    // From here on, the row written at the end must be the row whose file is sent: the window keeps
    // its row until the job has ended, whatever its outcome.
    m_job = Job::Upload;
    m_jobKey = tblCourse->field(QStringLiteral("cpkey"))->value();
    m_jobName = name;
    m_transferTotal = 0;
    ftpUpload->run([path, name](FtpClient& ftp) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(Msg::cannotOpen(path, file.errorString()));
        RemoteFile::openVideoFolder(ftp);
        // The viewing side sees the new video whole or not at all; a broken transfer keeps the old one.
        RemoteFile::storeWhole(ftp, file, name);
    });
    lockForTransfer();
}

void CourseWindow::transferEnded(TransferJob::End end)
{
    const Job job = std::exchange(m_job, Job::None);
    guarded([&] {
        if (job == Job::Upload) {
            uploadEnded(end);
        } else {
            // The rows as the server has them now, whatever the job left.
            refreshCourses();
            if (end == TransferJob::End::Failed)
                showErrorBox(ftpUpload->message());
            else if (job == Job::DeleteAll && m_kept && !m_kept->isEmpty())
                showMessageBox(this,
                               QStringLiteral("下列 %1 筆課程沒有刪除：\n").arg(m_kept->size())
                                   + m_kept->join(QLatin1Char('\n')),
                               QStringLiteral("全部刪除"), Win::MB_ICONHAND);
        }
    });
    progressBar->setValue(0);
    guarded([this] { dsStateChange(); });
    for (const std::function<void()>& then : std::exchange(m_whenStopped, {}))
        then();
}

void CourseWindow::uploadEnded(TransferJob::End end)
{
    switch (end) {
    case TransferJob::End::Done:
        ftpUploadWorkEnd();
        return;
    case TransferJob::End::Failed:
        restoreRow(ftpUpload->message());
        return;
    case TransferJob::End::Stopped:
        restoreRow(QString());
        return;
    }
}

void CourseWindow::restoreRow(const QString& message)
{
    const bool restored = CourseVideos::restoreAfterUpload(tblCourse->connection(), m_jobKey, m_jobName, m_before);
    refreshCourses();
    if (tblCourse->locate(QStringLiteral("cpkey"), m_jobKey)) {
        // As before the save of "uploading": the row in editing, the new name typed.
        tblCourse->edit();
        tblCourse->field(QStringLiteral("videoname"))->setAsString(m_jobName);
    }
    const QString told = restored ? message
                                  : (message.isEmpty() ? Msg::uploadNotRestored()
                                                       : message + QLatin1Char('\n') + Msg::uploadNotRestored());
    if (told == QStringLiteral("斷線, 失敗"))
        showNotice(told);
    else if (!told.isEmpty())
        showErrorBox(told);
}

QString CourseWindow::runningTransfer() const
{
    if (!ftpUpload->running())
        return QString();
    const QString what = m_job == Job::Upload ? Msg::videoOfCourse(m_jobName) : Msg::courseDeletion(m_jobName);
    return Msg::transferStillRunning(what, kWindowName);
}

void CourseWindow::stopTransfer(std::function<void()> whenStopped)
{
    if (!ftpUpload->running()) {
        whenStopped();
        return;
    }
    m_whenStopped << std::move(whenStopped);
    ftpUpload->stop();
}

void CourseWindow::closeEvent(QCloseEvent* event)
{
    if (!ftpUpload->running()) {
        RecordWindow::closeEvent(event);
        return;
    }
    event->ignore();
    if (ftpUpload->stopRequested())
        return;
    if (!askToStopTransfers(this, {this}))
        return;
    const QPointer<CourseWindow> self(this);
    stopTransfer([self] {
        if (self)
            childFrame(self)->close();
    });
}

void CourseWindow::ftpUploadWorkBegin(qint64 total)
{
    // The bar counts in int; a file of 2 GiB or more is shown in coarser steps.
    m_transferTotal = total;
    m_progressShift = 0;
    while ((total >> m_progressShift) > std::numeric_limits<int>::max())
        ++m_progressShift;
    progressBar->setMaximum(int(total >> m_progressShift));
    progressBar->setValue(0);
}

void CourseWindow::ftpUploadWork(qint64 done)
{
    if (m_transferTotal <= 0)
        return;
    // Every byte sent is not yet the file on the server: the bar and the caption reach 100 only
    // once the server has it whole under its name (ftpUploadWorkEnd).
    const qint64 shown = std::min(done, m_transferTotal - 1);
    progressBar->setValue(int(shown >> m_progressShift));
    setWindowTitle(QString::number(FtpClient::percent(shown, m_transferTotal)) + QLatin1Char('%'));
}

void CourseWindow::ftpUploadWorkEnd()
{
    if (m_transferTotal > 0) {
        progressBar->setValue(progressBar->maximum());
        setWindowTitle(QStringLiteral("100%"));
    }
    tblCourse->edit();
    QString status = kUploaded;
    if (txtVideoName->text().contains(QLatin1String(".mp4")) && !m_session.watermark)
        status = kConverted;
    tblCourse->field(QStringLiteral("status"))->setAsString(status);
    tblCourse->post().requireReadBack();
    progressBar->setValue(0);
    showNotice(QStringLiteral("上傳完畢"));
}
