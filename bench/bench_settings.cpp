#include "config/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The sampler asks "performlogs" for every adapter once a second: a read must stay cheap.
static void BM_SettingsRead(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/config.ini");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write config.ini");
    QByteArray content = "[settings]\naccuracy=2\n[performlogs]\n";
    for (int i = 0; i < 64; ++i)
        content += "00-11-22-33-44-" + QByteArray::number(i, 16) + "=1\n";
    file.write(content);
    file.close();
    TSettingsFile settings(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(settings.PerformLogs(QStringLiteral("00-11-22-33-44-3f")));
}
BENCHMARK(BM_SettingsRead);
