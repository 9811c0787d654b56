#include "receiptbook.h"

#include "connection.h"
#include "dberror.h"
#include "platform/messages.h"
#include "transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
QSqlQuery run(Connection* connection, const QString& statement, const QVariantList& values)
{
    QSqlQuery query(connection->database());
    if (!query.prepare(statement))
        throw connection->failure(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw connection->failure(query.lastError());
    return query;
}
} // namespace

QString ReceiptBook::number(qint64 key)
{
    return QStringLiteral("%1").arg(key, 10, 10, QLatin1Char('0'));
}

ReceiptData ReceiptBook::read(Connection* connection, qint64 key)
{
    // users.uid is not unique in every database: the first name of the account stands for it.
    QSqlQuery query = run(
        connection,
        QStringLiteral(
            "SELECT a.scpkey, a.buydate, a.spkey, s.studname, c.classname, a.watchpoint, a.uid, "
            "(SELECT MIN(u.uname) FROM users u WHERE u.uid = a.uid) uname, "
            "(SELECT COALESCE(SUM(b.watchpoint), 0) FROM studclass b WHERE b.spkey <=> a.spkey AND "
            "(b.scpkey = a.scpkey OR b.buydate < a.buydate OR (b.buydate = a.buydate AND b.scpkey < a.scpkey))) "
            "+ (SELECT COALESCE(SUM(w.point), 0) FROM watchlog w WHERE w.spkey = a.spkey AND w.begintime <= a.buydate) "
            "balance, (SELECT corpname FROM corp LIMIT 1) corpname "
            "FROM studclass a LEFT JOIN stud s ON s.spkey = a.spkey LEFT JOIN classroom c ON c.crpkey = a.crpkey "
            "WHERE a.scpkey = ?"),
        {key});
    if (!query.next())
        throw AppError(Msg::receiptNoBooking(number(key)));
    ReceiptData data;
    data.key = query.value(0).toLongLong();
    data.bought = query.value(1).toDateTime();
    data.spkey = query.value(2).toString();
    data.studname = query.value(3).toString();
    data.classname = query.value(4).toString();
    data.points = query.value(5);
    data.uid = query.value(6).toString();
    data.uname = query.value(7).toString();
    data.balance = query.value(8).toLongLong();
    data.corpName = query.value(9).toString();
    return data;
}

ReceiptBook::Copy ReceiptBook::record(Connection* connection, qint64 key, const QString& uid)
{
    Transaction transaction(connection, WriteKind::Save);
    // The booking's row held until the commit: a second workstation's record waits, then counts this one.
    if (!transaction.exec(QStringLiteral("SELECT scpkey FROM studclass WHERE scpkey = ? FOR UPDATE"), {key}).next())
        throw AppError(Msg::receiptNoBooking(number(key)));
    Copy copy;
    copy.recordKey =
        transaction
            .exec(QStringLiteral("INSERT INTO receiptprint (scpkey, printed, uid) VALUES (?, NOW(), ?)"), {key, uid})
            .lastInsertId()
            .toLongLong();
    QSqlQuery count = transaction.exec(QStringLiteral("SELECT COUNT(*) FROM receiptprint WHERE scpkey = ?"), {key});
    copy.number = count.next() ? count.value(0).toInt() : 1;
    transaction.commit();
    return copy;
}

void ReceiptBook::withdraw(Connection* connection, qint64 recordKey)
{
    run(connection, QStringLiteral("DELETE FROM receiptprint WHERE rppkey = ?"), {recordKey});
}

qint64 ReceiptBook::findBooking(Connection* connection, const QString& spkey, const QDateTime& begintime,
                                const QVariant& points, const QString& coursename, int occurrence)
{
    // The same row text as the point query builds for a booking.
    QSqlQuery query = run(
        connection,
        QStringLiteral("SELECT a.scpkey FROM studclass a LEFT JOIN classroom b ON a.crpkey = b.crpkey "
                       "WHERE a.spkey = ? AND a.buydate <=> ? AND a.watchpoint <=> ? "
                       "AND CONCAT('購買 ', b.classname, ' 點數') <=> ? "
                       "ORDER BY a.scpkey LIMIT 1 OFFSET ?"),
        {spkey, begintime.isValid() ? QVariant(begintime) : QVariant(QMetaType(QMetaType::QDateTime)), points,
         coursename.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(coursename), qMax(0, occurrence)});
    return query.next() ? query.value(0).toLongLong() : 0;
}
