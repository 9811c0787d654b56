#pragma once
// Local files of the tests: sources of transfers, and what arrived on the server read back.

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

namespace TestFiles {
/// The whole content of path, or "(missing)" when it cannot be read.
inline QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

/// Writes bytes over path and returns path; a failure stops the test program.
inline QString write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/// size bytes of noise.
inline QByteArray random(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    for (int i = size / 4 * 4; i < size; ++i)
        bytes[i] = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}
} // namespace TestFiles
