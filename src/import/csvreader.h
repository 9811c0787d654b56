#pragma once
// CSV as RFC 4180 describes it: fields separated by commas, records by CR LF (a lone LF or CR is
// taken too), a field in double quotes may hold commas, line breaks and doubled quotes. The text is
// UTF-8, with or without a byte-order mark, or Big5 (what a spreadsheet on a Traditional Chinese
// system writes as "CSV"): a file that is not valid UTF-8 is read as Big5.

#include "sheetreader.h"

#include <QFile>
#include <QStringDecoder>

class CsvReader : public Sheet::Reader
{
public:
    /// Reads bytes from device, which stays owned by the caller; the encoding is decided from the
    /// whole content, read once before the first record (the device must be able to seek).
    explicit CsvReader(QIODevice* device);

    QString encoding() const override { return m_encoding; }
    bool next(Sheet::Row& row) override;

private:
    bool fill();

    QIODevice* m_device;
    QString m_encoding;
    QStringDecoder m_decoder;
    QString m_text;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    qint64 m_record = 0;
};
