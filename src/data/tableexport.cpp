#include "tableexport.h"
#include "platform/messages.h"
#include "workbookcheck.h"

#include "platform/errors.h"
#include "platform/replacefile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <charconv>
#include <cmath>
#include <string>
#include <xlsxwriter.h>

namespace {

constexpr qint64 kProgressEvery = 4096;
constexpr qint64 kSheetRows = LXW_ROW_MAX - 1; // the first row of a sheet holds the titles

// Asked every kProgressEvery rows and at the end.
bool goOn(const TableExport::Progress& progress, qint64 done, qint64 total)
{
    return !progress || progress(done, total);
}

bool isNumber(std::string_view text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const std::from_chars_result r = std::from_chars(text.data() + (text.size() > 1 && text[0] == '+'), end, value);
    // "inf", "-nan(x)" and the like are words to a spreadsheet, not numbers.
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

int digitsAt(qint64 packed, int divisor, int width)
{
    qint64 v = packed;
    for (int i = 0; i < divisor; ++i)
        v /= 10;
    int mod = 1;
    for (int i = 0; i < width; ++i)
        mod *= 10;
    return int(v % mod);
}

// The 19 characters "yyyy?MM?dd HH:mm:ss" of a packed date-time, with dateSeparator for "?".
void formatDateTime(qint64 packed, char dateSeparator, char* out)
{
    char digits[14];
    for (int i = 13; i >= 0; --i, packed /= 10)
        digits[i] = char('0' + packed % 10);
    const char* d = digits;
    for (const char after : {dateSeparator, dateSeparator, ' ', ':', ':', '\0'}) {
        for (int i = d == digits ? 4 : 2; i > 0; --i)
            *out++ = *d++;
        if (after)
            *out++ = after;
    }
}

// Throws AppError naming shownName with the device's reason when not every byte was taken. (A
// ReplaceFile's device keeps the reason of a short write, which carries none of its own.)
void write(QIODevice& device, const QString& shownName, const char* data, qint64 size)
{
    if (device.write(data, size) != size)
        throw AppError(Msg::cannotWrite(shownName, device.errorString()));
}

// ---- CSV ----

class CsvOut
{
public:
    CsvOut(QIODevice& device, const QString& shownName)
        : m_device(device)
        , m_shown(shownName)
    {
        m_buffer.reserve(kFlushAt + 4096);
    }

    void text(std::string_view s)
    {
        const bool formula = TableExport::looksLikeFormula(s);
        const bool quoted = s.find_first_of(",\"\r\n") != std::string_view::npos;
        if (quoted)
            m_buffer += '"';
        if (formula)
            m_buffer += '\'';
        for (char c : s) {
            if (c == '"')
                m_buffer += '"';
            m_buffer += c;
        }
        if (quoted)
            m_buffer += '"';
    }
    void integer(qint64 v)
    {
        char b[24];
        m_buffer.append(b, size_t(std::to_chars(b, b + sizeof b, v).ptr - b));
    }
    void real(double v)
    {
        char b[32];
        m_buffer.append(b, size_t(std::to_chars(b, b + sizeof b, v).ptr - b));
    }
    // yyyy-MM-dd HH:mm:ss, the form every spreadsheet reads as a date and time.
    void dateTime(qint64 packed)
    {
        char b[19];
        formatDateTime(packed, '-', b);
        m_buffer.append(b, sizeof b);
    }
    void separator() { m_buffer += ','; }
    void endLine()
    {
        m_buffer += "\r\n";
        if (m_buffer.size() >= kFlushAt)
            flush();
    }
    void flush()
    {
        if (!m_buffer.empty())
            write(m_device, m_shown, m_buffer.data(), qint64(m_buffer.size()));
        m_buffer.clear();
    }

private:
    static constexpr size_t kFlushAt = 1 << 20;
    QIODevice& m_device;
    QString m_shown;
    std::string m_buffer;
};

// ---- XLSX ----

QString xlsxError(const QString& path, lxw_error error)
{
    return Msg::cannotWrite(path, QString::fromUtf8(lxw_strerror(error)));
}

class XlsxOut
{
public:
    // The library's own temporary files go beside the target too (they are gone once it closes):
    // left to itself it puts them in /tmp, whatever the target's folder, and does not check them.
    XlsxOut(const QString& tempPath, const QString& shownPath, const ExportSource& source)
        : m_path(shownPath)
        , m_source(source)
        , m_tempDir(QFile::encodeName(QFileInfo(tempPath).absolutePath()))
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_tempDir.data();
        m_book = workbook_new_opt(QFile::encodeName(tempPath).constData(), &options);
        if (!m_book)
            throw AppError(Msg::cannotCreate(shownPath));
        m_titleFormat = workbook_add_format(m_book);
        m_dateFormat = workbook_add_format(m_book);
        if (!m_titleFormat || !m_dateFormat)
            throw AppError(xlsxError(m_path, LXW_ERROR_MEMORY_MALLOC_FAILED));
        format_set_bold(m_titleFormat);
        format_set_num_format(m_dateFormat, "yyyy/mm/dd hh:mm:ss");
    }
    ~XlsxOut()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }

    void newSheet()
    {
        m_sheet = workbook_add_worksheet(m_book, nullptr);
        if (!m_sheet)
            throw AppError(xlsxError(m_path, LXW_ERROR_MEMORY_MALLOC_FAILED));
        for (int c = 0; c < m_source.columnCount(); ++c) {
            check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), 18, nullptr));
            const QByteArray title = m_source.columnTitle(c).toUtf8();
            check(worksheet_write_string(m_sheet, 0, lxw_col_t(c), title.constData(), m_titleFormat));
        }
        m_rows << (m_source.columnCount() > 0 ? 1 : 0);
    }

    // A row of only empty cells leaves no row in the sheet; the others are counted for the check.
    void row(lxw_row_t row, qint64 sourceRow)
    {
        bool any = false;
        for (int c = 0; c < m_source.columnCount(); ++c) {
            m_source.cell(sourceRow, c, m_cell);
            any = cell(row, lxw_col_t(c), m_cell) || any;
        }
        if (any)
            ++m_rows.last();
    }

    /// Closes the workbook; returns the rows each sheet holds.
    QList<qint64> close()
    {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        const lxw_error error = workbook_close(book);
        if (error != LXW_NO_ERROR)
            throw AppError(xlsxError(m_path, error));
        return m_rows;
    }

private:
    bool cell(lxw_row_t row, lxw_col_t col, const ExportCell& cell)
    {
        switch (cell.kind) {
        case ExportCell::Empty:
            return false;
        case ExportCell::Integer:
            // Beyond 2^53 a spreadsheet's number would round: the digits go as text.
            if (cell.integer > (qint64(1) << 53) || cell.integer < -(qint64(1) << 53)) {
                char b[24];
                text(row, col, std::string_view(b, size_t(std::to_chars(b, b + sizeof b, cell.integer).ptr - b)));
                return true;
            }
            check(worksheet_write_number(m_sheet, row, col, double(cell.integer), nullptr));
            return true;
        case ExportCell::Real:
            check(worksheet_write_number(m_sheet, row, col, cell.real, nullptr));
            return true;
        case ExportCell::DateTime: {
            const qint64 p = cell.integer;
            lxw_datetime dt{digitsAt(p, 10, 4), digitsAt(p, 8, 2), digitsAt(p, 6, 2),
                            digitsAt(p, 4, 2),  digitsAt(p, 2, 2), double(digitsAt(p, 0, 2))};
            // Spreadsheet dates begin in 1900; an earlier (or zero) date stays as the grid shows it.
            if (dt.year < 1900) {
                char b[19];
                formatDateTime(p, '/', b);
                text(row, col, std::string_view(b, sizeof b));
                return true;
            }
            check(worksheet_write_datetime(m_sheet, row, col, &dt, m_dateFormat));
            return true;
        }
        case ExportCell::Text:
            text(row, col, cell.text);
            return true;
        }
        return false;
    }
    void text(lxw_row_t row, lxw_col_t col, std::string_view s)
    {
        m_text.assign(s.data(), s.size());
        check(worksheet_write_string(m_sheet, row, col, m_text.c_str(), nullptr));
    }
    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            throw AppError(xlsxError(m_path, error));
    }

    QString m_path;
    const ExportSource& m_source;
    QByteArray m_tempDir;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_titleFormat = nullptr;
    lxw_format* m_dateFormat = nullptr;
    std::string m_text;
    ExportCell m_cell;
    QList<qint64> m_rows; // per sheet, titles included
};

// Writes the rows into a workbook at path; false when progress cancelled. sheetRows: the rows each
// sheet holds, titles included, for the check of the file.
bool writeWorkbook(const ExportSource& source, const QString& path, const QString& shown,
                   const TableExport::Progress& progress, QList<qint64>& sheetRows)
{
    XlsxOut out(path, shown, source);
    const qint64 rows = source.rowCount();
    lxw_row_t sheetRow = 0;
    for (qint64 r = 0; r < rows || r == 0; ++r) {
        if (r % kSheetRows == 0) {
            out.newSheet();
            sheetRow = 0;
        }
        if (r == rows)
            break;
        if (r % kProgressEvery == 0 && !goOn(progress, r, rows))
            return false;
        out.row(++sheetRow, r);
    }
    sheetRows = out.close();
    return goOn(progress, rows, rows);
}

} // namespace

bool TableExport::looksLikeFormula(std::string_view text)
{
    if (text.empty())
        return false;
    const char c = text[0];
    return (c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r') && !isNumber(text);
}

bool TableExport::writeCsv(const ExportSource& source, QIODevice& device, const QString& shownName,
                           const Progress& progress)
{
    CsvOut out(device, shownName);
    write(device, shownName, "\xEF\xBB\xBF", 3);
    const int columns = source.columnCount();
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            out.separator();
        const QByteArray title = source.columnTitle(c).toUtf8();
        out.text(std::string_view(title.constData(), size_t(title.size())));
    }
    out.endLine();
    const qint64 rows = source.rowCount();
    ExportCell cell;
    for (qint64 r = 0; r < rows; ++r) {
        if (r % kProgressEvery == 0 && !goOn(progress, r, rows))
            return false;
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out.separator();
            source.cell(r, c, cell);
            switch (cell.kind) {
            case ExportCell::Empty:
                break;
            case ExportCell::Integer:
                out.integer(cell.integer);
                break;
            case ExportCell::Real:
                out.real(cell.real);
                break;
            case ExportCell::DateTime:
                out.dateTime(cell.integer);
                break;
            case ExportCell::Text:
                out.text(cell.text);
                break;
            }
        }
        out.endLine();
    }
    out.flush();
    return goOn(progress, rows, rows);
}

bool TableExport::writeCsv(const ExportSource& source, const QString& path, const Progress& progress)
{
    ReplaceFile file(path);
    if (!writeCsv(source, file.file(), QDir::toNativeSeparators(path), progress))
        return false;
    file.commit();
    return true;
}

bool TableExport::writeXlsx(const ExportSource& source, const QString& path, const Progress& progress)
{
    ReplaceFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    QList<qint64> sheetRows;
    if (!writeWorkbook(source, file.tempPath(), shown, progress, sheetRows))
        return false;
    file.commit([&](const QString& written) { WorkbookCheck::verify(written, shown, sheetRows); });
    return true;
}

bool TableExport::writeXlsx(const ExportSource& source, QIODevice& device, const QString& shownName,
                            const Progress& progress)
{
    // The library writes a workbook by name only: it is made in a folder of its own, checked, and
    // then copied to the device whole.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw AppError(Msg::cannotCreate(shownName, dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("export.xlsx"));
    QList<qint64> sheetRows;
    if (!writeWorkbook(source, path, shownName, progress, sheetRows))
        return false;
    WorkbookCheck::verify(path, shownName, sheetRows);
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly))
        throw AppError(Msg::cannotWrite(shownName, written.errorString()));
    QByteArray chunk;
    while (!(chunk = written.read(1 << 20)).isEmpty())
        write(device, shownName, chunk.constData(), chunk.size());
    if (written.error() != QFileDevice::NoError)
        throw AppError(Msg::cannotWrite(shownName, written.errorString()));
    return true;
}
