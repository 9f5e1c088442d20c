#include "config/SettingsFile.h"

#include "config/DataFolder.h"
#include "seams/Clock.h"
#include "seams/Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::unique_ptr<TSettingsFile> SettingsFile;
quint8 Accuracy = 2;
quint8 AverageData = 5;
quint8 MonthOffset = 0;

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

QByteArray Trimmed(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool SameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A "[name]" line gives the section's name; other lines give an empty result.
bool SectionName(const QByteArray& line, QByteArray& name) {
    const QByteArray t = Trimmed(line);
    if (!t.startsWith('['))
        return false;
    qsizetype close = t.indexOf(']');
    if (close < 0)
        close = t.size();
    name = Trimmed(t.mid(1, close - 1));
    return true;
}

bool KeyName(const QByteArray& line, QByteArray& name) {
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    name = Trimmed(line.left(eq));
    return !name.isEmpty();
}

QByteArray ValueOf(const QByteArray& line) {
    QByteArray v = Trimmed(line.mid(line.indexOf('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

// Names and values are single-line: a line break inside one would corrupt the file.
QByteArray OneLine(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}
} // namespace

bool ParseSettingInteger(const QString& text, int& value) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty())
        return false;
    for (const QChar c : t) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool hex = base == 16 && ((c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                                        (c >= QLatin1Char('A') && c <= QLatin1Char('F')));
        if (!digit && !hex)
            return false;
    }
    bool ok = false;
    const qulonglong magnitude = t.toULongLong(&ok, base);
    if (!ok)
        return false;
    if (base == 16) {
        // Hexadecimal covers the full 32 bits, as a bit pattern.
        if (magnitude > 0xFFFFFFFFull)
            return false;
        const auto bits = static_cast<quint32>(magnitude);
        value = static_cast<int>(negative ? 0u - bits : bits);
        return true;
    }
    const qulonglong limit = negative ? 2147483648ull : 2147483647ull;
    if (magnitude > limit)
        return false;
    value = negative ? static_cast<int>(-static_cast<qlonglong>(magnitude))
                     : static_cast<int>(magnitude);
    return true;
}

TSettingsFile::TSettingsFile(QString fileName) : fileName_(std::move(fileName)) {}

void TSettingsFile::Load() const {
    const QFileInfo info(fileName_);
    const bool exists = info.exists();
    const QDateTime time = exists ? info.lastModified() : QDateTime();
    const qint64 size = exists ? info.size() : -1;
    if (loaded_ && time == loadedTime_ && size == loadedSize_)
        return;
    loaded_ = true;
    loadedTime_ = time;
    loadedSize_ = size;
    lines_.clear();
    bom_ = false;
    eol_ = "\n";
    QFile file(fileName_);
    if (!exists || !file.open(QIODevice::ReadOnly))
        return;
    QByteArray data = file.readAll();
    if (data.startsWith("\xEF\xBB\xBF")) {
        bom_ = true;
        data.remove(0, 3);
    }
    const qsizetype firstLf = data.indexOf('\n');
    if (firstLf > 0 && data[firstLf - 1] == '\r')
        eol_ = "\r\n";
    lines_ = data.split('\n');
    if (!lines_.isEmpty() && lines_.back().isEmpty())
        lines_.removeLast(); // the final line end
    for (QByteArray& line : lines_)
        if (line.endsWith('\r'))
            line.chop(1);
}

TSettingsFile::Location TSettingsFile::Find(const QByteArray& section,
                                            const QByteArray& key) const {
    Load();
    Location at;
    QByteArray name;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (SectionName(lines_[i], name)) {
            if (at.sectionLine >= 0) {
                at.sectionEnd = i;
                return at;
            }
            if (SameName(name, section))
                at.sectionLine = i;
            continue;
        }
        if (at.sectionLine >= 0 && at.keyLine < 0 && !key.isEmpty() && KeyName(lines_[i], name) &&
            SameName(name, key))
            at.keyLine = i;
    }
    if (at.sectionLine >= 0)
        at.sectionEnd = lines_.size();
    return at;
}

bool TSettingsFile::Save() {
    QSaveFile file(fileName_);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray data;
    if (bom_)
        data += "\xEF\xBB\xBF";
    for (const QByteArray& line : std::as_const(lines_)) {
        data += line;
        data += eol_;
    }
    if (file.write(data) != data.size() || !file.commit()) {
        loaded_ = false; // what is on disk is the truth again
        return false;
    }
    const QFileInfo info(fileName_);
    loadedTime_ = info.lastModified();
    loadedSize_ = info.size();
    return true;
}

QString TSettingsFile::ReadString(const QString& section, const QString& key,
                                  const QString& def) const {
    const Location at = Find(section.toUtf8(), key.toUtf8());
    if (at.keyLine < 0)
        return def;
    return QString::fromUtf8(ValueOf(lines_[at.keyLine]));
}

int TSettingsFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = def;
    if (!ParseSettingInteger(ReadString(section, key, QString()), value))
        return def;
    return value;
}

bool TSettingsFile::ReadBool(const QString& section, const QString& key, bool def) const {
    int value = 0;
    if (!ParseSettingInteger(ReadString(section, key, QString()), value))
        return def;
    return value != 0;
}

bool TSettingsFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QByteArray sectionName = OneLine(section);
    const QByteArray keyName = OneLine(key);
    const QByteArray line = keyName + '=' + OneLine(value);
    const Location at = Find(sectionName, keyName);
    if (at.keyLine >= 0) {
        lines_[at.keyLine] = line;
    } else if (at.sectionLine >= 0) {
        // After the section's last non-blank line, so blank separators stay where they were.
        qsizetype insert = at.sectionEnd;
        while (insert > at.sectionLine + 1 && Trimmed(lines_[insert - 1]).isEmpty())
            --insert;
        lines_.insert(insert, line);
    } else {
        if (!lines_.isEmpty() && !Trimmed(lines_.back()).isEmpty())
            lines_.append(QByteArray());
        lines_.append('[' + sectionName + ']');
        lines_.append(line);
    }
    return Save();
}

bool TSettingsFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TSettingsFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TSettingsFile::ValueExists(const QString& section, const QString& key) const {
    return Find(section.toUtf8(), key.toUtf8()).keyLine >= 0;
}

bool TSettingsFile::DeleteKey(const QString& section, const QString& key) {
    const Location at = Find(section.toUtf8(), key.toUtf8());
    if (at.keyLine < 0)
        return true;
    lines_.removeAt(at.keyLine);
    return Save();
}

QStringList TSettingsFile::ReadSection(const QString& section) const {
    const Location at = Find(section.toUtf8(), QByteArray());
    QStringList keys;
    QByteArray name;
    for (qsizetype i = at.sectionLine + 1; at.sectionLine >= 0 && i < at.sectionEnd; ++i)
        if (KeyName(lines_[i], name))
            keys.append(QString::fromUtf8(name));
    return keys;
}

QString TSettingsFile::Read(const TextSetting& s) const {
    return ReadString(s.section, s.name, QString::fromUtf8(s.defaultValue));
}
int TSettingsFile::Read(const IntSetting& s) const {
    return ReadInteger(s.section, s.name, s.defaultValue);
}
bool TSettingsFile::Read(const BoolSetting& s) const {
    return ReadBool(s.section, s.name, s.defaultValue);
}
bool TSettingsFile::Write(const TextSetting& s, const QString& value) {
    return WriteString(s.section, s.name, value);
}
bool TSettingsFile::Write(const IntSetting& s, int value) {
    return WriteInteger(s.section, s.name, value);
}
bool TSettingsFile::Write(const BoolSetting& s, bool value) {
    return WriteBool(s.section, s.name, value);
}

bool TSettingsFile::PerformLogs(const QString& adapterKey) const {
    return ReadBool(QString::fromLatin1(Setting::kPerformLogs), adapterKey, true);
}

bool OpenSettings() {
    SettingsFile = std::make_unique<TSettingsFile>(DataFolder() + QStringLiteral("config.ini"));
    if (SettingsFile->Write(Setting::created, DateTimeToStr(Now())))
        return true;
    Messages().Show(QStringLiteral("Config Error"),
                    QStringLiteral("Meterlyn was not able to access its config file. Please ensure "
                                   "that you are running with correct administrator privileges or "
                                   "change data path preferences in the Settings dialog."),
                    MessageIcon::Error);
    return false;
}

bool IsFirstRun(const TSettingsFile& settings) {
    return !(settings.Exists(Setting::activeadapter) && settings.Exists(Setting::monthoffset));
}
