#pragma once
// The courses window: the lesson videos of each class, with their price in points, public flag and
// video status. A course's video is sent to the video server from here, and deleting a course
// deletes its video there, both in one step as far as the rest of the service can see. Transfers
// and deletions with the server run on the window's job (ftpUpload) while the program stays in use;
// meanwhile the window keeps its row.

#include "forms/recordwindow.h"
#include "media/coursevideos.h"
#include "media/transferjob.h"
#include "net/ftpclient.h"
#include "ui/transferwindow.h"
#include "session/session.h"

#include <functional>
#include <memory>

class Connection;
class DBCheckBox;
class DBEdit;
class DBGrid;
class FtpUpload;
class QLabel;

class CourseWindow : public RecordWindow, public TransferWindow
{
    Q_OBJECT

public:
    /// The window of session's user on conn.
    CourseWindow(Connection* conn, const Session& session, QWidget* parent = nullptr);
    ~CourseWindow() override;

    SnapshotTable* tblClassroom;
    DataSource* dsClassroom;
    SnapshotTable* tblCourse;
    DataSource* dsCourse;
    QPushButton* btnDelAll;
    QWidget* pnlTop;
    DBGrid* grdClassroom;
    QLabel* lblCrpkey;
    DBEdit* txtBpkey;
    QLabel* lblClassName;
    DBEdit* txtClassName;
    QLabel* lblCourseName;
    DBEdit* txtCourseName;
    QLabel* lblVideoName;
    DBEdit* txtVideoName;
    QPushButton* btnUpload;
    QPushButton* btnFile;
    QLabel* formatsNote;
    QLabel* lblVideoLen;
    DBEdit* txtVideoLen;
    QLabel* lblPoint;
    DBEdit* txtPoint;
    DBCheckBox* chkOpen;
    QLabel* lblStatus;
    DBEdit* txtStatus;
    DBGrid* grdCourse;
    /// The window's transfer job; every transfer assigns the video server's settings before it
    /// connects.
    FtpUpload* ftpUpload;

    void btnUploadClick();
    /// Deletes the current course and its video together (see CourseVideos::deleteCourse), on the
    /// window's job with a database connection of its own.
    void btnDeleteClick() override;
    /// Deletes the courses of the selected class one by one on the same terms, after a confirmation,
    /// and lists those it could not delete.
    void btnDelAllClick();
    /// The transfer events of ftpUpload's store, delivered on the window's thread.
    void ftpUploadWorkBegin(qint64 total);
    void ftpUploadWork(qint64 done);
    /// The end of a transfer that the server confirmed whole: the final status, saved, and the notice.
    void ftpUploadWorkEnd();

    QString runningTransfer() const override;
    void stopTransfer(std::function<void()> whenStopped) override;

protected:
    void loadData() override;
    void dsStateChange() override;
    void tblBeforePost() override;
    void tblAfterOpen() override;
    /// While a transfer runs, asks whether to stop it; on Yes the window closes once it has ended.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFields(QWidget* panel);
    void tblClassroomAfterOpen();
    void tblClassroomBeforePost();
    void tblCourseAfterInsert();
    void tblCourseAfterPost();
    /// Shows why name cannot be the current course's video, puts the focus in the video-name box and
    /// aborts; does nothing when it can.
    void refuseVideoName(const QString& name);
    /// The status "uploading" saved, with the before-save checks; on a refusal the row keeps its status.
    void saveUploading();
    /// Re-reads the courses from the server, keeping the same course current.
    void refreshCourses();
    /// Starts the job that connects, changes to the video folder and stores path as name.
    void sendVideo(const QString& path, const QString& name);
    /// Starts the job that deletes courses (key and course name) one by one.
    void deleteCourses(const QList<QPair<QVariant, QString>>& courses, bool all);
    QVariant courseKey() const;
    /// The row's input and movement off while a job runs; the state rule decides again once it has ended.
    void lockForTransfer();
    /// The job's end, on the window's thread.
    void transferEnded(TransferJob::End end);
    void uploadEnded(TransferJob::End end);
    /// After an upload that did not finish: the row's video as it was before, the window in editing
    /// with the new name typed; the message, if any, then.
    void restoreRow(const QString& message);

    enum class Job { None, Upload, Delete, DeleteAll };
    Job m_job = Job::None;
    bool m_wasEditing = false;
    /// The video name when the current edit began, to know whether the save changes it.
    QString m_videoNameBefore;
    /// The row's video when the current edit began, put back when an upload does not finish.
    VideoBefore m_before;
    /// What the running job works on: the course's key and the file's name on the server.
    QVariant m_jobKey;
    QString m_jobName;
    /// The courses a "delete all" kept, with the reason; written by the job's thread until its end.
    std::shared_ptr<QStringList> m_kept;
    qint64 m_transferTotal = 0;
    int m_progressShift = 0;
    QList<std::function<void()>> m_whenStopped;
    const Session m_session;
};
