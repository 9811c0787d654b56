// How fast the courses window sends a video: a large file through the window's upload path (file
// check, status writes, the store with its progress events, the size check on the server) against
// `curl -T` sending the same file to the same FTP server, runs taken in turns. Run by
// scripts/bench-upload, which starts private servers for it and removes them afterwards. During the
// window's uploads a 10 ms timer runs on the interface's thread: its worst lateness is the longest
// the event loop was kept from the user while a video travelled.
//
//   bench_upload [--mib N] [--runs N]

#include "session/session.h"
#include "data/connection.h"
#include "benchdata.h"
#include "data/snapshottable.h"
#include "forms/coursewindow.h"
#include "forms/ftpupload.h"
#include "net/ftpsettings.h"
#include "platform/dialogseam.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct Options {
    int mib = 1024;
    int runs = 3;
};

Options parse(const QStringList& args)
{
    Options o;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (args[i] == QLatin1String("--mib"))
            o.mib = std::max(1, value);
        else if (args[i] == QLatin1String("--runs"))
            o.runs = std::max(1, value);
    }
    return o;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// A file of mib MiB of varied bytes (a repeated random block), written once.
void writeVideo(const QString& path, int mib)
{
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (char& c : block)
        c = char(QRandomGenerator::global()->bounded(256));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("cannot write %1").arg(path));
    for (int i = 0; i < mib; ++i) {
        block[0] = char(i);
        if (f.write(block) != block.size())
            throw AppError(QStringLiteral("cannot write %1").arg(path));
    }
}

QString serverFile(const QString& name)
{
    return qEnvironmentVariable("RYN_FTP_ROOT") + QStringLiteral("/var/www/html/movies/") + name;
}

/// Seconds that curl takes to send the file to the video folder.
double curlUpload(const QString& path, const QString& remoteName)
{
    const FtpSettings s = FtpSettings::videoServer();
    const QString url = QStringLiteral("ftp://%1:%2/%3%4").arg(s.host).arg(s.port).arg(s.directory.mid(1), remoteName);
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"), {QStringLiteral("-sS"), QStringLiteral("--ftp-pasv"), QStringLiteral("-u"),
                                        s.user + QLatin1Char(':') + s.password, QStringLiteral("-T"), path, url});
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0)
        throw AppError(QStringLiteral("curl failed: %1").arg(QString::fromLocal8Bit(curl.readAllStandardError())));
    return double(clock.nsecsElapsed()) / 1e9;
}

/// The worst lateness of a 10 ms timer on the interface's thread while it lives.
class LatenessMeter
{
public:
    LatenessMeter()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(10);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            m_worstMs = std::max(m_worstMs, double(m_since.nsecsElapsed()) / 1e6 - 10.0);
            m_since.restart();
        });
        m_since.start();
        m_tick.start();
    }
    double worstMs() const { return m_worstMs; }

private:
    QTimer m_tick;
    QElapsedTimer m_since;
    double m_worstMs = 0;
};

/// The same timer's worst lateness while the interface's thread waits for nothing for seconds: what
/// the machine itself costs the event loop, run beside each upload as its reference.
double idleLateness(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    const LatenessMeter meter;
    loop.exec();
    return meter.worstMs();
}

/// Seconds that the courses window takes from the chosen file to "上傳完畢"; lateMs takes the worst
/// lateness of a 10 ms timer on the interface's thread meanwhile.
double windowUpload(CourseWindow& form, const QString& path, double& lateMs)
{
    form.btnEditClick();
    DialogSeam::clear();
    DialogSeam::queueFileName(path);
    DialogSeam::queueAnswer(Win::IDOK);
    QEventLoop loop;
    QObject::connect(form.ftpUpload, &TransferJob::ended, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    const LatenessMeter meter;
    bool ok = guarded([&] { form.btnUploadClick(); });
    if (ok && form.ftpUpload->running())
        loop.exec();
    lateMs = meter.worstMs();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!ok || DialogSeam::last().text != QStringLiteral("上傳完畢"))
        throw AppError(QStringLiteral("the window's upload failed: %1").arg(DialogSeam::last().text));
    return seconds;
}
} // namespace

int main(int argc, char** argv)
{
    Bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    const Options o = parse(app.arguments());
    DialogSeam::setScripted(true);
    try {
        QTemporaryDir local;
        const QString path = local.filePath(QStringLiteral("benchvideo.mp4"));
        writeVideo(path, o.mib);
        const double bytes = double(QFileInfo(path).size());

        Connection connection;
        Bench::openAsProgram(connection);
        Session admin;
        admin.account = QStringLiteral("admin");
        admin.watermark = true;
        CourseWindow form(&connection, admin);
        form.show();

        curlUpload(path, QStringLiteral("warmup.mp4")); // the local file into the page cache
        QFile::remove(serverFile(QStringLiteral("warmup.mp4")));
        std::vector<double> curl;
        std::vector<double> window;
        std::vector<double> late;
        std::vector<double> idle;
        for (int i = 0; i < o.runs; ++i) {
            curl.push_back(curlUpload(path, QStringLiteral("curlcopy.mp4")));
            QFile::remove(serverFile(QStringLiteral("curlcopy.mp4")));
            double lateMs = 0;
            window.push_back(windowUpload(form, path, lateMs));
            late.push_back(lateMs);
            idle.push_back(idleLateness(window.back()));
            if (QFileInfo(serverFile(QStringLiteral("benchvideo.mp4"))).size() != qint64(bytes))
                throw AppError(QStringLiteral("the server's copy is not whole"));
            QFile::remove(serverFile(QStringLiteral("benchvideo.mp4")));
            std::printf("run %d: curl %.2f s, window %.2f s, event loop late by at most %.1f ms (idle: %.1f ms)\n",
                        i + 1, curl.back(), window.back(), late.back(), idle.back());
        }
        const double mib = bytes / (1 << 20);
        const double curlRate = mib / median(curl);
        const double windowRate = mib / median(window);
        std::printf("\nUpload of %.0f MiB to the private FTP server (median of %d runs)\n", mib, o.runs);
        std::printf("| Measure                         | Result        |\n");
        std::printf("| ------------------------------- | ------------- |\n");
        std::printf("| curl -T                         | %6.1f MiB/s  |\n", curlRate);
        std::printf("| courses window upload           | %6.1f MiB/s  |\n", windowRate);
        std::printf("| window / curl throughput        | %6.2f        |\n", windowRate / curlRate);
        std::printf("| curl runs (s)                   | %.2f to %.2f |\n", *std::min_element(curl.begin(), curl.end()),
                    *std::max_element(curl.begin(), curl.end()));
        std::printf("| window runs (s)                 | %.2f to %.2f |\n",
                    *std::min_element(window.begin(), window.end()), *std::max_element(window.begin(), window.end()));
        std::printf("| event loop's worst lateness     | %6.1f ms     |\n",
                    *std::max_element(late.begin(), late.end()));
        std::printf("| same, idle for as long          | %6.1f ms     |\n",
                    *std::max_element(idle.begin(), idle.end()));
        std::printf("| lateness, median of runs        | %6.1f ms     |\n", median(late));
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_upload: %s\n", qPrintable(e.message()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_upload: %s\n", e.what());
    }
    return 1;
}
