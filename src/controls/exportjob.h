#pragma once
// One export of rows to a file, written on a thread of its own so that the program stays in use
// meanwhile. The rows are copied first (ExportSnapshot), so the window may go on editing,
// refreshing or closing its table. A progress dialog with a cancel button shows while a long export
// runs; a failure reaches the standard error box when the export ends. The window owns the job:
// closing it cancels the export and waits for the writer to stop (it asks every few thousand rows),
// and a cancelled or failed export leaves no file under the chosen name.

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <atomic>
#include <memory>

class ExportSource;
class QThread;
class QWidget;

class ExportJob : public QObject
{
    Q_OBJECT

public:
    enum class Format { Xlsx, Csv };

    /// Copies source's rows and starts writing them to path; owned by window.
    ExportJob(const ExportSource& source, const QString& path, Format format, QWidget* window);
    ~ExportJob() override;

    /// Asks the writer to stop; the file is then left as it was.
    void cancel() { m_cancel = true; }
    bool running() const { return m_running; }

signals:
    /// The export is over (after the error box, if it failed): written is true when the file is
    /// whole under its name. The job deletes itself afterwards.
    void finished(bool written);

private:
    void finish();

    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_done{0};
    qint64 m_total = 0;
    bool m_running = true;
    bool m_written = false;
    QString m_failure;
    QPointer<QProgressDialog> m_progress; ///< closed by the user or with the window
    std::unique_ptr<QThread> m_thread;
};
