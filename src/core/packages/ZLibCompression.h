#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// Raised for every failure of packing or unpacking; the message is meant for the user.
class EPackageError : public std::runtime_error {
public:
    explicit EPackageError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

// Reads and writes theme packages: a 32-bit little-endian member count, then per member the
// name length, the name (the last path component, UTF-8), the uncompressed size and one zlib
// stream holding exactly that many bytes. No magic, no trailer.
class TZLibCompression {
public:
    // Packs the files in list order. An empty list writes nothing at all. The package appears
    // only when every member was packed; an existing package stays untouched on failure.
    void CompressFiles(const QStringList& files, const QString& packagePath) const;
    // Unpacks into targetFolder, creating it with its parents. The whole package is checked
    // before the first file is written, so a damaged or hostile package changes nothing.
    // Members replace files of the same name; other files in the folder stay.
    void DecompressFiles(const QString& packagePath, const QString& targetFolder) const;

    // Why a member name is refused ("" when it is a plain file name): folders, drives,
    // "." and "..", empty names and control characters could reach outside the target folder.
    static QString NameProblem(const QString& name);
    // A stored name is UTF-8; one that is not valid UTF-8 was written by a Windows packer
    // and is read as Windows-1252.
    static QString DecodeName(const QByteArray& raw);
};
