#pragma once
// The courses window: the lesson videos of each class, with their price in points, public flag and
// video status. A course's video is sent to the video server from here, and deleting a course
// deletes its video there, both in one step as far as the rest of the service can see.

#include "forms/recordwindow.h"
#include "net/ftpclient.h"

#include <memory>

class Connection;
class DBCheckBox;
class DBEdit;
class DBGrid;
class FtpUpload;
class QFile;
class QLabel;
class QProgressBar;

class TfrmCourse : public RecordWindow
{
    Q_OBJECT

public:
    explicit TfrmCourse(Connection* conn, QWidget* parent = nullptr);
    ~TfrmCourse() override;

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
    QLabel* Label1;
    QLabel* lblVideoLen;
    DBEdit* txtVideoLen;
    QLabel* lblPoint;
    DBEdit* txtPoint;
    DBCheckBox* chkOpen;
    QLabel* lblStatus;
    DBEdit* txtStatus;
    DBGrid* grdCourse;
    QProgressBar* ProgressBar;
    /// The window's FTP client component; every operation assigns the video server's settings before it
    /// connects.
    FtpUpload* ftpUpload;

    void btnUploadClick();
    /// Deletes the current course and its video together (see CourseVideos::deleteCourse).
    void btnDeleteClick() override;
    /// Deletes the courses of the selected class one by one on the same terms, after a confirmation,
    /// and lists those it could not delete.
    void btnDelAllClick();
    /// The transfer events of ftpUpload's store.
    void ftpUploadWorkBegin(FtpClient::Direction direction, qint64 total);
    void ftpUploadWork(FtpClient::Direction direction, qint64 done);
    /// The end of a transfer that the server confirmed whole: the final status, saved, and the notice.
    void ftpUploadWorkEnd(FtpClient::Direction direction);

protected:
    void FormCreate() override;
    void dsStateChange() override;
    void tblBeforePost() override;
    void tblAfterOpen() override;

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
    /// Connects, changes to the video folder and stores file as the name in the video-name box.
    void sendVideo(QFile& file);
    QVariant courseKey() const;
    /// Everything off while a transfer runs (the window is busy then: it refuses to close); the state
    /// rule decides again once it has ended.
    void lockForTransfer();

    bool m_wasEditing = false;
    /// The video name when the current edit began, to know whether the save changes it.
    QString m_videoNameBefore;
    qint64 m_transferTotal = 0;
    int m_progressShift = 0;
};
