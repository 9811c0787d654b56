#include "workbookcheck.h"

#include "platform/errors.h"
#include "platform/messages.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>
#include <memory>
#include <zip.h>

namespace {
struct ZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

// What one part held, as far as the check needs it.
struct Part {
    qint64 rows = 0;       // <row> elements, for a worksheet
    QStringList partNames; // Override PartName values, for [Content_Types].xml
};

class Checker
{
public:
    Checker(const QString& shown)
        : m_shown(shown)
    {}

    [[noreturn]] void fail(const QString& detail) const { throw AppError(Msg::workbookNotWhole(m_shown, detail)); }

    // Reads the part to its end (libzip checks the CRC there) and, for XML, parses it as it comes.
    Part read(zip_t* zip, zip_uint64_t index, const QString& name) const
    {
        ZipFile file(zip_fopen_index(zip, index, 0));
        if (!file)
            fail(Msg::workbookPartBroken(name, QString::fromUtf8(zip_strerror(zip))));
        const bool xml = name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels"));
        const bool types = name == QLatin1String("[Content_Types].xml");
        Part part;
        QXmlStreamReader reader;
        int depth = 0;
        bool closed = false; // the root element has ended
        char buffer[1 << 16];
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
            if (n < 0)
                fail(Msg::workbookPartBroken(name, QString::fromUtf8(zip_file_strerror(file.get()))));
            if (n == 0)
                break;
            if (!xml)
                continue;
            reader.addData(QByteArray::fromRawData(buffer, qsizetype(n)));
            while (!reader.atEnd()) {
                switch (reader.readNext()) {
                case QXmlStreamReader::StartElement:
                    ++depth;
                    if (reader.name() == QLatin1String("row"))
                        ++part.rows;
                    else if (types && reader.name() == QLatin1String("Override"))
                        part.partNames << reader.attributes().value(QLatin1String("PartName")).toString();
                    break;
                case QXmlStreamReader::EndElement:
                    if (--depth == 0)
                        closed = true;
                    break;
                default:
                    break;
                }
            }
            if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                fail(Msg::workbookPartBroken(name, reader.errorString()));
        }
        if (xml && !closed)
            fail(Msg::workbookPartBroken(name, reader.hasError() ? reader.errorString() : QString()));
        return part;
    }

private:
    QString m_shown;
};
} // namespace

void WorkbookCheck::verify(const QString& path, const QString& shownPath, const QList<qint64>& rowsPerSheet)
{
    const Checker check(shownPath);
    int error = 0;
    Zip zip(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        zip_error_t z;
        zip_error_init_with_code(&z, error);
        const QString detail = QString::fromUtf8(zip_error_strerror(&z));
        zip_error_fini(&z);
        check.fail(detail);
    }
    const zip_int64_t entries = zip_get_num_entries(zip.get(), 0);
    QSet<QString> present;
    QHash<QString, qint64> rows;
    QStringList named;
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* raw = zip_get_name(zip.get(), zip_uint64_t(i), 0);
        if (!raw)
            check.fail(QString::fromUtf8(zip_strerror(zip.get())));
        const QString name = QString::fromUtf8(raw);
        present.insert(name);
        const Part part = check.read(zip.get(), zip_uint64_t(i), name);
        if (name.startsWith(QLatin1String("xl/worksheets/")))
            rows.insert(name, part.rows);
        if (name == QLatin1String("[Content_Types].xml"))
            named = part.partNames;
    }
    if (!present.contains(QStringLiteral("[Content_Types].xml")))
        check.fail(Msg::workbookPartMissing(QStringLiteral("[Content_Types].xml")));
    for (const QString& partName : named) {
        const QString name = partName.startsWith(QLatin1Char('/')) ? partName.mid(1) : partName;
        if (!present.contains(name))
            check.fail(Msg::workbookPartMissing(name));
    }
    for (qsizetype s = 0; s < rowsPerSheet.size(); ++s) {
        const QString sheet = QStringLiteral("xl/worksheets/sheet%1.xml").arg(s + 1);
        if (!rows.contains(sheet))
            check.fail(Msg::workbookPartMissing(sheet));
        if (rows.value(sheet) != rowsPerSheet.at(s))
            check.fail(Msg::workbookRowsMissing(sheet, rows.value(sheet), rowsPerSheet.at(s)));
    }
}
