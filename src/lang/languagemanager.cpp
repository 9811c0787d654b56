#include "languagemanager.h"
#include "translatable.h"

#include "langfile.h"
#include "platform/errors.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

LanguageManager::LanguageManager() = default;
LanguageManager::~LanguageManager() = default;

LanguageManager& languageManager()
{
    static LanguageManager manager;
    return manager;
}

quint16 LanguageManager::languageId() const
{
    return m_languageId;
}

QString LanguageManager::pathOf(quint16 id) const
{
    for (const auto& [fileId, path] : m_files)
        if (fileId == id)
            return path;
    return {};
}

void LanguageManager::setLanguageId(quint16 id)
{
    const QString path = id == DefaultLanguageID ? QString() : pathOf(id);
    std::shared_ptr<const LangFile> file;
    if (path.isEmpty())
        id = DefaultLanguageID;
    else
        file = std::make_shared<const LangFile>(LangFile::load(path, LangFile::Mode::Full));

    if (id == m_languageId)
        return;
    m_languageId = id;
    m_file = file;
    // A copy: a window that closes while it is translated leaves the list meanwhile.
    const QList<Translatable*> controllers = m_controllers;
    for (Translatable* controller : controllers)
        controller->translate(file.get());
}

quint16 LanguageManager::languageIdAt(int index) const
{
    if (index < 1 || index > m_files.size())
        return DefaultLanguageID;
    return m_files.at(index - 1).first;
}

int LanguageManager::languageCount() const
{
    return int(m_files.size()) + 1;
}

QString LanguageManager::languageFile(quint16 id) const
{
    return pathOf(id);
}

int LanguageManager::scanForLanguageFiles(const QString& directory, const QString& mask, bool recursive)
{
    QStringList visited;
    return scan(directory, mask, recursive, visited);
}

int LanguageManager::scan(const QString& directory, const QString& mask, bool recursive, QStringList& visited)
{
    // A directory reached twice through links is scanned once, so a link loop cannot recurse forever.
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return 0;
    visited.append(canonical);

    const QDir dir(directory);
    const QFileInfoList entries =
        dir.entryInfoList(QStringList{mask}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                          QDir::Name | QDir::IgnoreCase);
    int count = 0;
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            if (recursive && !entry.fileName().startsWith(QLatin1Char('.')))
                count += scan(entry.filePath(), mask, recursive, visited);
        } else if (registerLanguageFile(entry.filePath())) {
            ++count;
        }
    }
    return count;
}

bool LanguageManager::registerLanguageFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    quint16 id = 0;
    try {
        id = LangFile::load(path, LangFile::Mode::ParametersOnly).languageId();
    } catch (const AppError&) {
        // A file that vanished or cannot be opened has no usable LANGID: it is ignored like one
        // without it, and the scan goes on with the next file.
        return false;
    }
    if (id == 0)
        return false;
    if (id == DefaultLanguageID)
        return true;

    const QString absolute = info.absoluteFilePath();
    for (auto& entry : m_files) {
        if (entry.first == id) {
            entry.second = absolute;
            return true;
        }
    }
    m_files.append({id, absolute});
    return true;
}

void LanguageManager::translate(Translatable* controller)
{
    if (!controller)
        return;
    const QString path = m_languageId == DefaultLanguageID ? QString() : pathOf(m_languageId);
    std::optional<LangFile> file;
    if (!path.isEmpty())
        file = LangFile::load(path, LangFile::Mode::Full);
    controller->translate(file ? &*file : nullptr);
}

void LanguageManager::addController(Translatable* controller)
{
    if (controller && !m_controllers.contains(controller))
        m_controllers.append(controller);
}

void LanguageManager::removeController(Translatable* controller)
{
    m_controllers.removeAll(controller);
}

QList<Translatable*> LanguageManager::controllers() const
{
    return m_controllers;
}

QString LanguageManager::constant(const QString& name) const
{
    return m_file ? m_file->constant(name) : QString();
}

void LanguageManager::reset()
{
    m_files.clear();
    m_languageId = DefaultLanguageID;
    m_file.reset();
}
