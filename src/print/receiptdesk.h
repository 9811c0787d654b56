#pragma once
// Making a booking's receipt for the clerk: the print dialog or the file dialog first, then the
// receipt recorded (which tells whether it is a reprint, and which copy) and painted. A receipt that
// could not be made takes its record back, so that the next one is not marked as a reprint of it.

#include <QString>

class Connection;
class QWidget;

namespace ReceiptDesk {
/// Prints the receipt of booking key after the print dialog, recorded as made by account; false
/// when the user cancelled. Throws AppError.
bool print(QWidget* parent, Connection* connection, const QString& account, qint64 key, const QString& logoPath);
/// Writes the receipt of booking key to the PDF file the user names, recorded as made by account;
/// returns its copy number (0 when the user cancelled). Throws AppError.
int writePdf(QWidget* parent, Connection* connection, const QString& account, qint64 key, const QString& logoPath,
             const QString& title);
} // namespace ReceiptDesk
