#include "config/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString dataFolder;
QString programFolder;

QString DefaultDataFolder() {
    const QString fromEnv = qEnvironmentVariable("METERLYN_DATA").trimmed();
    if (!fromEnv.isEmpty())
        return WithSlash(QDir::cleanPath(QDir(fromEnv).absolutePath()));
    QString base = qEnvironmentVariable("XDG_DATA_HOME").trimmed();
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return WithSlash(QDir::cleanPath(base)) + QStringLiteral("Darvelo/Meterlyn 2/");
}

QString DefaultProgramFolder() {
    if (QCoreApplication::instance())
        return WithSlash(QCoreApplication::applicationDirPath());
    // Before the application object exists (the entry asks for the folders first).
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.isSymLink())
        return WithSlash(QFileInfo(self.symLinkTarget()).absolutePath());
    return WithSlash(QDir::currentPath());
}
} // namespace

QString WithSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

const QString& DataFolder() {
    if (dataFolder.isEmpty())
        InitFolders();
    return dataFolder;
}

const QString& ProgramFolder() {
    if (programFolder.isEmpty())
        InitFolders();
    return programFolder;
}

void InitFolders() {
    SetFolders(DefaultDataFolder(), DefaultProgramFolder());
}

void SetFolders(const QString& data, const QString& program) {
    dataFolder = WithSlash(data);
    programFolder = WithSlash(program);
    QDir().mkpath(dataFolder);
}
