#pragma once
// The translation controller of a window ("languageController"): holds the window's translatable-property
// table, binds it to the window's components when the window has loaded, keeps each listed
// property's built-in (layout) value, and sets the properties to a language file's translations.

#include "lang/langdata.h"
#include "lang/translatable.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

class LangFile;

class LanguageController : public QObject, public Translatable
{
    Q_OBJECT

public:
    /// Becomes the window's child named "languageController" and joins the language manager's windows.
    LanguageController(QWidget* window, const LangEntry& langData);
    /// Leaves the language manager's windows.
    ~LanguageController() override;

    QWidget* window() const { return m_window; }
    /// The table; after loaded(), without the entries whose component does not exist.
    const LangEntry& langData() const { return m_langData; }
    /// The name of the window's section in language files: the window's object name, or the
    /// table's root name when the window has none.
    QString windowName() const;

    /// The loaded step, run once after the window's layout is complete and before its creation
    /// handler: binds each child entry to the window's component of that name (the window itself,
    /// or any descendant object), drops entries whose component does not exist, and records every
    /// listed property's value as its built-in value (empty unless it holds an ASCII letter or a
    /// character above U+0160). Then, when a language other than the built-in one is in effect,
    /// translates the window from that language's file, read again from the disk. Throws AppError
    /// when that file cannot be read. Later calls do nothing.
    void loaded();
    bool isLoaded() const { return m_loaded; }

    /// Sets every listed property, the window's own first and then the components' in table
    /// order: to the translation of its ID in the window's section of file, or to its built-in
    /// value when the section lacks the ID, the file lacks the section, or file is nullptr.
    /// Properties that cannot be reached are skipped. Does nothing before loaded().
    void translate(const LangFile* file) override;

    /// The built-in value recorded for a translation ID; empty when none was recorded.
    QString builtInValue(qint32 id) const;

    /// True when text holds an ASCII letter or a character whose code is above 352.
    static bool holdsLetter(const QString& text);

private:
    struct BoundProperty {
        qint32 id;
        QString path;
        QString builtIn;
    };
    struct BoundComponent {
        QPointer<QObject> target;
        bool isWindow;
        QList<BoundProperty> properties;
    };

    BoundComponent bind(QObject* target, const QList<LangProperty>& properties, bool isWindow) const;

    QPointer<QWidget> m_window;
    LangEntry m_langData;
    QList<BoundComponent> m_bound;
    bool m_loaded = false;
};
