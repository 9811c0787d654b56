#pragma once
// The program file's version information, read in three steps after the Windows calls of the
// same names: ask for the size, read the block into a buffer of that size, look a value up.
//
// The block lives in the section ".rynver" of an ELF file (32- or 64-bit, little-endian); the
// build puts it into the program (cmake/version.cmake). It is a tree of nodes. All numbers are
// little-endian and every node starts on a 4-byte boundary counted from the start of the block:
//
//   u16  length       bytes from the start of the node to the end of its value or last child
//   u16  valueLength  bytes of the value; a text value counts its closing NUL
//   u16  type         1 = text (UTF-8, NUL-terminated), 0 = binary
//   key               UTF-8, NUL-terminated
//   padding           zero bytes up to the next 4-byte boundary
//   value             valueLength bytes
//   children          nodes, each on a 4-byte boundary, up to the end given by length
//
// The root is "VS_VERSION_INFO" with no value. Under it, "StringFileInfo" holds one string table
// per language and code page, keyed by eight hex digits ("040403B6": language 0x0404, code page
// 950), each holding text nodes such as "FileVersion" and "ProductName"; "VarFileInfo" holds the
// binary "Translation" (u16 language, u16 code page).

#include <QByteArray>
#include <QString>

/// Size of the version block of the file at path; 0 when the file cannot be read, is not a
/// little-endian ELF file, has no ".rynver" section, or the section does not hold a valid block.
quint32 GetFileVersionInfoSize(const QString& path);

/// Reads the file's version block into the first size bytes of buffer, growing buffer with zero
/// bytes when it is shorter; a block longer than size is cut at size. False when the file has no
/// valid block or size is 0; buffer is then left as it was.
bool GetFileVersionInfo(const QString& path, quint32 size, QByteArray& buffer);

/// Looks up the text value at subBlock, node keys separated by backslashes and compared without
/// regard to case, e.g. "StringFileInfo\040403B6\FileVersion" (a leading backslash is allowed).
/// False when a key is missing, the node holds no text, or the block is malformed or cut short.
bool VerQueryValue(const QByteArray& block, const QString& subBlock, QString& value);
