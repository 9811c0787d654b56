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
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <utility>

namespace {
constexpr int kUpperPanelHeight = 246;
// Wide enough for its caption, which is longer than the other buttons'.
constexpr int kDelAllWidth = 110;

} // namespace

CourseWindow::CourseWindow(Connection* conn, const Session& session, QWidget* parent)
    : RecordWindow(QStringLiteral("frmCourse"), QStringLiteral("課程管理"), parent)
    , m_session(session)
{
    btnDelAll = namedButton(pnlButton, "btnDelAll", QStringLiteral("全部刪除 (&L)"));
    btnDelAll->setGeometry(6 * ButtonWidth, 0, kDelAllWidth, ButtonHeight);
    btnDelAll->hide();
    setTabOrder(btnExit, btnDelAll);

    tblClassroom = classroomTable(this, conn);
    connect(tblClassroom, &SnapshotTable::afterOpen, this, [this] { tblClassroomAfterOpen(); });
    dsClassroom = namedSource(this, "dsClassroom", tblClassroom);

    tblCourse = namedTable(this, "tblCourse", conn, "course");
    tblCourse->addField(QStringLiteral("cpkey"), FieldType::AutoInc);
    tblCourse->addField(QStringLiteral("crpkey"), FieldType::Int32);
    tblCourse->addField(QStringLiteral("coursename"), FieldType::Text, 50);
    tblCourse->addField(QStringLiteral("videoname"), FieldType::Text, 50);
    tblCourse->addField(QStringLiteral("videolen"), FieldType::Int32);
    tblCourse->addField(QStringLiteral("point"), FieldType::Int16);
    tblCourse->addField(QStringLiteral("status"), FieldType::Text, 20);
    tblCourse->addField(QStringLiteral("isopen"), FieldType::Int16);
    tblCourse->setKeyField(QStringLiteral("cpkey"));
    tblCourse->setInsertToken(QStringLiteral("insert_token"), QStringLiteral("rowkey"));
    tblCourse->setMaster(tblClassroom, QStringLiteral("crpkey"), QStringLiteral("crpkey"));
    dsCourse = namedSource(this, "dsCourse", tblCourse);
    ftpUpload = new FtpUpload(this);

    // Upper panel: the classes at the left, the fields at the right; the courses and the progress
    // bar across the window below it.
    grdClassroom = namedGrid(body(), "grdClassroom", dsClassroom, 300,
                             {{QStringLiteral("classname"), QStringLiteral("班級名稱"), 260}});
    grdCourse = namedGrid(body(), "grdCourse", dsCourse, 0,
                          {{QStringLiteral("coursename"), QStringLiteral("課程名稱"), 300},
                           {QStringLiteral("videoname"), QStringLiteral("影片檔名"), 260},
                           {QStringLiteral("videolen"), QStringLiteral("片長"), 80},
                           {QStringLiteral("point"), QStringLiteral("點數"), 60},
                           {QStringLiteral("status"), QStringLiteral("影片狀態"), 120}});
    grdCourse->setWholeRowSelection(false);
    QWidget* fields = dockUpperPanel(grdClassroom, grdCourse, kUpperPanelHeight, "pnlTop");
    pnlTop = fields->parentWidget();
    buildFields(fields);

    setMainTable(tblCourse, dsCourse);
    connect(tblCourse, &SnapshotTable::afterInsert, this, [this] { tblCourseAfterInsert(); });
    connect(tblCourse, &SnapshotTable::afterPost, this, [this] { tblCourseAfterPost(); });
    setInputs({txtCourseName, txtVideoName, txtPoint, chkOpen, btnUpload});
    setGrids({grdClassroom, grdCourse});
    setFirstField(txtCourseName);
    setSortingGrid(grdClassroom, tblClassroom);
    setRequiredFields({{QStringLiteral("coursename"), QStringLiteral("請輸入課程名稱"), txtCourseName},
                       {QStringLiteral("videoname"), QStringLiteral("請輸入影片檔名"), txtVideoName},
                       {QStringLiteral("point"), QStringLiteral("請輸入點數"), txtPoint}});
    onEvent(btnUpload, &QPushButton::clicked, this, &CourseWindow::btnUploadClick);
    onEvent(btnDelAll, &QPushButton::clicked, this, &CourseWindow::btnDelAllClick);
    // Another class shows other courses, or none: the state rule decides again.
    onEvent(tblCourse, &SnapshotTable::rowsReset, this, &CourseWindow::dsStateChange);

    connect(ftpUpload, &TransferJob::begun, this,
            [this](qint64 total) { guarded([&] { ftpUploadWorkBegin(total); }); });
    connect(ftpUpload, &TransferJob::progressed, this, [this](qint64 done) { guarded([&] { ftpUploadWork(done); }); });
    connect(ftpUpload, &TransferJob::ended, this, &CourseWindow::transferEnded);
    finishCreate();
}

CourseWindow::~CourseWindow() = default;

void CourseWindow::buildFields(QWidget* panel)
{
    auto displayOnly = [](DBEdit* box) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
    };
    txtBpkey = addEditLine(panel, &lblCrpkey, "lblCrpkey", QStringLiteral("班級代號"), "txtBpkey", dsClassroom,
                           "crpkey", ImeMode::Closed, 60);
    displayOnly(txtBpkey);
    txtClassName = addEditLine(panel, &lblClassName, "lblClassName", QStringLiteral("班級名稱"), "txtClassName",
                               dsClassroom, "classname", ImeMode::Open, 291);
    displayOnly(txtClassName);
    txtCourseName = addEditLine(panel, &lblCourseName, "lblCourseName", QStringLiteral("課程名稱"), "txtCourseName",
                                dsCourse, "coursename", ImeMode::Open, 400);
    txtVideoName = addEditLine(panel, &lblVideoName, "lblVideoName", QStringLiteral("影片檔名"), "txtVideoName",
                               dsCourse, "videoname", ImeMode::Closed, 291);
    txtVideoLen = addEditLine(panel, &lblVideoLen, "lblVideoLen", QStringLiteral("影片長度"), "txtVideoLen", dsCourse,
                              "videolen", ImeMode::Closed, 80);
    displayOnly(txtVideoLen);
    txtPoint = addEditLine(panel, &lblPoint, "lblPoint", QStringLiteral("點數"), "txtPoint", dsCourse, "point",
                           ImeMode::Closed, 60);
    txtStatus = addEditLine(panel, &lblStatus, "lblStatus", QStringLiteral("影片狀態"), "txtStatus", dsCourse, "status",
                            ImeMode::Closed, 120);
    displayOnly(txtStatus);

    const int besideVideoName = txtVideoName->geometry().right() + 8;
    btnUpload = namedButton(panel, "btnUpload", QStringLiteral("上傳檔案 (&U)"));
    btnUpload->setFocusPolicy(Qt::ClickFocus);
    btnUpload->setGeometry(besideVideoName, txtVideoName->y() - 2, 120, 28);
    // A leftover of the layout: never shown, it does nothing; the language files still name it.
    btnFile = new QPushButton(QStringLiteral("選擇檔案 (&F)"), panel);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setFocusPolicy(Qt::NoFocus);
    btnFile->hide();

    formatsNote = namedNote(panel, "Label1", QStringLiteral("支援的影片格式：3gp、avi、flv、mkv、mov、mpeg、wmv"));
    formatsNote->setGeometry(besideVideoName, btnUpload->geometry().bottom() + 4, 460, 24);

    chkOpen = new DBCheckBox(panel);
    chkOpen->setObjectName(QStringLiteral("chkOpen"));
    chkOpen->setText(QStringLiteral("公開的課程"));
    chkOpen->setDataSource(dsCourse);
    chkOpen->setDataField(QStringLiteral("isopen"));
    chkOpen->setGeometry(txtPoint->geometry().right() + 16, txtPoint->y(), 160, 24);

    setTabOrder(btnDelAll, txtCourseName);
    setTabOrder(txtCourseName, txtVideoName);
    setTabOrder(txtVideoName, txtPoint);
    setTabOrder(txtPoint, chkOpen);
}

void CourseWindow::loadData()
{
    // Only the account named exactly "admin" sees the button.
    btnDelAll->setVisible(m_session.account == QStringLiteral("admin"));
    if (!tblClassroom->active())
        tblClassroom->open();
    if (!tblCourse->active())
        tblCourse->open();
}

void CourseWindow::tblClassroomAfterOpen()
{
    tblClassroom->setSort(QStringLiteral("classname ASC"));
    if (tblClassroom->recordCount() > 0)
        tblClassroom->setRecNo(0);
}

void CourseWindow::tblAfterOpen()
{
    // The courses keep the server's order; only the class grid sorts.
}

void CourseWindow::dsStateChange()
{
    RecordWindow::dsStateChange();
    const bool editing = tblCourse->editing();
    if (editing && !m_wasEditing) {
        m_videoNameBefore = tblCourse->field(QStringLiteral("videoname"))->asString();
        m_before.newRow = tblCourse->state() == DataSetState::Insert;
        m_before.name = tblCourse->field(QStringLiteral("videoname"))->value();
        m_before.length = tblCourse->field(QStringLiteral("videolen"))->value();
        m_before.status = tblCourse->field(QStringLiteral("status"))->value();
    }
    m_wasEditing = editing;
    btnDelAll->setEnabled(btnDelete->isEnabled());
    if (ftpUpload->running())
        lockForTransfer();
}

void CourseWindow::lockForTransfer()
{
    // Closing stays possible: it asks first (closeEvent).
    for (QWidget* w : QList<QWidget*>{btnAdd, btnEdit, btnPost, btnCancel, btnDelete, btnDelAll, grdClassroom,
                                      grdCourse, txtCourseName, txtVideoName, txtPoint, chkOpen, btnUpload})
        w->setEnabled(false);
}

void CourseWindow::tblBeforePost()
{
    tblClassroomBeforePost();
}

void CourseWindow::tblClassroomBeforePost()
{
    // The course row's required fields and its video name, whatever asks for the save (Save, or a
    // transfer's status). A name kept from before is not asked about again.
    RecordWindow::tblBeforePost();
    const QString name = tblCourse->field(QStringLiteral("videoname"))->asString();
    if (name != m_videoNameBefore)
        refuseVideoName(name);
}

void CourseWindow::refuseVideoName(const QString& name)
{
    const QString why = CourseVideos::refusal(tblCourse->connection(), name, courseKey());
    if (why.isEmpty())
        return;
    showMessageBox(this, why, QStringLiteral("影片檔名"), Win::MB_ICONEXCLAMATION);
    txtVideoName->setFocus();
    throw Abort();
}

QVariant CourseWindow::courseKey() const
{
    if (tblCourse->state() == DataSetState::Insert || tblCourse->isEmpty())
        return QVariant();
    return tblCourse->field(QStringLiteral("cpkey"))->value();
}

void CourseWindow::tblCourseAfterInsert()
{
    tblCourse->field(QStringLiteral("point"))->setAsString(QStringLiteral("0"));
}

void CourseWindow::tblCourseAfterPost()
{
    refreshCourses();
}

void CourseWindow::refreshCourses()
{
    const QVariant key = tblCourse->field(QStringLiteral("cpkey"))->value();
    tblCourse->close();
    tblCourse->open();
    if (key.isValid() && !key.isNull())
        tblCourse->locate(QStringLiteral("cpkey"), key);
}

void CourseWindow::btnDeleteClick()
{
    if (ftpUpload->running() || !confirmDelete())
        return;
    tblCourse->cancel();
    if (tblCourse->isEmpty())
        return;
    deleteCourses({{courseKey(), tblCourse->field(QStringLiteral("videoname"))->asString()}}, false);
}

void CourseWindow::btnDelAllClick()
{
    if (ftpUpload->running() || tblCourse->editing() || tblCourse->isEmpty())
        return;
    const QString className = tblClassroom->field(QStringLiteral("classname"))->asString();
    const int count = tblCourse->recordCount();
    if (showMessageBox(this, QStringLiteral("確定刪除班級「%1」的全部 %2 筆課程及其影片檔？").arg(className).arg(count),
                       QStringLiteral("全部刪除"), Win::MB_OKCANCEL | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2)
        != Win::IDOK)
        return;
    QList<QPair<QVariant, QString>> courses;
    const auto& fields = tblCourse->fields();
    const int keyField = int(std::find(fields.begin(), fields.end(), tblCourse->field("cpkey")) - fields.begin());
    const int nameField = int(std::find(fields.begin(), fields.end(), tblCourse->field("coursename")) - fields.begin());
    for (int row = 0; row < count; ++row)
        courses.append({tblCourse->cellValue(row, keyField), tblCourse->cellText(row, nameField)});
    deleteCourses(courses, true);
}

void CourseWindow::deleteCourses(const QList<QPair<QVariant, QString>>& courses, bool all)
{
    // The job opens a connection of its own: a transaction held across the transfer on the shared
    // connection would take in every other window's writes meanwhile.
    const ConnectionSettings settings = tblCourse->connection()->settings();
    auto kept = std::make_shared<QStringList>();
    m_kept = kept;
    m_job = all ? Job::DeleteAll : Job::Delete;
    m_jobKey = courses.isEmpty() ? QVariant() : courses.first().first;
    m_jobName = courses.isEmpty() ? QString() : courses.first().second;
    ftpUpload->run([settings, courses, all, kept](FtpClient& ftp) {
        Connection connection(settings);
        connection.open();
        for (const auto& [key, name] : courses) {
            if (ftp.abortRequested())
                throw AppError(Msg::ftpBrokenOff());
            if (!all) {
                CourseVideos::deleteCourse(&connection, ftp, key);
                continue;
            }
            try {
                CourseVideos::deleteCourse(&connection, ftp, key);
            } catch (const AppError& e) {
                *kept << QStringLiteral("「%1」：%2").arg(name, e.message());
            }
        }
    });
    lockForTransfer();
}
