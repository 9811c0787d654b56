#include "testsupport.h"

#include "app/appsetup.h"
#include "platform/dialogseam.h"
#include "sandboxdb.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTimer>

void TestSupport::setUp()
{
    DialogSeam::setScripted(true);
    SandboxDb::loadEnvironment();
    setUpApplication();
}

void TestSupport::runWhenModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    auto* elapsed = new QElapsedTimer;
    elapsed->start();
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && elapsed->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete elapsed;
        if (!modal)
            qFatal("No modal window came up");
        action(modal);
    });
    timer->start();
}

QStringList TestSupport::promptTexts()
{
    QStringList texts;
    for (const Prompt& p : DialogSeam::prompts())
        texts << p.text;
    return texts;
}

bool TestSupport::exportAndWait(DBGrid* grid, GridExport::Format format)
{
    ExportJob* job = GridExport::exportGrid(grid, format);
    if (!job)
        return false;
    QSignalSpy finished(job, &ExportJob::finished);
    return finished.wait(60000) && finished.first().first().toBool();
}
