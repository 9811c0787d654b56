#include "digest.h"

#include <QCryptographicHash>
#include <QList>

QString MD5(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // One "?" per character: a surrogate pair is one character outside ASCII.
    for (const uint c : text.toUcs4())
        bytes.append(c < 0x80 ? char(c) : '?');
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

bool isPrintableAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}
