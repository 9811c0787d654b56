// Feeds arbitrary bytes to the language-file reader in both modes. Every input must end in a file
// or in the reader's own error; a crash, a hang, a sanitizer report or a broken promise is a find.

#include "lang/langfile.h"
#include "platform/errors.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (LangFile::Mode mode : {LangFile::Mode::ParametersOnly, LangFile::Mode::Full}) {
        try {
            const LangFile file = LangFile::parse(bytes, mode);
            file.languageId();
            const QStringList names = file.sectionNames();
            if (mode == LangFile::Mode::ParametersOnly && !names.isEmpty())
                abort();
            for (const QString& name : names) {
                const QHash<qint32, QString>* section = file.section(name);
                if (!section)
                    abort();
                for (auto it = section->cbegin(); it != section->cend(); ++it)
                    if (it.key() <= 0)
                        abort();
            }
        } catch (const AppError& e) {
            if (mode == LangFile::Mode::ParametersOnly
                || !e.message().startsWith(QStringLiteral("Loading translations failed.\r\nLine ")))
                abort();
        }
    }

    const QString text = QString::fromUtf8(bytes);
    const QString decoded = LangFile::decodeValue(text);
    // Every escape is at least as long as what it stands for ("\n" becomes CR LF), so decoding
    // never makes a text longer.
    if (decoded.size() > text.size())
        abort();
    const QString trimmed = LangFile::trimmed(text);
    if (!trimmed.isEmpty() && (trimmed.front().unicode() <= 32 || trimmed.back().unicode() <= 32))
        abort();
    return 0;
}
