#include "formcorp.h"
#include "platform/messages.h"

#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "forms/formparts.h"
#include "forms/ftpupload.h"
#include "forms/windowtables.h"
#include "platform/errors.h"
#include "ui/busycursor.h"
#include "ui/busystate.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {
const QString kLogoName = QStringLiteral("logo.png");
const QString kDisconnected = QStringLiteral("斷線, 失敗");
constexpr int kBoxLeft = 116;
constexpr int kLogoSide = 150;

// The logo box shows PNG only: the file is decoded as PNG whatever its content, so that text under a
// .png name, a cut-off file or an empty one is reported rather than shown as something else.
QImage readPng(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(Msg::cannotOpen(QDir::toNativeSeparators(path), file.errorString()));
    QImageReader reader(&file, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        throw AppError(Msg::notPng(QDir::toNativeSeparators(path), reader.errorString()));
    return image;
}

/// Turns widgets off for as long as it lives; then each is as it was.
class Locked
{
public:
    explicit Locked(const QList<QWidget*>& widgets)
        : m_widgets(widgets)
    {
        for (QWidget* w : m_widgets) {
            m_wasEnabled << w->isEnabled();
            w->setEnabled(false);
        }
    }
    ~Locked()
    {
        for (int i = 0; i < m_widgets.size(); ++i)
            m_widgets[i]->setEnabled(m_wasEnabled[i]);
    }

private:
    QList<QWidget*> m_widgets;
    QList<bool> m_wasEnabled;
};
} // namespace

TfrmCorp::TfrmCorp(Connection* conn, QWidget* parent)
    : RecordWindow(QStringLiteral("frmCorp"), QStringLiteral("公司基本資料及預設值"), parent)
{
    tblCorp = corpTable(this, conn);
    dsCorp = namedSource(this, "dsCorp", tblCorp);
    ftpUpload = new FtpUpload(this);

    keepButtons({btnEdit, btnPost, btnCancel, btnExit});

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

    onEvent(btnUpload, &QPushButton::clicked, this, &TfrmCorp::btnUploadClick);
    onEvent(btnDownload, &QPushButton::clicked, this, &TfrmCorp::btnDownloadClick);

    setMainTable(tblCorp, dsCorp);
    setRequiredFields({{QStringLiteral("invoiceno"), QStringLiteral("請輸入統編"), txtInvoiceno},
                       {QStringLiteral("corpname"), QStringLiteral("請輸入公司名稱"), txtCorpName}});
    finishCreate();
}

QLabel* TfrmCorp::addNote(const char* objectName, const QString& caption, int x, int y)
{
    QLabel* note = namedNote(body(), objectName, caption);
    note->move(x, y);
    note->adjustSize();
    return note;
}

QString TfrmCorp::localLogoPath()
{
    return QDir::current().absoluteFilePath(kLogoName);
}

void TfrmCorp::FormCreate()
{
    btnDownloadClick();
    RecordWindow::FormCreate();
}

void TfrmCorp::dsStateChange()
{
    // The insert state arises only from Edit on an empty table (btnEditClick) and is edited alike.
    const bool editing = tblCorp->editing();
    btnEdit->setEnabled(!editing);
    btnExit->setEnabled(!editing);
    const QList<QWidget*> inputs{btnPost, btnCancel, txtInvoiceno, txtCorpName, chkWatermark, btnUpload};
    for (QWidget* input : inputs)
        input->setEnabled(editing);
    disableHiddenButtons();
}

void TfrmCorp::btnEditClick()
{
    // The window expects the company's one row. Without it, Edit starts that row so that it can be
    // typed and saved.
    if (tblCorp->active() && tblCorp->isEmpty())
        tblCorp->append();
    else
        tblCorp->edit();
}

void TfrmCorp::btnUploadClick()
{
    const QString path = PromptFileOpen(this, QString(), QString());
    if (path.isEmpty())
        return;
    const QString extension = QFileInfo(path).suffix();
    if (!extension.contains(QLatin1String("png"))) {
        ShowMessage(QStringLiteral("圖檔格式不支援"));
        return;
    }

    BusyCursor busy;
    // ftpUpload lets the interface run during the store: no other command of the window starts
    // inside it, a second upload on the same connection least of all.
    const BusyScope transfer(this);
    const Locked locked({pnlButton, btnUpload});
    // A file that cannot be shown is not sent either: it would replace a good logo on the server.
    const QImage logo = readPng(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(Msg::cannotOpen(QDir::toNativeSeparators(path), file.errorString()));

    bool connected = false;
    std::exception_ptr failure;
    try {
        connected = ftpUpload->openFolder();
        if (connected)
            ftpUpload->storeWhole(file, QStringLiteral("logo.") + extension);
    } catch (...) {
        failure = std::current_exception();
    }
    file.close();
    ftpUpload->close();
    imgLogo->setPixmap(QPixmap::fromImage(logo));
    if (failure)
        std::rethrow_exception(failure);
    if (!connected)
        ShowMessage(kDisconnected);
}

QImage TfrmCorp::fetchLogo(FtpClient& ftp)
{
    // The local copy changes in one step, and only to a picture: the file arrives beside it under a
    // name of its own, is decoded, and is then renamed over it. rename() replaces a symbolic link
    // named logo.png itself and never writes where it points.
    // A name of its own, made with the usual permissions of a new file; gone again unless renamed.
    const QString part = QDir::current().absoluteFilePath(FtpUpload::temporaryName(kLogoName));
    struct Leftover {
        const QString& path;
        ~Leftover() { QFile::remove(path); }
    } leftover{part};
    ftp.retrieve(kLogoName, part);
    const QImage image = readPng(part);
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(localLogoPath()).constData()) != 0)
        throw AppError(Msg::cannotReplace(QDir::toNativeSeparators(localLogoPath()),
                                          QString::fromLocal8Bit(std::strerror(errno))));
    return image;
}

void TfrmCorp::btnDownloadClick()
{
    bool connected = false;
    bool failed = false;
    QString failure;
    {
        BusyCursor busy;
        const BusyScope transfer(this);
        FtpUpload::Closer closer(ftpUpload);
        try {
            connected = ftpUpload->openFolder();
            if (connected) {
                FtpClient& ftp = ftpUpload->client();
                const QStringList lines = ftp.list(kLogoName, true);
                if (!lines.isEmpty() && lines.first().contains(kLogoName))
                    imgLogo->setPixmap(QPixmap::fromImage(fetchLogo(ftp)));
            }
        } catch (const AppError& e) {
            failed = true;
            failure = e.message();
        } catch (const std::exception& e) {
            failed = true;
            failure = QString::fromLocal8Bit(e.what());
        }
    }
    // Told once the hourglass is gone; the window opens normally, without a logo.
    if (failed)
        ShowMessage(QStringLiteral("不明錯誤: ") + failure);
    else if (!connected)
        ShowMessage(kDisconnected);
}
