// Feeds arbitrary bytes to the workbook reader, as a whole file and as a sheet part inside a valid
// workbook. Any input must end in rows or in an AppError, never in a crash, a hang or a leak; every
// row it gives has a number above the one before and at most 16384 cells.

#include "import/xlsxreader.h"
#include "platform/errors.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <zip.h>

namespace {
void readAll(const QByteArray& bytes)
{
    try {
        XlsxReader reader(bytes);
        Sheet::Row row;
        qint64 last = 0;
        while (reader.next(row)) {
            if (row.number <= last || row.cells.size() > 16384)
                std::abort();
            last = row.number;
        }
    } catch (const AppError&) {
    }
}

// A workbook whose first sheet is data, with a shared-strings and a styles part.
QByteArray workbookAround(const QByteArray& data)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    QByteArray out;
    if (archive) {
        zip_source_keep(buffer);
        const auto add = [&](const char* name, const QByteArray& bytes) {
            zip_source_t* s = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
            if (s && zip_file_add(archive, name, s, ZIP_FL_OVERWRITE) < 0)
                zip_source_free(s);
        };
        const QByteArray book =
            "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets><sheet "
            "name=\"a\" r:id=\"rId1\"/></sheets></workbook>";
        const QByteArray rels =
            "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
        const QByteArray shared = "<sst><si><t>a</t></si><si><r><t>b</t></r><rPh><t>x</t></rPh></si></sst>";
        const QByteArray styles =
            "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy/mm/dd\"/></numFmts>"
            "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>";
        add("xl/workbook.xml", book);
        add("xl/_rels/workbook.xml.rels", rels);
        add("xl/sharedStrings.xml", shared);
        add("xl/styles.xml", styles);
        add("xl/worksheets/sheet1.xml", data);
        if (zip_close(archive) == 0 && zip_source_open(buffer) == 0) {
            char chunk[65536];
            zip_int64_t n;
            while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
                out.append(chunk, qsizetype(n));
            zip_source_close(buffer);
        } else {
            zip_discard(archive);
        }
        zip_source_free(buffer);
    }
    zip_error_fini(&error);
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith("PK")) {
        readAll(bytes);
        return 0;
    }
    readAll(workbookAround(bytes));
    return 0;
}
