#pragma once
// The translatable-property table of a window (its translation controller's LangData): a tree whose
// root entry is the window itself and whose children are the window's named components, each with
// the translation IDs and paths of its translatable properties.
//
// Stored as bytes, little-endian, entry by entry:
//   u16 name length, UTF-8 name,
//   u8 has-properties flag, [i32 count, count x (i32 ID, u16 path length, UTF-8 path)],
//   u8 has-children flag, [i32 count, count x entry].

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct LangProperty {
    qint32 id = 0;
    QString path; ///< e.g. "Caption", "Lines", "Font.Name", "Items[2]"

    bool operator==(const LangProperty& other) const { return id == other.id && path == other.path; }
    bool operator!=(const LangProperty& other) const { return !(*this == other); }
};

struct LangEntry {
    QString name;
    QList<LangProperty> properties;
    QList<LangEntry> children;

    bool operator==(const LangEntry& other) const
    {
        return name == other.name && properties == other.properties && children == other.children;
    }
    bool operator!=(const LangEntry& other) const { return !(*this == other); }

    /// The number of properties in this entry and all entries below it.
    int propertyCount() const;
    /// The child entry with that name, or nullptr.
    const LangEntry* child(const QString& childName) const;
};

namespace LangData {
/// Entries nested deeper than this are refused by decode() (a window's table is two levels deep).
constexpr int MaxDepth = 32;

/// The byte form of the tree. A flag is written as 1 exactly when its list is not empty. Names and
/// paths must stay under 64 KiB of UTF-8.
QByteArray encode(const LangEntry& root);
/// Reads one root entry that spans the whole of bytes. Returns nothing, with the reason in *error,
/// when a length or count runs past the end, a count is negative, a name or path is not valid
/// UTF-8, the nesting is deeper than MaxDepth, or bytes follow the root entry.
std::optional<LangEntry> decode(const QByteArray& bytes, QString* error = nullptr);
} // namespace LangData
