#include "corpwindow.h"
#include "platform/messages.h"

#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/ftpupload.h"
#include "forms/windowtables.h"
#include "media/logofile.h"
#include "media/remotefile.h"
#include "net/ftpclient.h"
#include "platform/errors.h"
#include "ui/childframe.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <memory>
#include <utility>

namespace {
const QString kLogoName = LogoFile::name();
constexpr int kBoxLeft = 116;
constexpr int kLogoSide = 150;

const QString kWindowName = QStringLiteral("公司基本資料及預設值");

// The logo box shows PNG only: the file is checked as a whole PNG whatever its name says, so that
// text under a .png name, a cut-off file or an empty one is reported rather than shown.
QPixmap checkedLogo(const QString& path)
{
    LogoFile::checkPng(path);
    return QPixmap(path, "png");
}
} // namespace

CorpWindow::CorpWindow(Connection* conn, QWidget* parent)
    : RecordWindow(QStringLiteral("frmCorp"), QStringLiteral("公司基本資料及預設值"), parent)
{
    tblCorp = corpTable(this, conn);
    dsCorp = namedSource(this, "dsCorp", tblCorp);
    ftpUpload = new FtpUpload(this);

    showOnlyButtons({btnEdit, btnPost, btnCancel, btnExit});

    QWidget* fields = body();
    txtInvoiceno = addEditLine(fields, &lblInvoiceno, "lblInvoiceno", QStringLiteral("公司統編"), "txtInvoiceno",
                               dsCorp, "invoiceno", ImeMode::Closed, 90);
    txtCorpName = addEditLine(fields, &lblCorpName, "lblCorpName", QStringLiteral("公司名稱"), "txtCorpName", dsCorp,
                              "corpname", ImeMode::Open, 291);

    const int uploadTop = txtCorpName->y() + 42;
    btnUpload = namedButton(fields, "btnUpload", QStringLiteral("上傳 logo 圖檔 (&U)"));
    // Reached by its accelerator or a click; Enter in the last box goes on to Save, as in every window.
    btnUpload->setFocusPolicy(Qt::ClickFocus);
    btnUpload->setGeometry(kBoxLeft, uploadTop, 170, 33);
    lblPng = addNote("lblPng", QStringLiteral("支援圖檔格式：png"), kBoxLeft + 180, uploadTop + 5);
    lblWH = addNote("lblWH", QStringLiteral("建議寬度、高度皆不大於 100 像素"), kBoxLeft, uploadTop + 40);
    lblLogohint = addNote("lblLogohint", QStringLiteral("圖檔會在播放影片時顯示為浮水印"), kBoxLeft, uploadTop + 66);

    imgLogo = new QLabel(fields);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setScaledContents(true);
    imgLogo->setFrameShape(QFrame::Box);
    imgLogo->setGeometry(kBoxLeft, uploadTop + 100, kLogoSide, kLogoSide);

    // The flag is kept in the row but neither shown nor changed here; the logo is fetched by the
    // window itself when it opens.
    chkWatermark = new DBCheckBox(fields);
    chkWatermark->setObjectName(QStringLiteral("chkWatermark"));
    chkWatermark->setText(QStringLiteral("影片加浮水印"));
    chkWatermark->setDataSource(dsCorp);
    chkWatermark->setDataField(QStringLiteral("watermark"));
    chkWatermark->setGeometry(kBoxLeft, imgLogo->geometry().bottom() + 12, 160, 24);
    chkWatermark->hide();
    btnDownload = new QPushButton(QStringLiteral("下載 logo 圖檔"), fields);
    btnDownload->setObjectName(QStringLiteral("btnDownload"));
    btnDownload->setGeometry(kBoxLeft + 170, imgLogo->geometry().bottom() + 12, 130, 33);
    btnDownload->hide();

    setTabOrder(btnExit, txtInvoiceno);
    setTabOrder(txtInvoiceno, txtCorpName);

    onEvent(btnUpload, &QPushButton::clicked, this, &CorpWindow::btnUploadClick);
    onEvent(btnDownload, &QPushButton::clicked, this, &CorpWindow::btnDownloadClick);

    connect(ftpUpload, &TransferJob::ended, this, &CorpWindow::transferEnded);

    setMainTable(tblCorp, dsCorp);
    setRequiredFields({{QStringLiteral("invoiceno"), QStringLiteral("請輸入統編"), txtInvoiceno},
                       {QStringLiteral("corpname"), QStringLiteral("請輸入公司名稱"), txtCorpName}});
    finishCreate();
}

QLabel* CorpWindow::addNote(const char* objectName, const QString& caption, int x, int y)
{
    QLabel* note = namedNote(body(), objectName, caption);
    note->move(x, y);
    note->adjustSize();
    return note;
}

QString CorpWindow::localLogoPath()
{
    return QDir::current().absoluteFilePath(kLogoName);
}

void CorpWindow::loadData()
{
    btnDownloadClick();
    RecordWindow::loadData();
}

void CorpWindow::dsStateChange()
{
    // The insert state arises only from Edit on an empty table (btnEditClick) and is edited alike.
    const bool editing = tblCorp->editing();
    btnEdit->setEnabled(!editing);
    btnExit->setEnabled(!editing);
    const QList<QWidget*> inputs{btnPost, btnCancel, txtInvoiceno, txtCorpName, chkWatermark, btnUpload};
    for (QWidget* input : inputs)
        input->setEnabled(editing);
    // One transfer at a time; the row itself stays in use meanwhile (the logo is no part of it).
    if (ftpUpload->running())
        btnUpload->setEnabled(false);
    disableHiddenButtons();
}

void CorpWindow::btnEditClick()
{
    // The window expects the company's one row. Without it, Edit starts that row so that it can be
    // typed and saved.
    if (tblCorp->active() && tblCorp->isEmpty())
        tblCorp->append();
    else
        tblCorp->edit();
}

void CorpWindow::btnUploadClick()
{
    if (ftpUpload->running())
        return;
    const QString path = promptFileOpen(this, QString(), QString());
    if (path.isEmpty())
        return;
    const QString extension = QFileInfo(path).suffix();
    if (!extension.contains(QLatin1String("png"))) {
        showNotice(QStringLiteral("圖檔格式不支援"));
        return;
    }
    // A file that cannot be shown is not sent either: it would replace a good logo on the server.
    const QPixmap logo = checkedLogo(path);
    const QString remoteName = QStringLiteral("logo.") + extension;
    m_uploading = true;
    m_uploadName = remoteName;
    m_sentLogo = logo;
    ftpUpload->run([path, remoteName](FtpClient& ftp) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw AppError(Msg::cannotOpen(QDir::toNativeSeparators(path), file.errorString()));
        RemoteFile::openVideoFolder(ftp);
        RemoteFile::storeWhole(ftp, file, remoteName);
    });
    dsStateChange();
}

void CorpWindow::btnDownloadClick()
{
    if (ftpUpload->running())
        return;
    m_uploading = false;
    auto fetched = std::make_shared<bool>(false);
    m_fetched = fetched;
    const QString local = localLogoPath();
    ftpUpload->run([local, fetched](FtpClient& ftp) {
        RemoteFile::openVideoFolder(ftp);
        *fetched = LogoFile::fetch(ftp, local);
    });
    dsStateChange();
}

void CorpWindow::transferEnded(TransferJob::End end)
{
    const bool upload = std::exchange(m_uploading, false);
    guarded([&] {
        switch (end) {
        case TransferJob::End::Done:
            if (upload)
                imgLogo->setPixmap(m_sentLogo);
            else if (m_fetched && *m_fetched)
                imgLogo->setPixmap(QPixmap(localLogoPath(), "png"));
            break;
        case TransferJob::End::Failed:
            // The window opens normally without a logo when the fetch fails.
            if (upload)
                showErrorBox(ftpUpload->message());
            else
                showNotice(QStringLiteral("不明錯誤: ") + ftpUpload->message());
            break;
        case TransferJob::End::Stopped:
            break;
        }
    });
    // The box shows the chosen picture whatever became of the upload, as it always has.
    if (upload && end != TransferJob::End::Done && end != TransferJob::End::Stopped)
        imgLogo->setPixmap(m_sentLogo);
    m_sentLogo = QPixmap();
    guarded([this] { dsStateChange(); });
    for (const std::function<void()>& then : std::exchange(m_whenStopped, {}))
        then();
}

QString CorpWindow::runningTransfer() const
{
    // Only a logo on its way to the server is asked about; fetching the server's copy just stops.
    if (!ftpUpload->running() || !m_uploading)
        return QString();
    return Msg::transferStillRunning(Msg::logoUpload(m_uploadName), kWindowName);
}

void CorpWindow::stopTransfer(std::function<void()> whenStopped)
{
    if (!ftpUpload->running()) {
        whenStopped();
        return;
    }
    m_whenStopped << std::move(whenStopped);
    ftpUpload->stop();
}

void CorpWindow::closeEvent(QCloseEvent* event)
{
    if (!ftpUpload->running()) {
        RecordWindow::closeEvent(event);
        return;
    }
    event->ignore();
    if (ftpUpload->stopRequested() || (m_uploading && !askToStopTransfers(this, {this})))
        return;
    const QPointer<CorpWindow> self(this);
    stopTransfer([self] {
        if (self)
            childFrame(self)->close();
    });
}
