#pragma once
// The receipts of point bookings: what a receipt shows of a booking, read from the server, and the
// record of every receipt printed or written (table receiptprint), from which any copy after the
// first is known to be a reprint and gets its copy number. Every value reaches the server bound.

#include <QDateTime>
#include <QString>
#include <QVariant>

class Connection;

struct ReceiptData {
    QString corpName; ///< the company's name, which heads the receipt
    qint64 key = 0;
    QDateTime bought; ///< invalid when the booking has no date
    QString spkey;
    QString studname;
    QString classname;
    QVariant points; ///< null when the booking has none
    QString uid;
    QString uname;
    /// The student's balance right after this booking: the bookings up to it (earlier ones and those
    /// of the same second with a smaller key) and the viewings that began by its time.
    qint64 balance = 0;
};

namespace ReceiptBook {
/// The receipt's number: the booking's key, zero-padded to 10 digits.
QString number(qint64 key);
/// Reads booking key; throws DbError, AppError when there is no such booking.
ReceiptData read(Connection* connection, qint64 key);

struct Copy {
    qint64 recordKey = 0;
    int number = 0; ///< 1 for the first receipt of the booking, 2 for the first reprint, ...
};
/// Records one receipt of booking key made now by the account uid, in one transaction that holds
/// the booking's row, so two workstations printing at once get different copy numbers. Throws
/// DbError (also when the booking is gone: AppError).
Copy record(Connection* connection, qint64 key, const QString& uid);
/// Takes back a record whose receipt could not be made.
void withdraw(Connection* connection, qint64 recordKey);

/// The key of the booking that the point query's log shows as a row of the student spkey at time
/// begintime with points and the text coursename ("購買 <class> 點數"): the occurrence-th (from 0)
/// of the bookings that show alike, in key order; 0 when no booking shows so (a viewing's row).
qint64 findBooking(Connection* connection, const QString& spkey, const QDateTime& begintime, const QVariant& points,
                   const QString& coursename, int occurrence);
} // namespace ReceiptBook
