// Feeds arbitrary bytes to the translation-table decoder. Whatever it accepts must encode back to
// bytes that decode to the same tree and are never longer than the input.

#include "lang/langdata.h"
#include "lang/langtables.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>

// Seeds an empty corpus directory (the first argument that is not an option) with the byte form of
// every window's table, so that the fuzzer starts from real tables.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    for (int i = 1; i < *argc; ++i) {
        const QString arg = QString::fromLocal8Bit((*argv)[i]);
        if (arg.startsWith(QLatin1Char('-')))
            continue;
        QDir dir(arg);
        if (dir.exists() && dir.isEmpty()) {
            for (const QString& window : LangTables::windowNames()) {
                QFile seed(dir.filePath(window));
                if (seed.open(QIODevice::WriteOnly))
                    seed.write(LangData::encode(LangTables::forWindow(window)));
            }
        }
        break;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<LangEntry> decoded = LangData::decode(bytes, &error);
    if (!decoded) {
        if (error.isEmpty())
            abort();
        return 0;
    }
    const QByteArray again = LangData::encode(*decoded);
    if (again.size() > bytes.size())
        abort();
    const std::optional<LangEntry> round = LangData::decode(again);
    if (!round || *round != *decoded)
        abort();
    return 0;
}
