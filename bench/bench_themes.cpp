// One refresh and paint (data update, drawing into a fresh surface, copy to a canvas) of each
// default theme and of a stress theme of 50 elements with 5 graphs of 500 values.
#include "config/DataFolder.h"
#include "core/raster/GuiApp.h"
#include "theme/Theme.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QString SourceDir() {
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/..";
}

QByteArray StressTheme() {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<theme>\n"
                     "<element name=\"main\" kind=\"DISPLAY\" width=\"400\" height=\"300\">"
                     "<colour>3355443</colour><hintdata>T0</hintdata></element>\n";
    int count = 1;
    for (int g = 0; g < 5; ++g, ++count)
        xml += QStringLiteral("<element name=\"G%1\" kind=\"GRAPH\" x=\"%2\" y=\"%3\" "
                              "width=\"190\" height=\"60\"><buffersize>500</buffersize>"
                              "<showscale>true</showscale><plots><plot value=\"%4\" "
                              "colour=\"65280\"/><plot value=\"%5\" colour=\"255\"/></plots>"
                              "</element>\n")
                   .arg(g)
                   .arg((g % 2) * 200 + 5)
                   .arg((g / 2) * 70 + 5)
                   .arg(g * 13 + 7)
                   .arg(g * 5 + 3)
                   .toUtf8();
    for (int t = 0; count < 50; ++t, ++count) {
        if (t % 3 == 0)
            xml += QStringLiteral("<element name=\"S%1\" kind=\"SHAPE\" x=\"%2\" y=\"%3\" "
                                  "width=\"30\" height=\"12\"><style>%4</style></element>\n")
                       .arg(t)
                       .arg((t * 37) % 360)
                       .arg(220 + (t % 6) * 12)
                       .arg(t % 2)
                       .toUtf8();
        else if (t % 3 == 1)
            xml += QStringLiteral("<element name=\"P%1\" kind=\"PROGRESS\" x=\"%2\" y=\"%3\" "
                                  "width=\"60\" height=\"10\"><value>%4</value>"
                                  "<maximum>100</maximum><showpercentage>true</showpercentage>"
                                  "</element>\n")
                       .arg(t)
                       .arg((t * 53) % 340)
                       .arg(210 + (t % 7) * 12)
                       .arg(t * 2)
                       .toUtf8();
        else
            xml += QStringLiteral("<element name=\"T%1\" kind=\"TEXT\" x=\"%2\" y=\"%3\" "
                                  "width=\"120\"><value>Line %1 of text\nsecond line %1</value>"
                                  "<font><justify>%4</justify></font></element>\n")
                       .arg(t)
                       .arg((t * 29) % 300)
                       .arg(200 + (t % 8) * 11)
                       .arg(t % 3)
                       .toUtf8();
    }
    return xml + "</theme>\n";
}

void RefreshAndPaint(benchmark::State& state, const QByteArray& xml) {
    EnsureGuiApplication();
    QTemporaryDir dir;
    SetFolders(dir.path() + QStringLiteral("/data"), dir.path() + QStringLiteral("/program"));
    QDir().mkpath(dir.path() + QStringLiteral("/data/Themes/Bench"));
    const QString file = ThemeFile(QStringLiteral("Bench"));
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(xml);
    out.close();
    TTheme theme;
    theme.LoadTheme(file);
    // Histories full, as after a few minutes of running.
    for (int i = 0; i < 500; ++i)
        theme.Refresh();
    TImageCanvas canvas;
    theme.AddCanvas(&canvas);
    for (auto _ : state)
        theme.Refresh();
    state.counters["pixels"] = canvas.Image().width() * canvas.Image().height();
}

QByteArray DefaultTheme(const char* name) {
    QFile file(SourceDir() + QStringLiteral("/defaults/Themes/") + QString::fromUtf8(name) +
               QStringLiteral("/repositary.xml"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
} // namespace

static void BM_RefreshDarvelo(benchmark::State& state) {
    RefreshAndPaint(state, DefaultTheme("Darvelo"));
}
BENCHMARK(BM_RefreshDarvelo)->Unit(benchmark::kMicrosecond);

static void BM_RefreshDarveloVista(benchmark::State& state) {
    RefreshAndPaint(state, DefaultTheme("Darvelo (Vista)"));
}
BENCHMARK(BM_RefreshDarveloVista)->Unit(benchmark::kMicrosecond);

static void BM_RefreshStress50(benchmark::State& state) {
    RefreshAndPaint(state, StressTheme());
}
BENCHMARK(BM_RefreshStress50)->Unit(benchmark::kMicrosecond);
