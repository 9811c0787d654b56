#include "languagecontroller.h"

#include "lang/langfile.h"
#include "lang/languagemanager.h"
#include "propertypath.h"

#include <QWidget>

LanguageController::LanguageController(QWidget* window, const LangEntry& langData)
    : QObject(window)
    , m_window(window)
    , m_langData(langData)
{
    setObjectName(QStringLiteral("LangCtrl"));
    languageManager().addController(this);
}

LanguageController::~LanguageController()
{
    languageManager().removeController(this);
}

QString LanguageController::windowName() const
{
    if (m_window && !m_window->objectName().isEmpty())
        return m_window->objectName();
    return m_langData.name;
}

bool LanguageController::holdsLetter(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u > 352)
            return true;
    }
    return false;
}

LanguageController::BoundComponent LanguageController::bind(QObject* target, const QList<LangProperty>& properties,
                                                            bool isWindow) const
{
    BoundComponent bound{target, isWindow, {}};
    for (const LangProperty& p : properties) {
        QString value;
        if (!PropertyPath::read(target, p.path, &value, isWindow) || !holdsLetter(value))
            value.clear();
        bound.properties.append(BoundProperty{p.id, p.path, value});
    }
    return bound;
}

void LanguageController::loaded()
{
    if (m_loaded || !m_window)
        return;
    m_loaded = true;

    m_bound.append(bind(m_window, m_langData.properties, true));
    QList<LangEntry> kept;
    for (const LangEntry& entry : std::as_const(m_langData.children)) {
        QObject* target =
            entry.name == m_window->objectName() ? m_window.data() : m_window->findChild<QObject*>(entry.name);
        if (!target)
            continue;
        kept.append(entry);
        m_bound.append(bind(target, entry.properties, target == m_window));
    }
    m_langData.children = kept;

    if (languageManager().languageId() != LanguageManager::DefaultLanguageID)
        languageManager().translate(this);
}

void LanguageController::translate(const LangFile* file)
{
    const QHash<qint32, QString>* section = file ? file->section(windowName()) : nullptr;
    for (const BoundComponent& component : std::as_const(m_bound)) {
        if (!component.target)
            continue;
        for (const BoundProperty& p : component.properties) {
            const auto it = section ? section->constFind(p.id) : QHash<qint32, QString>::const_iterator();
            const QString& value = section && it != section->constEnd() ? *it : p.builtIn;
            PropertyPath::write(component.target, p.path, value, component.isWindow);
        }
    }
}

QString LanguageController::builtInValue(qint32 id) const
{
    for (const BoundComponent& component : m_bound)
        for (const BoundProperty& p : component.properties)
            if (p.id == id)
                return p.builtIn;
    return {};
}
