#pragma once

#include "config/DateTime.h"

#include <QString>
#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

// A usage log that could not be read, or an import that was refused.
class EArchiveError : public std::runtime_error {
public:
    explicit EArchiveError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// One day of a usage log, exactly as stored: 24 bytes, little-endian.
struct TUsageRecord {
    TDateTime Date = 0; // days since 30 Dec 1899
    quint64 In = 0;
    quint64 Out = 0;
};

enum TPeriod { ThisHour = 0, Today = 1, ThisWeek = 2, ThisMonth = 3, ThisYear = 4, AllRecords = 5 };
enum TKind { KindIn = 0, KindOut = 1, KindBoth = 2 };

// The usage log of one adapter: its day records (Logs/<key>.dat) plus, in memory only, one
// slot per hour of the day. Saves itself every 25 additions.
class TArchive {
public:
    static constexpr int kRecordSize = 24;
    static constexpr int kSaveEvery = 25;
    // Larger files are refused rather than read (thousands of years of days).
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    // Loads the log's own file, creating it empty when missing. Throws EArchiveError when the
    // file exists but cannot be read.
    explicit TArchive(const QString& name);
    ~TArchive();
    TArchive(const TArchive&) = delete;
    TArchive& operator=(const TArchive&) = delete;

    // Replaces the records with those of a file; an empty path means the log's own file.
    void Load(const QString& path = QString());
    // Returns whether the file was written.
    bool Save();
    void Add(quint64 in, quint64 out);
    void Reset();
    // Refuses (EArchiveError) a path naming no readable file and keeps the log as it was.
    void Import(const QString& path);
    const TUsageRecord* RecordAt(qsizetype i) const;
    const TUsageRecord* FindByDate(TDateTime date) const;
    qsizetype Count() const { return static_cast<qsizetype>(Days.size()); }

    quint64 Total(int period, int kind);

    QString FileName() const;

    QString Name;
    std::vector<TUsageRecord> Days;
    std::array<TUsageRecord, 24> Hours{};
    qint16 CurrentHour = -1;
    int Unsaved = 0;
    qint32 TodayIndex = -1;
    qint32 WeekIndex = -1;
    qint32 MonthIndex = -1;
    qint32 YearIndex = -1;

private:
    qint32 FindToday(TDateTime today);
    // Keeps the records as they are beside the log, then empties it.
    void ResetDamaged();

    QString folder_;                      // the Logs folder, fixed at creation
    std::array<TDateTime, 24> hourDay_{}; // the day each hour slot was last written
};

// The open usage logs, one per adapter key, opened on first use.
class TArchives {
public:
    TArchives() = default;
    TArchives(const TArchives&) = delete;
    TArchives& operator=(const TArchives&) = delete;

    // Never null; opens (and creates) the log on first use. Throws EArchiveError when its
    // file cannot be read.
    TArchive* Find(const QString& key);
    void SaveAll();
    // Reads the first day of the usage month and forgets every log's month position.
    void ReloadPeriodSettings();

    std::vector<std::unique_ptr<TArchive>> List;
};

// A usable day number: finite and within years 1 to 9999.
bool IsUsableDate(TDateTime date);
