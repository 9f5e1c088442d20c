#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// One key of config.ini with its section, name and the default used where no other is given.
struct TextSetting {
    const char* section;
    const char* name;
    const char* defaultValue;
};
struct IntSetting {
    const char* section;
    const char* name;
    int defaultValue;
};
struct BoolSetting {
    const char* section;
    const char* name;
    bool defaultValue;
};

// Every key the program keeps in section "settings". Section "performlogs" holds one Boolean
// per adapter key (default true), read through PerformLogs().
namespace Setting {
inline constexpr const char* kSection = "settings";
inline constexpr const char* kPerformLogs = "performlogs";

inline constexpr IntSetting accuracy{kSection, "accuracy", 2};
inline constexpr TextSetting activeadapter{kSection, "activeadapter", ""};
// The plain theme needs no compositor, which not every Linux desktop runs.
inline constexpr TextSetting activetheme{kSection, "activetheme", "Darvelo"};
inline constexpr BoolSetting alwaysontop{kSection, "alwaysontop", false};
inline constexpr BoolSetting autocheck{kSection, "autocheck", true};
inline constexpr IntSetting averagedata{kSection, "averagedata", 5};
inline constexpr BoolSetting clickthrough{kSection, "clickthrough", false};
inline constexpr TextSetting created{kSection, "created", ""};
inline constexpr BoolSetting cycleadapters{kSection, "cycleadapters", false};
inline constexpr IntSetting dimfactor{kSection, "dimfactor", 50};
inline constexpr BoolSetting dimonidle{kSection, "dimonidle", false};
inline constexpr BoolSetting dimonswitch{kSection, "dimonswitch", false};
inline constexpr BoolSetting dotrayicon{kSection, "dotrayicon", true};
inline constexpr IntSetting idleperiod{kSection, "idleperiod", 5};
inline constexpr BoolSetting loadonstartup{kSection, "loadonstartup", false};
inline constexpr BoolSetting logsmigrated{kSection, "logsmigrated", false};
inline constexpr BoolSetting logsmigrated2{kSection, "logsmigrated2", false};
inline constexpr BoolSetting minimizeonstart{kSection, "minimizeonstart", false};
inline constexpr IntSetting monthoffset{kSection, "monthoffset", 0};
inline constexpr IntSetting preferredformat{kSection, "preferredformat", 2};
inline constexpr BoolSetting showballoons{kSection, "showballoons", true};
inline constexpr BoolSetting showdropshadow{kSection, "showdropshadow", false};
inline constexpr BoolSetting snaptoscreen{kSection, "snaptoscreen", false};
inline constexpr IntSetting x{kSection, "x", 0};
inline constexpr IntSetting y{kSection, "y", 0};
} // namespace Setting

// config.ini with the semantics of Windows profile files: section and key names are compared
// without regard to case, the first match wins, values are kept as text. Every write goes to
// disk at once by atomic replace; the lines it does not touch (comments, blank lines, unknown
// sections) are kept byte for byte. The parsed file is reused until the file on disk changes.
class TSettingsFile {
public:
    explicit TSettingsFile(QString fileName);

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else gives the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Any integer other than 0 is true; text that is not an integer gives the default.
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    // Each returns false when the file could not be written.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);

    bool ValueExists(const QString& section, const QString& key) const;
    bool DeleteKey(const QString& section, const QString& key);
    // The key names of the first section of that name, in file order.
    QStringList ReadSection(const QString& section) const;

    QString Read(const TextSetting& s) const;
    int Read(const IntSetting& s) const;
    bool Read(const BoolSetting& s) const;
    bool Write(const TextSetting& s, const QString& value);
    bool Write(const IntSetting& s, int value);
    bool Write(const BoolSetting& s, bool value);
    bool Exists(const TextSetting& s) const { return ValueExists(s.section, s.name); }
    bool Exists(const IntSetting& s) const { return ValueExists(s.section, s.name); }
    bool Exists(const BoolSetting& s) const { return ValueExists(s.section, s.name); }

    // Whether the traffic of an adapter is recorded in its usage log.
    bool PerformLogs(const QString& adapterKey) const;

private:
    struct Location {
        qsizetype sectionLine = -1; // the "[section]" line
        qsizetype sectionEnd = -1;  // one past the section's last line
        qsizetype keyLine = -1;
    };

    void Load() const;
    Location Find(const QByteArray& section, const QByteArray& key) const;
    bool Save();

    QString fileName_;
    mutable QList<QByteArray> lines_; // without line ends
    mutable QByteArray eol_ = "\n";
    mutable bool bom_ = false;
    mutable QDateTime loadedTime_;
    mutable qint64 loadedSize_ = -1;
    mutable bool loaded_ = false;
};

// The one settings object of the program; empty before OpenSettings and after shut-down.
extern std::unique_ptr<TSettingsFile> SettingsFile;

// Program-wide values loaded from settings at start and after the settings dialog.
extern quint8 Accuracy;
extern quint8 AverageData;
extern quint8 MonthOffset;

// Opens config.ini in the data folder and writes the start time to "created" as the test of
// write access; a failure shows "Config Error" and start-up goes on. Returns whether the write
// succeeded.
bool OpenSettings();

// A first run is one whose settings lack "activeadapter" or "monthoffset".
bool IsFirstRun(const TSettingsFile& settings);

// Parses an integer as the settings file stores it: optional sign, decimal digits, or
// hexadecimal digits after "0x" or "$". Returns false for anything else or on overflow.
bool ParseSettingInteger(const QString& text, int& value);
