#include "usage/DataMine.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "config/Toolbox.h"
#include "seams/Clock.h"
#include "seams/Messages.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <cmath>

std::unique_ptr<TDataMine> DataMine;

namespace {
constexpr int kMaxSource = 255;
// 8 / 1048576 to nine significant digits: bytes per second to megabits per second.
constexpr double kMbitPerByte = 0.00000762939453;
constexpr double kKB = 1024.0;
constexpr double kMB = 1024.0 * 1024.0;
constexpr double kGB = 1024.0 * 1024.0 * 1024.0;
constexpr double kTB = 1024.0 * 1024.0 * 1024.0 * 1024.0;

enum class What {
    AppPath,
    Date,
    Time,
    Day,
    ThemePath,
    Name,
    Speed,
    Rate,
    RateBits,
    SinceReboot,
    Archive,
};

enum Direction { In = 0, Out = 1, Both = 2 };

struct Item {
    What what = What::AppPath;
    int direction = In;
    double scale = 1; // divisor, or multiplier for bit rates
    int period = 0;
};

const QHash<QString, Item>& Items() {
    static const QHash<QString, Item> items = [] {
        QHash<QString, Item> h;
        h.insert(QStringLiteral("APP:PATH"), {What::AppPath});
        h.insert(QStringLiteral("TIMES:DATE"), {What::Date});
        h.insert(QStringLiteral("TIMES:TIME"), {What::Time});
        h.insert(QStringLiteral("TIMES:DAY"), {What::Day});
        h.insert(QStringLiteral("THEME:PATH"), {What::ThemePath});
        h.insert(QStringLiteral("ADAPTER:NAME"), {What::Name});
        h.insert(QStringLiteral("ADAPTER:SPEED"), {What::Speed});
        const char* dirs[] = {"IN", "OUT"};
        for (int d = 0; d < 2; ++d) {
            const QString dir = QLatin1String(dirs[d]);
            const QString a = QStringLiteral("ADAPTER:");
            const QString ps = QStringLiteral("PERSEC");
            h.insert(a + QStringLiteral("MB") + dir + ps, {What::Rate, d, kMB});
            h.insert(a + QStringLiteral("KB") + dir + ps, {What::Rate, d, kKB});
            h.insert(a + QStringLiteral("MBIT") + dir + ps, {What::RateBits, d, kMbitPerByte});
            h.insert(a + QStringLiteral("KBIT") + dir + ps,
                     {What::RateBits, d, kMbitPerByte * 1024});
        }
        const char* kinds[] = {"IN", "OUT", "BOTH"};
        for (int d = 0; d < 3; ++d) {
            const QString kind = QLatin1String(kinds[d]);
            const QString sr = QStringLiteral("SINCEREBOOT");
            h.insert(QStringLiteral("ADAPTER:MB") + kind + sr, {What::SinceReboot, d, kMB});
            h.insert(QStringLiteral("ADAPTER:GB") + kind + sr, {What::SinceReboot, d, kGB});
            h.insert(QStringLiteral("ADAPTER:TB") + kind + sr, {What::SinceReboot, d, kTB});
        }
        struct Period {
            const char* name;
            int code;
            const char* small;
            double smallScale;
            const char* large;
            double largeScale;
        };
        const Period periods[] = {{"THISHOUR", ThisHour, "MB", kMB, "GB", kGB},
                                  {"TODAY", Today, "MB", kMB, "GB", kGB},
                                  {"THISWEEK", ThisWeek, "GB", kGB, "TB", kTB},
                                  {"THISMONTH", ThisMonth, "GB", kGB, "TB", kTB},
                                  {"THISYEAR", ThisYear, "GB", kGB, "TB", kTB}};
        for (const Period& p : periods)
            for (int d = 0; d < 3; ++d) {
                const QString tail = QLatin1String(kinds[d]) + QLatin1String(p.name);
                h.insert(QStringLiteral("ARCHIVE:") + QLatin1String(p.small) + tail,
                         {What::Archive, d, p.smallScale, p.code});
                h.insert(QStringLiteral("ARCHIVE:") + QLatin1String(p.large) + tail,
                         {What::Archive, d, p.largeScale, p.code});
            }
        return h;
    }();
    return items;
}

QString EnglishDayName(int dayOfWeek) {
    static const char* names[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                  "Friday", "Saturday", "Sunday"};
    return dayOfWeek >= 1 && dayOfWeek <= 7 ? QLatin1String(names[dayOfWeek - 1]) : QString();
}

bool RemoveIfExists(const QString& path) {
    return !QFileInfo::exists(path) || QFile::remove(path);
}
} // namespace

TDataMine::TDataMine() {
    Archives = std::make_unique<TArchives>();
    Archives->ReloadPeriodSettings();
    MigrateProgramFolderLogs();
    MigrateIndexNamedLogs();
    Adapters = std::make_unique<TAdapters>(
        [this](const QString& key, quint64 in, quint64 out) { LogTraffic(key, in, out); });
    ChooseActiveAdapter();
}

TDataMine::~TDataMine() = default;

void TDataMine::MigrateProgramFolderLogs() {
    if (!SettingsFile || SettingsFile->Read(Setting::logsmigrated))
        return;
    const QString oldFolder = ProgramFolder() + QStringLiteral("Logs/");
    const QStringList names =
        QDir(oldFolder).entryList({QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden);
    if (!names.isEmpty()) {
        const bool import = Messages().Ask(
            QStringLiteral("Import Logs"),
            QStringLiteral("Meterlyn no longer stores logs in the system's Program Files "
                           "directory. Would you like to import their contents before they are "
                           "deleted?\r\n\r\nChoosing not to import will erase all log data"),
            MessageIcon::Question);
        const QString newFolder = DataFolder() + QStringLiteral("Logs/");
        if (import)
            QDir().mkpath(newFolder);
        for (const QString& name : names) {
            bool keep = false;
            if (import) {
                RemoveIfExists(newFolder + name);
                // A log that could not be copied stays where it is rather than being lost.
                keep = !QFile::copy(oldFolder + name, newFolder + name);
            }
            if (!keep)
                QFile::remove(oldFolder + name);
        }
    }
    SettingsFile->Write(Setting::logsmigrated, true);
}

void TDataMine::MigrateIndexNamedLogs() {
    if (!SettingsFile || SettingsFile->Read(Setting::logsmigrated2))
        return;
    const QString folder = DataFolder() + QStringLiteral("Logs/");
    for (const TInterfaceRow& row : GetInterfaceTable()) {
        const QString numbered = folder + QString::number(row.Index) + QStringLiteral(".dat");
        if (!QFileInfo::exists(numbered))
            continue;
        const QString named = folder + PhysicalAddressText(row.PhysAddr) + QStringLiteral(".dat");
        RemoveIfExists(named);
        QFile::rename(numbered, named);
    }
    SettingsFile->Write(Setting::logsmigrated2, true);
}

void TDataMine::ChooseActiveAdapter() {
    if (!SettingsFile)
        return;
    if (!SettingsFile->Read(Setting::activeadapter).contains(QLatin1Char('-')) &&
        SettingsFile->Exists(Setting::activeadapter))
        SettingsFile->DeleteKey(QString::fromLatin1(Setting::activeadapter.section),
                                QString::fromLatin1(Setting::activeadapter.name));
    const TAdapter* zero = Adapters->FindZeroAddress();
    const QString key = SettingsFile->ReadString(
        QString::fromLatin1(Setting::activeadapter.section),
        QString::fromLatin1(Setting::activeadapter.name), zero ? zero->PhysicalAddress : QString());
    ActiveAdapter = Adapters->FindByAddress(key);
    if (ActiveAdapter)
        SettingsFile->Write(Setting::activeadapter, ActiveAdapter->PhysicalAddress);
}

int TDataMine::ListAdapters(QStringList* list) const {
    if (!list)
        return 0;
    list->clear();
    int position = 0;
    for (const auto& adapter : Adapters->List) {
        if (ActiveAdapter && adapter->Index == ActiveAdapter->Index)
            position = static_cast<int>(list->size());
        list->append(adapter->Description + QStringLiteral(" @") + adapter->PhysicalAddress);
    }
    return position;
}

void TDataMine::SelectAdapter(const QString& key) {
    ActiveAdapter = Adapters->FindByAddress(key);
}

void TDataMine::CycleAdapter() {
    const auto& list = Adapters->List;
    if (list.empty())
        return;
    size_t next = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == ActiveAdapter) {
            next = (i + 1) % list.size();
            break;
        }
    ActiveAdapter = list[next].get();
    if (SettingsFile)
        SettingsFile->Write(Setting::activeadapter, ActiveAdapter->PhysicalAddress);
}

void TDataMine::LogTraffic(const QString& key, quint64 in, quint64 out) {
    try {
        Archives->Find(key)->Add(in, out);
    } catch (const EArchiveError& e) {
        qWarning().noquote() << e.Message;
    }
}

QString TDataMine::FormatNumber(double value) const {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::fabs(value) >= 1e14)
        return locale.toString(value, 'E', Accuracy);
    return locale.toString(value, 'f', Accuracy);
}

bool TDataMine::Lookup(QStringView source, QString& value) const {
    const qsizetype colon = source.indexOf(QLatin1Char(':'));
    const QString category = (colon < 0 ? source : source.left(colon)).toString().toUpper();
    const QString item = (colon < 0 ? source : source.mid(colon + 1)).toString().toUpper();
    const bool archive = category == QLatin1String("ARCHIVE");
    if (archive && !ActiveAdapter) {
        value = QStringLiteral("N/A");
        return true;
    }
    const auto found = Items().constFind(category + QLatin1Char(':') + item);
    if (found == Items().constEnd())
        return false;
    const Item& it = *found;
    const TAdapter* a = ActiveAdapter;
    switch (it.what) {
    case What::AppPath:
        value = ShortText(DataFolder());
        return true;
    case What::Date:
        value = ShortText(QLocale().toString(DecodeDateTime(Now()).date(), QLocale::ShortFormat));
        return true;
    case What::Time:
        value = ShortText(QLocale().toString(DecodeDateTime(Now()).time(), QLocale::LongFormat));
        return true;
    case What::Day:
        value = EnglishDayName(DecodeDate(Now()).dayOfWeek());
        return true;
    case What::ThemePath:
        if (!ThemeFolder)
            return false;
        value = ShortText(ThemeFolder());
        return true;
    default:
        break;
    }
    if (!a)
        return false; // adapter items stay as typed without a watched adapter
    switch (it.what) {
    case What::Name:
        value = ShortText(a->Description);
        return true;
    case What::Speed:
        value = QString::number(a->Speed / 1000000u);
        return true;
    case What::Rate:
    case What::RateBits: {
        const double rate =
            static_cast<double>(it.direction == In ? a->InRate(true) : a->OutRate(true));
        value = FormatNumber(it.what == What::Rate ? rate / it.scale : rate * it.scale);
        return true;
    }
    case What::SinceReboot: {
        const quint64 bytes = it.direction == In    ? a->LastIn
                              : it.direction == Out ? a->LastOut
                                                    : a->LastIn + a->LastOut;
        value = FormatNumber(static_cast<double>(bytes) / it.scale);
        return true;
    }
    case What::Archive:
        try {
            const quint64 total =
                Archives->Find(a->PhysicalAddress)->Total(it.period, it.direction);
            value = FormatNumber(static_cast<double>(total) / it.scale);
        } catch (const EArchiveError& e) {
            qWarning().noquote() << e.Message;
            value = QStringLiteral("N/A");
        }
        return true;
    default:
        return false;
    }
}

QString TDataMine::Expand(const QString& text) const {
    QString result;
    result.reserve(text.size());
    const QStringView all(text);
    const qsizetype n = all.size();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype open = all.indexOf(QLatin1Char('%'), pos);
        if (open < 0) {
            result += all.mid(pos);
            break;
        }
        result += all.mid(pos, open - pos);
        // Only the first 255 characters of a source count, so the search stops there.
        const qsizetype limit = std::min(n, open + 1 + kMaxSource);
        qsizetype close = open + 1;
        while (close < limit && all[close] != QLatin1Char('%'))
            ++close;
        const QStringView source = all.mid(open + 1, close - open - 1);
        QString value;
        const bool known = !source.isEmpty() && Lookup(source, value);
        if (source.isEmpty() || (known && value != source)) {
            result += value;
            pos = std::min(n, open + 1 + source.size() + 1);
        } else {
            // Unknown: the "%" stays and the name passes through as plain text.
            result += QLatin1Char('%');
            pos = open + 1;
        }
    }
    return result;
}
