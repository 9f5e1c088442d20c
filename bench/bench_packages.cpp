#include "packages/ZLibCompression.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>
#include <zlib.h>

namespace {

// A theme of 30 files, 5 MB in all: a theme document, text and markup, pictures with smooth
// gradients and a few already compressed (random) pictures.
struct Theme {
    Theme() {
        constexpr qsizetype Total = 5 * 1024 * 1024;
        constexpr int Count = 30;
        QRandomGenerator random(2026);
        for (int i = 0; i < Count; ++i) {
            const qsizetype size = Total / Count;
            QByteArray data(size, Qt::Uninitialized);
            QString name;
            if (i < 8) {
                name = QStringLiteral("part%1.xml").arg(i);
                const QByteArray line =
                    "  <element name=\"text" + QByteArray::number(i) +
                    "\" value=\"%Adapter:KBInPerSec% KB/s\" x=\"10\" y=\"20\"/>\r\n";
                for (qsizetype at = 0; at < size; ++at)
                    data[at] = line[at % line.size()];
            } else if (i < 26) {
                name = QStringLiteral("picture%1.bmp").arg(i);
                for (qsizetype at = 0; at < size; ++at)
                    data[at] =
                        static_cast<char>((at / 4 % 256 + at / 1024 + random.bounded(3)) & 0xFF);
            } else {
                name = QStringLiteral("photo%1.jpg").arg(i);
                for (char& byte : data)
                    byte = static_cast<char>(random.bounded(256));
            }
            QFile file(dir.path() + QLatin1Char('/') + name);
            if (file.open(QIODevice::WriteOnly))
                file.write(data);
            files << file.fileName();
            contents.push_back(data);
            bytes += size;
        }
        package = packageDir.path() + QStringLiteral("/theme.dtp");
        TZLibCompression().CompressFiles(files, package);
    }

    QTemporaryDir dir;
    QTemporaryDir packageDir;
    QStringList files;
    std::vector<QByteArray> contents;
    qint64 bytes = 0;
    QString package;
};

Theme& SharedTheme() {
    static Theme theme;
    return theme;
}

// Wall time: packing and unpacking end with each file flushed to disk, which CPU time misses.
void BM_Pack(benchmark::State& state) {
    Theme& theme = SharedTheme();
    const QString out = theme.packageDir.path() + QStringLiteral("/packed.dtp");
    for (auto _ : state)
        TZLibCompression().CompressFiles(theme.files, out);
    state.SetBytesProcessed(state.iterations() * theme.bytes);
    state.counters["ratio"] = double(QFileInfo(out).size()) / double(theme.bytes);
}
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Unpack(benchmark::State& state) {
    Theme& theme = SharedTheme();
    const QString target = theme.packageDir.path() + QStringLiteral("/unpacked");
    for (auto _ : state)
        TZLibCompression().DecompressFiles(theme.package, target);
    state.SetBytesProcessed(state.iterations() * theme.bytes);
}
BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond)->UseRealTime();

// zlib alone over the same bytes, in memory, with the package's settings: the floor for both.
void BM_DeflateOnly(benchmark::State& state) {
    Theme& theme = SharedTheme();
    for (auto _ : state) {
        for (const QByteArray& data : theme.contents) {
            uLongf length = compressBound(static_cast<uLong>(data.size()));
            std::vector<Bytef> out(length);
            compress2(out.data(), &length, reinterpret_cast<const Bytef*>(data.constData()),
                      static_cast<uLong>(data.size()), 9);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * theme.bytes);
}
BENCHMARK(BM_DeflateOnly)->Unit(benchmark::kMillisecond);

void BM_InflateOnly(benchmark::State& state) {
    Theme& theme = SharedTheme();
    std::vector<std::vector<Bytef>> compressed;
    for (const QByteArray& data : theme.contents) {
        uLongf length = compressBound(static_cast<uLong>(data.size()));
        std::vector<Bytef> out(length);
        compress2(out.data(), &length, reinterpret_cast<const Bytef*>(data.constData()),
                  static_cast<uLong>(data.size()), 9);
        out.resize(length);
        compressed.push_back(std::move(out));
    }
    std::vector<Bytef> plain(static_cast<size_t>(theme.contents.front().size()));
    for (auto _ : state) {
        for (const std::vector<Bytef>& data : compressed) {
            uLongf length = plain.size();
            uncompress(plain.data(), &length, data.data(), static_cast<uLong>(data.size()));
            benchmark::DoNotOptimize(plain.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * theme.bytes);
}
BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMillisecond);

} // namespace
