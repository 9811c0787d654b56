#pragma once
// The program-wide language manager: the registered language files, the language in effect, and
// the translation controllers of all existing windows.
//
// The built-in language (the windows' layout texts) has the identifier 1033 and is always at index
// 0 of the language list; registered files follow from index 1. Setting the language translates
// every registered window; a window created later translates itself when it has loaded.
//
// The manager belongs to the GUI thread, as the windows it translates do: no worker thread (the
// transfers, the import's writer) reads or changes it, so it holds no lock.

#include <QList>
#include <QPair>
#include <QString>
#include <memory>

class LangFile;
class Translatable;

class LanguageManager
{
public:
    static constexpr quint16 DefaultLanguageID = 1033;

    LanguageManager();
    ~LanguageManager();
    LanguageManager(const LanguageManager&) = delete;
    LanguageManager& operator=(const LanguageManager&) = delete;

    /// The language in effect; 1033 until a registered language is set.
    quint16 languageId() const;
    /// Makes the language with that identifier the language in effect. An identifier that is 1033
    /// or not registered means the built-in language. Reads the whole registered file first; when
    /// the resulting identifier is the one in effect nothing else happens, otherwise every
    /// registered window is translated, in registration order (1033 restores built-in values).
    /// Throws AppError when the file cannot be read or holds a repeated translation ID.
    void setLanguageId(quint16 id);

    /// Index 0: 1033; index i >= 1: the identifier of the i-th registered file. An index outside
    /// the list gives 1033, so asking for a language that was never registered selects the
    /// built-in one.
    quint16 languageIdAt(int index) const;
    /// The number of registered files plus one (the built-in language).
    int languageCount() const;
    /// The registered file of an identifier; empty when it is not registered.
    QString languageFile(quint16 id) const;

    /// Registers every file in directory whose name matches mask (letter case ignored), in name
    /// order; with recursive, also descends into matching subdirectories whose name does not start
    /// with ".". Returns the number of files for which registerLanguageFile returned true.
    int scanForLanguageFiles(const QString& directory, const QString& mask, bool recursive);
    /// Reads the file's parameters. False when the file does not exist or cannot be opened, or its
    /// LANGID (low 16 bits) is 0. Otherwise true; the file is registered unless its identifier is
    /// 1033, replacing the path of an identifier already registered without moving it.
    bool registerLanguageFile(const QString& path);

    /// Translates one newly loaded window into the language in effect, reading its file again
    /// from the disk (the built-in language restores built-in values). Throws AppError when the
    /// file cannot be read.
    void translate(Translatable* controller);

    void addController(Translatable* controller);
    void removeController(Translatable* controller);
    /// The registered controllers, in registration order.
    QList<Translatable*> controllers() const;

    /// A named constant of the language file in effect; empty for the built-in language.
    QString constant(const QString& name) const;

    /// Forgets the registered files and the language file in effect, and returns to the built-in
    /// language without touching any window. Registered controllers stay. For tests.
    void reset();

private:
    QString pathOf(quint16 id) const;
    int scan(const QString& directory, const QString& mask, bool recursive, QStringList& visited);

    quint16 m_languageId = DefaultLanguageID;
    QList<QPair<quint16, QString>> m_files;
    QList<Translatable*> m_controllers;
    std::shared_ptr<const LangFile> m_file; // the file of the language in effect
};

/// The program-wide language manager, created on first use.
LanguageManager& languageManager();
