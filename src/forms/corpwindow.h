#pragma once
// The company window: the one row of the company table (tax number, name and the hidden watermark
// flag) and the logo that the video players show as a watermark. The logo is no part of the row: it
// is a PNG file on the video server, fetched each time the window opens and sent from here.

#include "forms/recordwindow.h"
#include "media/transferjob.h"
#include "ui/transferwindow.h"

#include <QPixmap>
#include <functional>
#include <memory>

class Connection;
class DBCheckBox;
class DBEdit;
class FtpUpload;
class QLabel;

class CorpWindow : public RecordWindow, public TransferWindow
{
    Q_OBJECT

public:
    explicit CorpWindow(Connection* conn, QWidget* parent = nullptr);

    /// The local copy of the server's logo: "logo.png" in the current working directory.
    static QString localLogoPath();

    SnapshotTable* tblCorp;
    DataSource* dsCorp;
    FtpUpload* ftpUpload;
    QLabel* lblInvoiceno;
    DBEdit* txtInvoiceno;
    QLabel* lblCorpName;
    DBEdit* txtCorpName;
    QPushButton* btnUpload;
    QLabel* lblPng;
    QLabel* lblWH;
    QLabel* lblLogohint;
    QLabel* imgLogo;
    DBCheckBox* chkWatermark;
    QPushButton* btnDownload;

    void btnEditClick() override;
    /// Checks the chosen PNG and sends it on the window's job; the window stays in use meanwhile.
    void btnUploadClick();
    /// Fetches the server's logo into the local copy on the window's job, and shows it.
    void btnDownloadClick();

    QString runningTransfer() const override;
    void stopTransfer(std::function<void()> whenStopped) override;

protected:
    void loadData() override;
    void dsStateChange() override;
    /// While the logo is on its way to the server, asks whether to stop it; a fetch just stops.
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* addNote(const char* objectName, const QString& caption, int x, int y);
    void transferEnded(TransferJob::End end);

    bool m_uploading = false;
    QString m_uploadName;
    /// The picture being sent, shown once the server has it.
    QPixmap m_sentLogo;
    /// Whether the running fetch found a logo; written by the job's thread until its end.
    std::shared_ptr<bool> m_fetched;
    QList<std::function<void()>> m_whenStopped;
};
