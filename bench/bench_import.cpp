// Importing students from a spreadsheet: 100,000 new students read from an XLSX and from a CSV
// file, checked (against the file's other rows and the stored numbers) and written in one
// transaction, against the mariadb command-line client running the same rows as multi-row INSERTs
// of the same size from an SQL file. Also the resident memory the import adds while it checks
// (the preview) and while it writes, for a tenth of the rows and for all of them. Run by
// scripts/bench on a private server.
//
//   bench_import [--students N] [--runs N]

#include "benchdata.h"
#include "data/connection.h"
#include "data/exportsource.h"
#include "data/tableexport.h"
#include "import/batchwriter.h"
#include "import/importcheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace Bench;

namespace {
class Students : public ExportSource
{
public:
    explicit Students(int rows)
        : m_rows(rows)
    {}
    int columnCount() const override { return 3; }
    QString columnTitle(int column) const override
    {
        return column == 0 ? QStringLiteral("學號") : column == 1 ? QStringLiteral("學生姓名") : QStringLiteral("密碼");
    }
    qint64 rowCount() const override { return m_rows; }
    void cell(qint64 row, int column, ExportCell& out) const override
    {
        out.setText(column == 0   ? QStringLiteral("IMP%1").arg(row, 7, 10, QLatin1Char('0'))
                    : column == 1 ? QStringLiteral("匯入學生%1").arg(row % 100000)
                                  : QStringLiteral("pw%1").arg(row));
    }

private:
    int m_rows;
};

void writeSql(const QString& path, int rows)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    const Students s(rows);
    ExportCell cell;
    QByteArray out = "SET NAMES utf8mb4;\nSTART TRANSACTION;\n";
    for (int r = 0; r < rows; ++r) {
        out += r % Import::BatchRows == 0 ? "INSERT INTO stud (spkey,studname,studpwd) VALUES " : ",";
        QStringList values;
        for (int c = 0; c < 3; ++c) {
            s.cell(r, c, cell);
            values.append(QLatin1Char('\'') + QString::fromUtf8(cell.text.data(), qsizetype(cell.text.size()))
                          + QLatin1Char('\''));
        }
        out += "(" + values.join(QLatin1Char(',')).toUtf8() + ")";
        if (r % Import::BatchRows == Import::BatchRows - 1 || r == rows - 1)
            out += ";\n";
    }
    out += "COMMIT;\n";
    f.write(out);
}

struct Run {
    double ms = 0;
    double previewBytes = 0; ///< resident memory added by the preview
    double writeBytes = 0;   ///< resident memory added at the most while writing, beyond the preview
};

Run importFile(Connection& c, const QString& path)
{
    Run run;
    const Import::Rules rules = Import::Rules::students();
    const double before = residentBytes();
    run.ms = timed([&] {
        const Import::Stored stored = Import::readStored(&c, rules);
        const Import::Preview preview = Import::preview(path, rules, Import::knownTitles(rules), stored);
        if (!preview.errors.isEmpty())
            qFatal("unexpected faults: %s", qPrintable(preview.errors.first().reason));
        const double afterPreview = residentBytes();
        run.previewBytes = afterPreview - before;
        double peak = afterPreview;
        const Import::Written w = Import::writeRows(&c, preview, rules, stored, [&](qint64) {
            peak = std::max(peak, residentBytes());
            return true;
        });
        run.writeBytes = peak - afterPreview;
        if (w.rows != preview.rows)
            qFatal("wrote %lld of %lld rows", w.rows, preview.rows);
    });
    return run;
}

QString mb(double bytes)
{
    return QString::number(bytes / 1048576.0, 'f', 1) + QStringLiteral(" MB");
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options defaults;
    defaults.students = 100000;
    const Options o = parse(app.arguments(), defaults);
    try {
        Connection connection;
        Bench::openAsProgram(connection);
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-import-XXXXXX"));
        const QString sql = dir.filePath(QStringLiteral("students.sql"));
        const QString csv = dir.filePath(QStringLiteral("students.csv"));
        const QString xlsx = dir.filePath(QStringLiteral("students.xlsx"));
        const QString csvTenth = dir.filePath(QStringLiteral("tenth.csv"));
        writeSql(sql, o.students);
        TableExport::writeCsv(Students(o.students), csv);
        TableExport::writeXlsx(Students(o.students), xlsx);
        TableExport::writeCsv(Students(o.students / 10), csvTenth);
        const auto clear = [&] { connection.execute(QStringLiteral("DELETE FROM stud WHERE spkey LIKE 'IMP%'")); };

        // The memory figures first, in a process that has not imported yet: a tenth, then all rows.
        clear();
        const Run tenth = importFile(connection, csvTenth);
        clear();
        const Run firstCsv = importFile(connection, csv);
        std::vector<double> client, fromCsv, fromXlsx;
        Run lastCsv, lastXlsx;
        for (int i = 0; i < o.runs; ++i) {
            clear();
            client.push_back(clientMs(QStringLiteral("source ") + sql));
            clear();
            lastCsv = importFile(connection, csv);
            fromCsv.push_back(lastCsv.ms);
            clear();
            lastXlsx = importFile(connection, xlsx);
            fromXlsx.push_back(lastXlsx.ms);
        }
        clear();

        const double ref = median(client);
        std::printf("Import of %d students, median of %d runs\n\n", o.students, o.runs);
        std::printf("| %-44s | %-34s |\n|---|---|\n", "measure", "figure");
        line("mariadb client, same rows as INSERTs", QString::number(ref, 'f', 0) + QStringLiteral(" ms"));
        line("import from CSV (read, check, write)", QStringLiteral("%1 ms (%2x the client)")
                                                         .arg(median(fromCsv), 0, 'f', 0)
                                                         .arg(median(fromCsv) / ref, 0, 'f', 2));
        line("import from XLSX (read, check, write)", QStringLiteral("%1 ms (%2x the client)")
                                                          .arg(median(fromXlsx), 0, 'f', 0)
                                                          .arg(median(fromXlsx) / ref, 0, 'f', 2));
        line("memory added by the preview, CSV, a tenth", mb(tenth.previewBytes));
        line("memory added by the preview, CSV, all rows", mb(firstCsv.previewBytes));
        line("memory added while writing, CSV, a tenth", mb(tenth.writeBytes));
        line("memory added while writing, CSV, all rows", mb(firstCsv.writeBytes));
        line("memory added while writing, XLSX, all rows", mb(lastXlsx.writeBytes));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
