// Unpacks arbitrary bytes as a theme package. Besides the sanitizers it checks that a refused
// package writes nothing and that an accepted one writes only plain files into the target.
#include "packages/ZLibCompression.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

static void Check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "invariant broken: %s\n", what);
        abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root;
    const QString package = root.path() + QStringLiteral("/in.dtp");
    const QString target = root.path() + QStringLiteral("/a/b/out");
    {
        QFile file(package);
        if (!file.open(QIODevice::WriteOnly))
            abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    bool refused = false;
    try {
        TZLibCompression().DecompressFiles(package, target);
    } catch (const EPackageError&) {
        refused = true;
    }
    if (refused) {
        Check(!QFileInfo::exists(target), "a refused package created its folder");
    } else {
        const QFileInfoList entries = QDir(target).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        qint64 total = 0;
        for (const QFileInfo& entry : entries) {
            Check(entry.isFile() && !entry.isSymLink(), "something other than a plain file");
            total += entry.size();
        }
        Check(total <= qint64(size) * 1032, "more output than deflate can produce");
    }
    // Nothing may appear beside the target.
    const QStringList top =
        QDir(root.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : top)
        Check(name == QLatin1String("in.dtp") || name == QLatin1String("a"),
              "a file outside the target");
    QDir(root.path() + QStringLiteral("/a")).removeRecursively();
    return 0;
}
