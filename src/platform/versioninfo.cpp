#include "versioninfo.h"

#include <QFile>
#include <QStringList>
#include <QtEndian>

#include <cstring>
#include <elf.h>

namespace {

const char* const SectionName = ".rynver";
const char* const RootKey = "VS_VERSION_INFO";
// A node's length is 16 bits wide, so no valid block is longer than this.
const quint64 MaxBlockSize = 0xFFFF;
const int NodeHeaderSize = 6;

struct Node {
    int begin = 0;
    int end = 0;
    int valueBegin = 0;
    int valueLength = 0;
    quint16 type = 0;
    QString key;
    int childrenBegin = 0;
};

int align4(int offset)
{
    return (offset + 3) & ~3;
}

quint16 u16At(const QByteArray& data, int offset)
{
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

// Reads the node at offset, which must end by limit. Every offset is checked against the data, so
// a cut-off or scrambled block makes this fail rather than read past the end.
bool parseNode(const QByteArray& data, int offset, int limit, Node& node)
{
    if (offset < 0 || limit > data.size() || offset > limit - NodeHeaderSize)
        return false;
    const int length = u16At(data, offset);
    if (length <= NodeHeaderSize || length > limit - offset)
        return false;
    node.begin = offset;
    node.end = offset + length;
    node.valueLength = u16At(data, offset + 2);
    node.type = u16At(data, offset + 4);
    const int keyBegin = offset + NodeHeaderSize;
    const char* nul = static_cast<const char*>(std::memchr(data.constData() + keyBegin, '\0', node.end - keyBegin));
    if (!nul)
        return false;
    const int keyEnd = int(nul - data.constData());
    node.key = QString::fromUtf8(data.constData() + keyBegin, keyEnd - keyBegin);
    node.valueBegin = align4(keyEnd + 1);
    if (node.valueLength > 0 && node.valueLength > node.end - node.valueBegin)
        return false;
    node.childrenBegin = align4(node.valueBegin + node.valueLength);
    return true;
}

bool parseRoot(const QByteArray& data, Node& root)
{
    return parseNode(data, 0, int(data.size()), root) && root.key == QLatin1String(RootKey);
}

bool findChild(const QByteArray& data, const Node& parent, const QString& key, Node& child)
{
    int offset = parent.childrenBegin;
    while (offset < parent.end) {
        if (!parseNode(data, offset, parent.end, child))
            return false;
        if (child.key.compare(key, Qt::CaseInsensitive) == 0)
            return true;
        offset = align4(child.end);
    }
    return false;
}

bool readAt(QFile& file, quint64 offset, quint64 size, QByteArray& out)
{
    const quint64 fileSize = quint64(file.size());
    if (offset > fileSize || size > fileSize - offset || !file.seek(qint64(offset)))
        return false;
    out = file.read(qint64(size));
    return quint64(out.size()) == size;
}

template <typename T> bool readStruct(const QByteArray& data, quint64 offset, T& out)
{
    if (offset > quint64(data.size()) || sizeof(T) > quint64(data.size()) - offset)
        return false;
    std::memcpy(&out, data.constData() + offset, sizeof(T));
    return true;
}

// The section's contents, or nothing when the file has no such section or is not what it claims.
template <typename Ehdr, typename Shdr> QByteArray readSection(QFile& file, const char* wanted)
{
    QByteArray bytes;
    Ehdr header;
    if (!readAt(file, 0, sizeof header, bytes) || !readStruct(bytes, 0, header))
        return {};
    const quint64 tableOffset = qFromLittleEndian(header.e_shoff);
    const quint64 entrySize = qFromLittleEndian(header.e_shentsize);
    quint64 count = qFromLittleEndian(header.e_shnum);
    quint64 namesIndex = qFromLittleEndian(header.e_shstrndx);
    if (tableOffset == 0 || entrySize < sizeof(Shdr))
        return {};

    // With many sections the count and the index of the names live in the first section header.
    Shdr first;
    if (!readAt(file, tableOffset, sizeof first, bytes) || !readStruct(bytes, 0, first))
        return {};
    if (count == 0)
        count = qFromLittleEndian(first.sh_size);
    if (namesIndex == SHN_XINDEX)
        namesIndex = qFromLittleEndian(first.sh_link);
    const quint64 fileSize = quint64(file.size());
    if (count == 0 || namesIndex >= count || count > fileSize / entrySize)
        return {};

    QByteArray table;
    if (!readAt(file, tableOffset, count * entrySize, table))
        return {};
    Shdr names;
    readStruct(table, namesIndex * entrySize, names);
    QByteArray nameTable;
    if (qFromLittleEndian(names.sh_type) == SHT_NOBITS
        || !readAt(file, qFromLittleEndian(names.sh_offset), qFromLittleEndian(names.sh_size), nameTable))
        return {};

    const quint64 wantedLength = std::strlen(wanted);
    for (quint64 i = 0; i < count; ++i) {
        Shdr section;
        readStruct(table, i * entrySize, section);
        const quint64 name = qFromLittleEndian(section.sh_name);
        if (name >= quint64(nameTable.size()) || wantedLength + 1 > quint64(nameTable.size()) - name
            || std::memcmp(nameTable.constData() + name, wanted, wantedLength + 1) != 0)
            continue;
        const quint64 size = qFromLittleEndian(section.sh_size);
        QByteArray contents;
        if (qFromLittleEndian(section.sh_type) == SHT_NOBITS
            || !readAt(file, qFromLittleEndian(section.sh_offset), qMin(size, MaxBlockSize), contents))
            return {};
        return contents;
    }
    return {};
}

// The version block of the file, cut to the root node's length; empty when there is none.
QByteArray readBlock(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray ident;
    if (!readAt(file, 0, EI_NIDENT, ident) || std::memcmp(ident.constData(), ELFMAG, SELFMAG) != 0
        || ident[EI_DATA] != ELFDATA2LSB)
        return {};
    QByteArray section;
    if (ident[EI_CLASS] == ELFCLASS64)
        section = readSection<Elf64_Ehdr, Elf64_Shdr>(file, SectionName);
    else if (ident[EI_CLASS] == ELFCLASS32)
        section = readSection<Elf32_Ehdr, Elf32_Shdr>(file, SectionName);
    Node root;
    if (!parseRoot(section, root))
        return {};
    return section.left(root.end);
}

} // namespace

quint32 GetFileVersionInfoSize(const QString& path)
{
    return quint32(readBlock(path).size());
}

bool GetFileVersionInfo(const QString& path, quint32 size, QByteArray& buffer)
{
    if (size == 0)
        return false;
    const QByteArray block = readBlock(path);
    if (block.isEmpty())
        return false;
    if (quint32(buffer.size()) < size)
        buffer.append(QByteArray(qsizetype(size - quint32(buffer.size())), '\0'));
    std::memcpy(buffer.data(), block.constData(), qMin<size_t>(size, size_t(block.size())));
    return true;
}

bool VerQueryValue(const QByteArray& block, const QString& subBlock, QString& value)
{
    Node node;
    if (!parseRoot(block, node))
        return false;
    const QStringList keys = subBlock.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (keys.isEmpty())
        return false;
    for (const QString& key : keys) {
        Node child;
        if (!findChild(block, node, key, child))
            return false;
        node = child;
    }
    if (node.type != 1 || node.valueLength == 0)
        return false;
    const QByteArray text = block.mid(node.valueBegin, node.valueLength);
    const int nul = int(text.indexOf('\0'));
    value = QString::fromUtf8(nul < 0 ? text : text.left(nul));
    return true;
}
