#pragma once
// The company window: the one row of the company table (tax number, name and the hidden watermark
// flag) and the logo that the video players show as a watermark. The logo is no part of the row: it
// is a PNG file on the video server, fetched each time the window opens and sent from here.

#include "forms/recordwindow.h"

class Connection;
class DBCheckBox;
class DBEdit;
class FtpClient;
class FtpUpload;
class QImage;
class QLabel;

class TfrmCorp : public RecordWindow
{
    Q_OBJECT

public:
    explicit TfrmCorp(Connection* conn, QWidget* parent = nullptr);

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
    void btnUploadClick();
    void btnDownloadClick();

protected:
    void FormCreate() override;
    void dsStateChange() override;

private:
    /// Fetches logo.png into the local copy, which is replaced only by a whole PNG; returns the picture.
    QImage fetchLogo(FtpClient& ftp);
    QLabel* addNote(const char* objectName, const QString& caption, int x, int y);
};
