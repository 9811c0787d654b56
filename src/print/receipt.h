#pragma once
// The receipt of one point booking on an A6 page: the company's name and logo, the receipt's number
// (the booking's key), the date and time, the student, the class, the points added or deducted, the
// staff account and the balance after the booking; a copy after the first is marked as a reprint
// with its copy number. Painted by the page routine every printed paper shares.

#include "data/receiptbook.h"
#include "pagepainter.h"

#include <QFont>
#include <QList>
#include <QPair>

class QPagedPaintDevice;

class Receipt
{
public:
    /// copy: 1 for the first receipt of the booking; a later one is marked as a reprint.
    Receipt(const ReceiptData& data, int copy, const QString& logoPath, const QFont& font);

    static void setUpPage(QPagedPaintDevice* device);
    /// Paints the receipt onto device; throws AppError. Returns the number of pages (1).
    int paint(QPagedPaintDevice* device) const;
    /// Writes the receipt as a PDF file, whole or not at all; throws AppError.
    int writePdf(const QString& path) const;

    PageHeading heading() const;
    /// The lines of label and value, in order.
    QList<QPair<QString, QString>> lines() const;

private:
    PagePainter::Content content() const;

    ReceiptData m_data;
    int m_copy;
    QString m_logoPath;
    QFont m_font;
};
