#pragma once
// The first worksheet of an Excel workbook (.xlsx): a zip archive of XML parts, opened with libzip
// and read with Qt's XML stream reader, the sheet part streamed a piece at a time. Cells give their
// text as a user sees it: shared and inline strings, numbers without a needless ".0", booleans as
// TRUE and FALSE, and numbers whose number format is a date as "yyyy/MM/dd" or
// "yyyy/MM/dd HH:mm:ss". Formulas give their cached value.

#include "sheetreader.h"

#include <QByteArray>
#include <QList>
#include <QXmlStreamReader>

struct zip;
struct zip_file;

class XlsxReader : public Sheet::Reader
{
public:
    /// Opens the workbook in bytes (copied). Throws AppError when it is not a readable workbook.
    explicit XlsxReader(const QByteArray& bytes);
    ~XlsxReader() override;
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    QString encoding() const override { return QStringLiteral("Excel (.xlsx)"); }
    bool next(Sheet::Row& row) override;

private:
    QByteArray part(const QString& name, bool required);
    void readWorkbook();
    void readSharedStrings();
    void readStyles();
    bool readMore();
    QString cellText(const QString& type, int style, const QString& value) const;

    QByteArray m_bytes;
    zip* m_archive = nullptr;
    zip_file* m_sheet = nullptr;
    QString m_sheetPath;
    qint64 m_sheetRead = 0;
    bool m_date1904 = false;
    QStringList m_shared;
    QList<bool> m_dateStyles; ///< by cell style index: its number format shows a date
    QXmlStreamReader m_xml;
    bool m_sheetDone = false;
    qint64 m_lastRow = 0;
};
