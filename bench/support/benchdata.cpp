#include "benchdata.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

Bench::Options Bench::parse(const QStringList& args, const Options& defaults)
{
    Options o = defaults;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (args[i] == QLatin1String("--bookings"))
            o.bookings = value;
        else if (args[i] == QLatin1String("--students"))
            o.students = value;
        else if (args[i] == QLatin1String("--classes"))
            o.classes = value;
        else if (args[i] == QLatin1String("--viewings"))
            o.viewings = value;
        else if (args[i] == QLatin1String("--runs"))
            o.runs = std::max(1, value);
        else if (args[i] == QLatin1String("--reuse"))
            o.reuse = value != 0;
    }
    return o;
}

QSqlDatabase& Bench::root()
{
    static QSqlDatabase db = [] {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("bench-root"));
        d.setHostName(qEnvironmentVariable("RYN_SERVER", QStringLiteral("127.0.0.1")));
        d.setPort(qEnvironmentVariableIntValue("RYN_DB_PORT"));
        d.setUserName(QStringLiteral("root"));
        d.setPassword(qEnvironmentVariable("RYN_DB_ROOT_PASSWORD"));
        d.setDatabaseName(QStringLiteral("ryn"));
        if (!d.open())
            qFatal("Cannot reach the private server as root: %s", qPrintable(d.lastError().text()));
        QSqlQuery names(d);
        if (!names.exec(QStringLiteral("SET NAMES utf8mb4")))
            qFatal("SET NAMES utf8mb4: %s", qPrintable(names.lastError().text()));
        return d;
    }();
    return db;
}

void Bench::rootExec(const QString& statement)
{
    QSqlQuery q(root());
    if (!q.exec(statement))
        qFatal("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
}

void Bench::fill(const Options& o)
{
    if (o.reuse)
        return;
    std::printf("Generating %d classes, %d students, %d bookings, %d viewings...\n", o.classes, o.students, o.bookings,
                o.viewings);
    std::fflush(stdout);
    for (const char* table : {"watchlog", "course", "studclass", "stud", "classroom"})
        rootExec(QStringLiteral("TRUNCATE TABLE %1").arg(QLatin1String(table)));
    rootExec(QStringLiteral("INSERT INTO classroom (classname, teacher, classpoint, videopoint) "
                            "SELECT CONCAT('課程 ', seq), ELT(1 + seq % 4, '李老師', '吳老師', '周老師', '王老師'), "
                            "100 + seq % 200, seq % 20 FROM seq_1_to_%1")
                 .arg(o.classes));
    rootExec(QStringLiteral("INSERT INTO stud (spkey, studname, studpwd) "
                            "SELECT CONCAT('S', LPAD(seq, 6, '0')), CONCAT('學生', seq), MD5(seq) FROM seq_1_to_%1")
                 .arg(o.students));
    // Bookings spread over the students and classes, a few without a date or a user.
    rootExec(
        QStringLiteral("INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) "
                       "SELECT IF(seq % 97 = 0, NULL, '2020-01-01 08:00:00' + INTERVAL seq * 3 MINUTE), "
                       "CONCAT('S', LPAD(1 + (seq * 7919) % %2, 6, '0')), 1 + (seq * 31) % %3, "
                       "CAST(seq % 400 AS SIGNED) - 100, "
                       "IF(seq % 50 = 0, NULL, ELT(1 + seq % 6, 'admin', 'staff', 'amy', 'bob', '王小明', 'carol')) "
                       "FROM seq_1_to_%1")
            .arg(o.bookings)
            .arg(o.students)
            .arg(o.classes));
    if (o.viewings <= 0)
        return;
    const int courses = o.classes * 5;
    rootExec(QStringLiteral("INSERT INTO course (crpkey, coursename, videoname, videolen, point, status, isopen) "
                            "SELECT 1 + (seq - 1) DIV 5, CONCAT('第', seq, '課'), CONCAT('v', seq, '.mp4'), "
                            "1200 + seq % 1800, 5 + seq % 10, 'converted', 1 FROM seq_1_to_%1")
                 .arg(courses));
    // Viewings spread over the students and courses, a few of a course that no longer exists; in
    // parts, each well within the connection's two-minute read limit while the indexes grow.
    const int part = 200000;
    for (int first = 1; first <= o.viewings; first += part) {
        rootExec(QStringLiteral("INSERT INTO watchlog (cpkey, spkey, mac, device, point, begintime, endtime) "
                                "SELECT 1 + (seq * 13) % %3, CONCAT('S', LPAD(1 + (seq * 104729) % %2, 6, '0')), "
                                "CONCAT('00:11:22:', LPAD(HEX(seq % 256), 2, '0'), ':44:55'), "
                                "ELT(1 + seq % 4, 'Pixel 7', 'Galaxy S23', 'Redmi Note 12', 'Xperia 10'), "
                                "-(5 + seq % 10), '2020-01-01 09:00:00' + INTERVAL seq MINUTE, "
                                "'2020-01-01 09:30:00' + INTERVAL seq MINUTE FROM seq_%4_to_%1")
                     .arg(std::min(o.viewings, first + part - 1))
                     .arg(o.students)
                     .arg(courses + 10)
                     .arg(first));
    }
}

double Bench::clientMs(const QString& statement, const QString& outputFile)
{
    const QHash<QString, QString> account = parseConnectionString(programConnectionString());
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MYSQL_PWD"), account.value(QStringLiteral("PASSWORD")));
    client.setProcessEnvironment(env);
    client.setStandardOutputFile(outputFile.isEmpty() ? QProcess::nullDevice() : outputFile);
    const ServerSettings server = ServerSettings::load();
    QElapsedTimer timer;
    timer.start();
    client.start(QStringLiteral("mariadb"),
                 {QStringLiteral("--no-defaults"), QStringLiteral("--batch"),
                  QStringLiteral("--default-character-set=utf8mb4"), QStringLiteral("-h") + server.host,
                  QStringLiteral("-P%1").arg(server.dbPort),
                  QStringLiteral("-u") + account.value(QStringLiteral("UID")),
                  account.value(QStringLiteral("DATABASE")), QStringLiteral("-e"), statement});
    if (!client.waitForFinished(600000) || client.exitCode() != 0)
        throw DbError(QStringLiteral("mariadb client failed: ")
                      + QString::fromLocal8Bit(client.readAllStandardError()));
    return double(timer.nsecsElapsed()) / 1e6;
}

double Bench::residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

double Bench::cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double Bench::median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Bench::line(const char* what, const QString& figure)
{
    std::printf("| %-44s | %-34s |\n", what, qPrintable(figure));
}

void Bench::offscreenUnlessAsked()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void Bench::openAsProgram(Connection& connection)
{
    connection.setConnectionString(programConnectionString());
    connection.open();
}
