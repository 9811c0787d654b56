#include "transferjob.h"
#include "platform/messages.h"

#include "net/ftpclient.h"

#include <QThread>
#include <exception>

TransferJob::TransferJob(QObject* parent)
    : QObject(parent)
{}

TransferJob::~TransferJob()
{
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool TransferJob::run(Work work)
{
    if (m_running)
        return false;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_stop = false;
    m_running = true;
    m_message.clear();
    m_thread = QThread::create([this, work = std::move(work)] {
        FtpClient ftp;
        ftp.setAbortFlag(&m_stop);
        ftp.setBeginHandler([this](qint64 total) { emit begun(total); });
        ftp.setProgressHandler([this](qint64 done) { emit progressed(done); });
        End end = End::Done;
        QString message;
        try {
            work(ftp);
        } catch (const AppError& e) {
            end = End::Failed;
            message = e.message();
        } catch (const std::exception& e) {
            end = End::Failed;
            message = Msg::unexpectedError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            end = End::Failed;
            message = Msg::unexpectedError(QString());
        }
        ftp.disconnectFromHost();
        if (m_stop && end != End::Done)
            end = End::Stopped;
        QMetaObject::invokeMethod(this, "finish", Qt::QueuedConnection, Q_ARG(int, int(end)), Q_ARG(QString, message));
    });
    m_thread->start();
    return true;
}

void TransferJob::stop()
{
    if (m_running)
        m_stop = true;
}

void TransferJob::finish(int end, const QString& message)
{
    m_running = false;
    m_message = message;
    emit ended(End(end));
}
