// The traffic engine's per-second work: one sampling step, one theme-sized expansion over a
// long usage log, and saving such a log.
#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "platform/LinuxInterfaceTable.h"
#include "seams/Clock.h"
#include "support/ScriptedInterfaceTable.h"
#include "usage/DataMine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {
class StillClock final : public IClock {
public:
    TDateTime Now() const override { return now; }
    TDateTime now = EncodeDateTime(QDateTime(QDate(2026, 12, 11), QTime(12, 0)));
};

// A temporary data folder with settings, the clock above and a scripted table.
struct Setup {
    Setup() {
        SetFolders(dir.path() + QStringLiteral("/data/"), dir.path() + QStringLiteral("/program/"));
        QFile ini(DataFolder() + QStringLiteral("config.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(
                "[settings]\nlogsmigrated=1\nlogsmigrated2=1\nactiveadapter=00-1A-2B-3C-4D-01\n");
        ini.close();
        SettingsFile = std::make_unique<TSettingsFile>(DataFolder() + QStringLiteral("config.ini"));
        SetClock(&clock);
    }
    ~Setup() {
        DataMine.reset();
        SettingsFile.reset();
        SetClock(nullptr);
    }
    void Rows(int count) {
        table.rows.clear();
        for (int i = 1; i <= count; ++i)
            table.rows.append(ScriptedInterfaceTable::Row(static_cast<quint32>(i),
                                                          QStringLiteral("eth%1").arg(i),
                                                          static_cast<quint8>(i), 0, 0));
    }
    // One record per day for `days` days up to today, in the watched adapter's log.
    void WriteLog(int days) {
        QDir().mkpath(DataFolder() + QStringLiteral("Logs"));
        QByteArray bytes;
        const double today = std::floor(clock.now);
        for (int i = days - 1; i >= 0; --i) {
            char record[24];
            const double date = today - i;
            quint64 raw;
            std::memcpy(&raw, &date, 8);
            qToLittleEndian(raw, record);
            qToLittleEndian(quint64(123456789), record + 8);
            qToLittleEndian(quint64(98765432), record + 16);
            bytes.append(record, 24);
        }
        QFile file(DataFolder() + QStringLiteral("Logs/00-1A-2B-3C-4D-01.dat"));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir dir;
    StillClock clock;
    ScriptedInterfaceTable table;
};

// A text of 20 data items, 10 of them usage totals, as a busy theme shows them.
const QString kThemeText = QStringLiteral(
    "Down %Adapter:KBInPerSec% KB/s Up %Adapter:KBOutPerSec% KB/s %Adapter:MbitInPerSec% "
    "%Adapter:MbitOutPerSec% Mbit %Adapter:Name% %Adapter:Speed% %Times:Date% %Times:Time% "
    "%Adapter:GBInSinceReboot% %Adapter:GBOutSinceReboot% | hour %Archive:MBBothThisHour% "
    "today %Archive:MBInToday% %Archive:MBOutToday% week %Archive:GBInThisWeek% "
    "%Archive:GBBothThisWeek% month %Archive:GBInThisMonth% %Archive:GBOutThisMonth% "
    "%Archive:GBBothThisMonth% year %Archive:TBBothThisYear% %Archive:GBInThisYear%");

// Arguments: interface count, and whether a config.ini is there to ask about logging.
void BM_TickScripted(benchmark::State& state) {
    Setup setup;
    if (state.range(1) == 0)
        SettingsFile.reset();
    setup.Rows(static_cast<int>(state.range(0)));
    TAdapters sampler([](const QString&, quint64, quint64) {});
    quint64 counter = 0;
    for (auto _ : state) {
        counter += 1500;
        for (TInterfaceRow& row : setup.table.rows)
            row.InOctets = row.OutOctets = counter;
        sampler.Tick();
    }
}
BENCHMARK(BM_TickScripted)->Args({64, 1})->Args({64, 0});

// One step with every interface busy, so each one is logged: the whole per-second path.
void BM_TickScriptedLogged(benchmark::State& state) {
    Setup setup;
    setup.Rows(static_cast<int>(state.range(0)));
    DataMine = std::make_unique<TDataMine>();
    quint64 counter = 0;
    for (auto _ : state) {
        counter += 1500;
        for (TInterfaceRow& row : setup.table.rows)
            row.InOctets = row.OutOctets = counter;
        DataMine->Adapters->Tick();
    }
}
BENCHMARK(BM_TickScriptedLogged)->Arg(64);

void BM_LinuxTableRead(benchmark::State& state) {
    TLinuxInterfaceTable table;
    for (auto _ : state)
        benchmark::DoNotOptimize(table.Interfaces());
    state.counters["interfaces"] = static_cast<double>(table.Interfaces().size());
}
BENCHMARK(BM_LinuxTableRead);

void BM_TickLinux(benchmark::State& state) {
    Setup setup;
    TLinuxInterfaceTable table;
    SetInterfaceTable(&table);
    {
        TAdapters sampler([](const QString&, quint64, quint64) {});
        for (auto _ : state)
            sampler.Tick();
    }
    SetInterfaceTable(nullptr);
}
BENCHMARK(BM_TickLinux);

void BM_ExpandThemeText(benchmark::State& state) {
    Setup setup;
    setup.Rows(4);
    setup.WriteLog(static_cast<int>(state.range(0)) * 365);
    DataMine = std::make_unique<TDataMine>();
    DataMine->Expand(kThemeText); // positions found once, as after the first second
    for (auto _ : state)
        benchmark::DoNotOptimize(DataMine->Expand(kThemeText));
}
BENCHMARK(BM_ExpandThemeText)->Arg(1)->Arg(20);

// The first expansion after a load or a change of period: full searches of the log.
void BM_ExpandThemeTextColdPositions(benchmark::State& state) {
    Setup setup;
    setup.Rows(4);
    setup.WriteLog(static_cast<int>(state.range(0)) * 365);
    DataMine = std::make_unique<TDataMine>();
    TArchive* log = DataMine->Archives->Find(QStringLiteral("00-1A-2B-3C-4D-01"));
    for (auto _ : state) {
        log->TodayIndex = log->WeekIndex = log->MonthIndex = log->YearIndex = -1;
        benchmark::DoNotOptimize(DataMine->Expand(kThemeText));
    }
}
BENCHMARK(BM_ExpandThemeTextColdPositions)->Arg(1)->Arg(20);

void BM_SaveLog(benchmark::State& state) {
    Setup setup;
    setup.WriteLog(static_cast<int>(state.range(0)) * 365);
    TArchive log(QStringLiteral("00-1A-2B-3C-4D-01"));
    for (auto _ : state)
        log.Save();
    state.SetBytesProcessed(state.iterations() * log.Count() * 24);
}
BENCHMARK(BM_SaveLog)->Arg(20);
} // namespace
namespace {} // namespace

namespace {
// Texts no theme should hold, to show the expansion stays linear in the text's length.
void BM_ExpandHostileText(benchmark::State& state) {
    Setup setup;
    setup.Rows(4);
    DataMine = std::make_unique<TDataMine>();
    const int n = static_cast<int>(state.range(0));
    QString text;
    switch (state.range(1)) {
    case 0: // a lone "%" before a long text
        text = QStringLiteral("%") + QString(n, QLatin1Char('a'));
        break;
    case 1: // nothing but "%"
        text = QString(n, QLatin1Char('%'));
        break;
    default: // many unknown items of 200 characters
        while (text.size() < n)
            text += QStringLiteral("%Adapter:") + QString(200, QLatin1Char('z'));
        break;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(DataMine->Expand(text));
    state.SetComplexityN(n);
}
BENCHMARK(BM_ExpandHostileText)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);
} // namespace
