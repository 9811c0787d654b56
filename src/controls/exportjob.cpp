#include "exportjob.h"

#include "data/exportsnapshot.h"
#include "data/tableexport.h"
#include "gridtooltexts.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "ui/messagebox.h"

#include <QProgressDialog>
#include <QThread>
#include <QTimer>

ExportJob::ExportJob(const ExportSource& source, const QString& path, Format format, QWidget* window)
    : QObject(window)
{
    auto rows = std::make_shared<const ExportSnapshot>(source);
    m_total = rows->rowCount();

    // Not modal: the window stays in use, and a modal progress dialog would run events from inside
    // every progress step. The steps come from a timer here instead.
    m_progress = new QProgressDialog(GridToolTexts::text("lblExporting"), GridToolTexts::text("btnCancelExport"), 0,
                                     1000, window);
    m_progress->setObjectName(QStringLiteral("dlgExportProgress"));
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    m_progress->setMinimumDuration(500);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, &ExportJob::cancel);
    auto* tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, [this] {
        if (m_progress)
            m_progress->setValue(m_total > 0 ? int(m_done.load() * 1000 / m_total) : 0);
    });
    tick->start(100);

    m_thread.reset(QThread::create([this, rows, path, format] {
        const TableExport::Progress report = [this](qint64 done, qint64) {
            m_done = done;
            return !m_cancel.load();
        };
        try {
            m_written = format == Format::Xlsx ? TableExport::writeXlsx(*rows, path, report)
                                               : TableExport::writeCsv(*rows, path, report);
        } catch (const AppError& e) {
            m_failure = e.message();
        } catch (const std::exception& e) {
            m_failure = Msg::unexpectedError(QString::fromLocal8Bit(e.what()));
        }
    }));
    // Emitted on the writer's thread, delivered on the window's.
    connect(m_thread.get(), &QThread::finished, this, &ExportJob::finish);
    m_thread->start();
}

ExportJob::~ExportJob()
{
    if (m_thread && m_thread->isRunning()) {
        m_cancel = true;
        m_thread->wait();
    }
    if (m_progress)
        m_progress->close();
}

void ExportJob::finish()
{
    m_running = false;
    if (m_progress)
        m_progress->close();
    if (!m_failure.isEmpty())
        showErrorBox(m_failure);
    emit finished(m_written);
    deleteLater();
}
