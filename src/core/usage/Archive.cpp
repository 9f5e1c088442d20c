#include "usage/Archive.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "seams/Clock.h"
#include "seams/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// 1 Jan 0001 and the day after 31 Dec 9999, as day numbers.
constexpr double kFirstDay = -693593.0;
constexpr double kPastLastDay = 2958466.0;

TUsageRecord Decode(const char* bytes) {
    TUsageRecord r;
    const quint64 date = qFromLittleEndian<quint64>(bytes);
    std::memcpy(&r.Date, &date, sizeof r.Date);
    r.In = qFromLittleEndian<quint64>(bytes + 8);
    r.Out = qFromLittleEndian<quint64>(bytes + 16);
    return r;
}

void Encode(const TUsageRecord& r, char* bytes) {
    quint64 date;
    std::memcpy(&date, &r.Date, sizeof date);
    qToLittleEndian(date, bytes);
    qToLittleEndian(r.In, bytes + 8);
    qToLittleEndian(r.Out, bytes + 16);
}

quint64 ValueOf(const TUsageRecord& r, int kind) {
    switch (kind) {
    case KindIn:
        return r.In;
    case KindOut:
        return r.Out;
    default:
        return r.In + r.Out;
    }
}

// The key names a file inside the Logs folder, never one elsewhere.
QString FileSafe(QString name) {
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    name.replace(QChar(0), QLatin1Char('_'));
    return name;
}

QByteArray Serialise(const std::vector<TUsageRecord>& days, bool all) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(days.size()) * TArchive::kRecordSize);
    char buffer[TArchive::kRecordSize];
    for (const TUsageRecord& r : days) {
        if (!all && !(r.Date >= 0))
            continue; // negative dates and NaN stay out of the file
        Encode(r, buffer);
        bytes.append(buffer, TArchive::kRecordSize);
    }
    return bytes;
}

bool WriteWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
} // namespace

bool IsUsableDate(TDateTime date) {
    return std::isfinite(date) && date >= kFirstDay && date < kPastLastDay;
}

TArchive::TArchive(const QString& name)
    : Name(name), folder_(DataFolder() + QStringLiteral("Logs/")) {
    hourDay_.fill(-1);
    Load();
}

TArchive::~TArchive() {
    Save();
}

QString TArchive::FileName() const {
    return folder_ + FileSafe(Name) + QStringLiteral(".dat");
}

void TArchive::Load(const QString& path) {
    QDir().mkpath(folder_);
    const QString fileName = path.isEmpty() ? FileName() : path;
    QFile file(fileName);
    if (!file.exists()) {
        // Only the log's own file is created when missing; another path is never made.
        if (!path.isEmpty() && path != FileName())
            throw EArchiveError(QStringLiteral("The log file '%1' does not exist.").arg(fileName));
        if (!file.open(QIODevice::WriteOnly))
            throw EArchiveError(
                QStringLiteral("The log file '%1' could not be created.").arg(fileName));
        file.close();
    }
    if (!file.open(QIODevice::ReadOnly))
        throw EArchiveError(QStringLiteral("The log file '%1' could not be opened.").arg(fileName));
    if (file.size() > kMaxFileSize)
        throw EArchiveError(
            QStringLiteral("The log file '%1' is too large to be a usage log.").arg(fileName));
    const QByteArray bytes = file.read(kMaxFileSize);
    if (file.error() != QFileDevice::NoError)
        throw EArchiveError(QStringLiteral("The log file '%1' could not be read.").arg(fileName));

    std::vector<TUsageRecord> days(static_cast<size_t>(bytes.size() / kRecordSize));
    for (size_t i = 0; i < days.size(); ++i)
        days[i] = Decode(bytes.constData() + i * kRecordSize);
    Days = std::move(days);
    Unsaved = 0;
    TodayIndex = WeekIndex = MonthIndex = YearIndex = -1;
}

bool TArchive::Save() {
    QDir().mkpath(folder_);
    if (!WriteWhole(FileName(), Serialise(Days, false)))
        return false;
    Unsaved = 0;
    return true;
}

qint32 TArchive::FindToday(TDateTime today) {
    if (TodayIndex >= 0 && TodayIndex < Count() &&
        Days[static_cast<size_t>(TodayIndex)].Date == today)
        return TodayIndex;
    TodayIndex = -1;
    for (size_t i = 0; i < Days.size(); ++i)
        if (Days[i].Date == today) {
            TodayIndex = static_cast<qint32>(i);
            break;
        }
    return TodayIndex;
}

void TArchive::Add(quint64 in, quint64 out) {
    const TDateTime now = Now();
    const TDateTime today = std::floor(now);
    qint32 index = FindToday(today);
    if (index < 0) {
        Days.push_back({today, 0, 0});
        index = TodayIndex = static_cast<qint32>(Days.size() - 1);
    }
    TUsageRecord& day = Days[static_cast<size_t>(index)];
    day.In += in;
    day.Out += out;

    const int h = std::clamp(DecodeDateTime(now).time().hour(), 0, 23);
    // A slot is emptied when its hour begins again, also after a day without traffic in
    // any other hour.
    if (h != CurrentHour || hourDay_[static_cast<size_t>(h)] != today) {
        CurrentHour = static_cast<qint16>(h);
        hourDay_[static_cast<size_t>(h)] = today;
        Hours[static_cast<size_t>(h)].In = 0;
        Hours[static_cast<size_t>(h)].Out = 0;
    }
    Hours[static_cast<size_t>(h)].In += in;
    Hours[static_cast<size_t>(h)].Out += out;

    if (++Unsaved >= kSaveEvery)
        Save();
}

void TArchive::Reset() {
    Days.clear();
    Save();
    Load();
}

void TArchive::Import(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw EArchiveError(
            QStringLiteral("The file '%1' does not exist, so there is nothing to import.")
                .arg(path));
    Load(path);
    if (!Save())
        throw EArchiveError(
            QStringLiteral("The imported records could not be written to '%1'.").arg(FileName()));
}

const TUsageRecord* TArchive::RecordAt(qsizetype i) const {
    return i >= 0 && i < Count() ? &Days[static_cast<size_t>(i)] : nullptr;
}

const TUsageRecord* TArchive::FindByDate(TDateTime date) const {
    for (const TUsageRecord& r : Days)
        if (r.Date == date)
            return &r;
    return nullptr;
}

void TArchive::ResetDamaged() {
    // The records stay on disk beside the log; an earlier copy is not replaced.
    QString copy = FileName() + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(copy) && n < 1000; ++n)
        copy = FileName() + QStringLiteral(".damaged.%1").arg(n);
    if (!WriteWhole(copy, Serialise(Days, true)))
        qWarning("Could not keep a copy of a damaged usage log");
    Messages().Show(QStringLiteral("Read Error"),
                    QStringLiteral("A critical error occured while trying to read data from "
                                   "adapter log ") +
                        Name +
                        QStringLiteral(". As a result, this log file has been reset.  This problem "
                                       "may have occured because of a file incompatibility or "
                                       "corruption"),
                    MessageIcon::Error);
    Reset();
}

quint64 TArchive::Total(int period, int kind) {
    const TDateTime now = Now();
    if (Days.empty())
        return 0;
    const TDateTime today = std::floor(now);

    switch (period) {
    case ThisHour: {
        const int h = std::clamp(DecodeDateTime(now).time().hour(), 0, 23);
        // A slot last written on another day holds nothing of this hour.
        if (hourDay_[static_cast<size_t>(h)] != today)
            return 0;
        return ValueOf(Hours[static_cast<size_t>(h)], kind);
    }
    case Today: {
        const qint32 index = FindToday(today);
        return index < 0 ? 0 : ValueOf(Days[static_cast<size_t>(index)], kind);
    }
    case AllRecords: {
        quint64 sum = 0;
        for (const TUsageRecord& r : Days)
            sum += ValueOf(r, kind);
        return sum;
    }
    case ThisWeek:
    case ThisMonth:
    case ThisYear:
        break;
    default:
        return 0;
    }

    // For the week, month and year: a test for the period's first record (`starts`) and one
    // for the records that count towards it (`counts`), which leaves the year out for weeks
    // and months.
    const QDate nowDate = DecodeDate(now);
    int key = 0;
    int year = 0;
    qint32* remembered = nullptr;
    auto keyOf = [&](const QDate& d, int& y) -> int {
        switch (period) {
        case ThisWeek:
            y = d.year();
            return d.weekNumber();
        case ThisMonth: {
            const QDate shifted = d.addDays(-static_cast<qint64>(MonthOffset));
            y = shifted.year();
            return shifted.month();
        }
        default:
            y = d.year();
            return y;
        }
    };
    key = keyOf(nowDate, year);
    remembered = period == ThisWeek ? &WeekIndex : period == ThisMonth ? &MonthIndex : &YearIndex;

    quint64 sum = 0;
    // Returns false for a date that no calendar holds.
    auto classify = [&](const TUsageRecord& r, int& k, int& y) -> bool {
        if (!IsUsableDate(r.Date))
            return false;
        k = keyOf(DecodeDate(r.Date), y);
        return true;
    };

    int k = 0;
    int y = 0;
    qint32 start = *remembered;
    bool keep = false;
    if (start >= 0 && start < Count()) {
        if (!classify(Days[static_cast<size_t>(start)], k, y)) {
            ResetDamaged();
            return sum;
        }
        keep = k == key && y == year;
    }
    if (!keep) {
        start = -1;
        for (size_t i = 0; i < Days.size(); ++i) {
            if (!classify(Days[i], k, y)) {
                *remembered = -1;
                ResetDamaged();
                return sum;
            }
            if (k == key && y == year) {
                start = static_cast<qint32>(i);
                break;
            }
        }
        *remembered = start;
    }
    if (start < 0)
        return 0;
    for (size_t i = static_cast<size_t>(start); i < Days.size(); ++i) {
        if (!classify(Days[i], k, y)) {
            ResetDamaged();
            return sum;
        }
        if (k == key)
            sum += ValueOf(Days[i], kind);
    }
    return sum;
}

TArchive* TArchives::Find(const QString& key) {
    for (const auto& archive : List)
        if (archive->Name == key)
            return archive.get();
    List.push_back(std::make_unique<TArchive>(key));
    return List.back().get();
}

void TArchives::SaveAll() {
    for (const auto& archive : List)
        archive->Save();
}

void TArchives::ReloadPeriodSettings() {
    const int offset = SettingsFile ? SettingsFile->Read(Setting::monthoffset) : 0;
    MonthOffset = static_cast<quint8>(std::clamp(offset, 0, 30));
    for (const auto& archive : List)
        archive->MonthIndex = -1;
}
