#include "support/TestSupport.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

TestEnvironment::TestEnvironment()
    : clock(EncodeDateTime(QDateTime(QDate(2026, 12, 11), QTime(12, 0)))) {
    QDir().mkpath(dir_.path() + QStringLiteral("/data"));
    QDir().mkpath(dir_.path() + QStringLiteral("/program"));
    SetFolders(DataPath(), ProgramPath());
    SetClock(&clock);
    SetMessages(&messages);
}

TestEnvironment::~TestEnvironment() {
    SettingsFile.reset();
    SetClock(nullptr);
    SetMessages(nullptr);
}

QString TestEnvironment::DataPath() const {
    return dir_.path() + QStringLiteral("/data/");
}
QString TestEnvironment::ProgramPath() const {
    return dir_.path() + QStringLiteral("/program/");
}

void TestEnvironment::WriteFile(const QString& relative, const QByteArray& content) const {
    const QString path = DataPath() + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

QByteArray TestEnvironment::ReadFile(const QString& relative) const {
    QFile file(DataPath() + relative);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestDataPath(const QString& name) {
    return QStringLiteral(METERLYN_TEST_DATA) + QLatin1Char('/') + name;
}
