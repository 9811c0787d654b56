#pragma once
// The contents of a language file (*.lng): its parameters, its named constants and, per window,
// the translated property values by translation ID.
//
// The file is text, in UTF-8 or UTF-16 (either byte order) when it starts with a byte-order mark,
// otherwise in the system's 8-bit code page. Lines are trimmed; empty lines and lines starting
// with ";" are skipped. Value lines ("name=value") before the first "[section]" are parameters;
// "[$CONSTANTS]" holds named constants; every other section is named after a window and maps
// translation IDs ("00000001") to texts. Constants and translations are decoded: "\\" backslash,
// "\n" CR LF, "\t" tab, "\" with two decimal digits the character of that code.

#include <QHash>
#include <QString>
#include <QStringList>

class QIODevice;

class LangFile
{
public:
    enum class Mode {
        ParametersOnly, ///< stops at the first line that starts with "[" (registration)
        Full,           ///< reads every section
    };

    /// Reads the file at path. Throws AppError "Loading translations failed.\r\nLine %d: %s" when
    /// the file cannot be opened (line 0) or a window section repeats a translation ID.
    static LangFile load(const QString& path, Mode mode);
    /// Reads the bytes of a language file; throws as load() does.
    static LangFile parse(const QByteArray& bytes, Mode mode);
    /// Reads from an open device; throws as load() does.
    static LangFile read(QIODevice& device, Mode mode);

    /// The parameter's raw value (not decoded); names match without regard to letter case.
    QString parameter(const QString& name) const;
    bool hasParameter(const QString& name) const;
    /// The low 16 bits of the decimal parameter LANGID; 0 when it is missing or not a number.
    quint16 languageId() const;

    /// A named constant of the "$CONSTANTS" section (decoded); names match without regard to case.
    QString constant(const QString& name) const;
    int constantCount() const { return int(m_constants.size()); }

    /// The translations of the window's section (section names match without regard to case),
    /// or nullptr when the file has no such section.
    const QHash<qint32, QString>* section(const QString& windowName) const;
    /// The window sections' names, each in the spelling of its first header.
    QStringList sectionNames() const;

    /// Decodes a translated value: "\\", "\n", "\t" and "\" with two decimal digits; any other
    /// backslash stays as it is.
    static QString decodeValue(const QString& text);
    /// Trims spaces and control characters (codes up to 32) at both ends.
    static QString trimmed(const QString& text);

private:
    struct Section {
        QString name;
        QHash<qint32, QString> values;
    };
    struct Parser;

    QHash<QString, QString> m_parameters; // keyed by case-folded name
    QHash<QString, QString> m_constants;  // keyed by case-folded name
    QHash<QString, Section> m_sections;   // keyed by case-folded name
    QStringList m_sectionOrder;           // keys of m_sections in the order of their first header
};
