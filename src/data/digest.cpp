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

QString passwordCharactersMessage()
{
    return QStringLiteral("密碼只能使用半形的英文字母、數字、空格與鍵盤上的符號，不可使用中文、全形字元或其他特殊字元");
}

QString passwordCharactersTitle()
{
    return QStringLiteral("密碼含有不允許的字元");
}
