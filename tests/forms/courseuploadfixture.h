#pragma once
// What the tests of sending a course's video share: the window's fixture, a folder of local files,
// servers of a test's own (a slow link among them) and a probe that acts while a transfer runs.

#include "app/mainwindow.h"
#include "controls/dbcheckbox.h"
#include "controls/dbedit.h"
#include "data/snapshottable.h"
#include "controls/dbgrid.h"
#include "forms/coursewindow.h"
#include "forms/ftpupload.h"
#include "testfiles.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "ui/messagebox.h"
#include "platform/messages.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTcpSocket>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>

#include <QTemporaryDir>
#include <functional>

namespace CourseUpload {
using namespace FormDriver;
using TestFiles::read;

/// videoname and status of course cpkey, as "videoname/status".
inline QString videoAndStatus(int cpkey)
{
    return SandboxDb::scalar(
               QStringLiteral("SELECT CONCAT_WS('/', videoname, status) FROM course WHERE cpkey=%1").arg(cpkey))
        .toString();
}

/// The texts of the message boxes since the last clear (the file-open dialog left out).
inline QStringList messages()
{
    QStringList texts;
    for (const Prompt& p : DialogSeam::prompts())
        if (p.kind == Prompt::Message)
            texts << p.text;
    return texts;
}

/// What a window shows while its transfer runs, seen at its first percentage caption.
struct TransferProbe : QObject {
    QPointer<CourseWindow> form;
    std::function<void()> during;
    QStringList captions;
    bool seen = false;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::WindowTitleChange || !form)
            return false;
        captions << form->windowTitle();
        if (!seen && captions.last().endsWith('%')) {
            seen = true;
            if (during)
                during();
        }
        return false;
    }
};

class CourseUploadFixture : public QObject, protected WindowFixture<CourseWindow>
{
protected:
    QTemporaryDir m_local;
    QString m_oldDir;
    QByteArray m_ftpPort;
    TransferProbe m_probe;

    CourseWindow* open()
    {
        watch(WindowFixture::open());
        return m_form;
    }

    void watch(CourseWindow* form)
    {
        m_probe.form = form;
        form->installEventFilter(&m_probe);
    }

    QString localFile(const QString& name, int size = 4096)
    {
        return TestFiles::write(m_local.filePath(name), TestFiles::random(size));
    }

    /// Edits the current course (or starts a new one) and sends path, an OK queued for the outcome;
    /// returns once the transfer has ended (the event loop runs meanwhile).
    void upload(const QString& path, QPushButton* start = nullptr)
    {
        if (start)
            click(start);
        DialogSeam::queueAnswer(Win::IDOK);
        DialogSeam::queueFileName(path);
        click(m_form->btnUpload);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form || !m_form->ftpUpload->running(), 120000);
    }

    /// Starts a server of the test's own with extra settings of scripts/ftpserver.py (a slow link:
    /// RYN_FTP_READ_LIMIT) and points the program at it; returns its video folder.
    static QString ownServer(QProcess& server, const QTemporaryDir& root, const QHash<QString, QString>& settings)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = settings.begin(); it != settings.end(); ++it)
            env.insert(it.key(), it.value());
        server.setProcessEnvironment(env);
        qputenv("RYN_FTP_PORT", QByteArray::number(SandboxDb::startFtpServer(server, root.path())));
        return root.path() + QStringLiteral("/var/www/html/movies/");
    }

    /// The row and the window leave no trace of an upload that did not finish: the row as it was, the
    /// window in editing with the new name typed.
    void expectPreviousRow(const QString& typed)
    {
        QCOMPARE(videoAndStatus(1), QStringLiteral("excel01.mp4/converted"));
        QCOMPARE(m_form->tblCourse->state(), DataSetState::Edit);
        QCOMPARE(m_form->txtVideoName->text(), typed);
        QCOMPARE(m_form->tblCourse->field("status")->asString(), QStringLiteral("converted"));
    }

    bool locked()
    {
        for (QWidget* w :
             QList<QWidget*>{m_form->btnAdd, m_form->btnEdit, m_form->btnPost, m_form->btnCancel, m_form->btnDelete,
                             m_form->grdClassroom, m_form->grdCourse, m_form->btnUpload, m_form->txtVideoName})
            if (w->isEnabled())
                return false;
        return true;
    }

    QString frameRule()
    {
        return frameRuleBroken(
            m_form, m_form->tblCourse->editing(),
            {m_form->txtCourseName, m_form->txtVideoName, m_form->txtPoint, m_form->chkOpen, m_form->btnUpload},
            {m_form->grdClassroom, m_form->grdCourse}, m_form->tblCourse->recordCount() > 0);
    }

    /// A failed transfer: one error in the standard box, no "上傳完畢", the window usable again.
    void expectFailedOnce()
    {
        QCOMPARE(messages().size(), 1);
        QCOMPARE(DialogSeam::last().flags, int(Win::MB_ICONHAND));
        QVERIFY(!messages().contains(QStringLiteral("上傳完畢")));
        QVERIFY(!m_form->ftpUpload->running());
        QCOMPARE(frameRule(), QString());
        QCOMPARE(m_form->progressBar->value(), 0);
        QVERIFY(m_form->btnDelAll->isEnabled() != m_form->tblCourse->editing());
    }

    /// The file names in the server's video folder (or another folder).
    static QStringList onServer(const QString& folder = SandboxDb::videoFolder())
    {
        return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    /// initTestCase, cleanupTestCase, init and cleanup of the tests that use this fixture.
    void setUpAll()
    {
        SandboxDb::require();
        m_ftpPort = qgetenv("RYN_FTP_PORT");
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_local.path());
    }

    void tearDownAll() { QDir::setCurrent(m_oldDir); }

    void setUpCase()
    {
        startCase();
        m_probe.captions.clear();
        m_probe.seen = false;
        m_probe.during = nullptr;
        for (const QFileInfo& entry :
             QDir(SandboxDb::videoFolder()).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath());
        m_session.account = QStringLiteral("admin");
        m_session.watermark = true;
    }

    void tearDownCase()
    {
        qputenv("RYN_FTP_PORT", m_ftpPort);
        endCase();
    }
};
} // namespace CourseUpload
