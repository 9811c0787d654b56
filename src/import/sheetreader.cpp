#include "sheetreader.h"

#include "csvreader.h"
#include "xlsxreader.h"
#include "platform/errors.h"
#include "platform/messages.h"

#include <QFile>
#include <QFileInfo>

namespace {
// A CSV reader that owns its file.
class CsvFileReader : public Sheet::Reader
{
public:
    explicit CsvFileReader(std::unique_ptr<QFile> file)
        : m_file(std::move(file))
        , m_reader(m_file.get())
    {}
    QString encoding() const override { return m_reader.encoding(); }
    bool next(Sheet::Row& row) override { return m_reader.next(row); }

private:
    std::unique_ptr<QFile> m_file;
    CsvReader m_reader;
};
} // namespace

std::unique_ptr<Sheet::Reader> Sheet::open(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw AppError(Msg::cannotOpen(path, file->errorString()));
    if (file->size() > MaxFileBytes)
        throw AppError(Msg::importTooLarge());
    if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0) {
        const QByteArray bytes = file->readAll();
        if (bytes.size() != file->size())
            throw AppError(Msg::cannotOpen(path, file->errorString()));
        return std::make_unique<XlsxReader>(bytes);
    }
    return std::make_unique<CsvFileReader>(std::move(file));
}

bool Sheet::blank(const Row& row)
{
    for (const QString& cell : row.cells)
        for (const QChar c : cell)
            if (c.unicode() > 0x20)
                return false;
    return true;
}
