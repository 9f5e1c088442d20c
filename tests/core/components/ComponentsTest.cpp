#include "components/ThemeGraph.h"
#include "components/ThemeImage.h"
#include "components/ThemeProgress.h"
#include "components/ThemeShape.h"
#include "components/ThemeText.h"
#include "core/raster/GuiApp.h"
#include "raster/Bitmap32.h"
#include "theme/ThemeReader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Rows of the surface holding any pixel other than black.
std::vector<int> InkRows(const TBitmap32& s) {
    std::vector<int> rows;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if ((s.Pixel(x, y) & 0xFFFFFF) != 0) {
                rows.push_back(y);
                break;
            }
    return rows;
}

int FirstInkColumn(const TBitmap32& s) {
    for (int x = 0; x < s.Width(); ++x)
        for (int y = 0; y < s.Height(); ++y)
            if ((s.Pixel(x, y) & 0xFFFFFF) != 0)
                return x;
    return -1;
}

bool Blank(const TBitmap32& s) {
    return InkRows(s).empty();
}

void Fresh(TBitmap32& s, int w, int h) {
    s.SetSize(w, h);
    s.Clear(0xFF000000u);
}
} // namespace

TEST(ThemeText, LineAdvance) {
    struct Case {
        int size;
        double lineSpace;
        qint64 advance;
    } const cases[] = {
        {8, 1.0, 13}, {8, 1.2, 13}, // floor(5 * 1.2) is 5: 1.2 is stored just below 1.2
        {8, 2.0, 18}, {8, 0.0, 8},  {10, 1.5, 19}, {9, 1.0, 14}, {-3, 1.0, -3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TThemeText::LineAdvance(c.size, c.lineSpace), c.advance)
            << c.size << " " << c.lineSpace;
}

TEST(ThemeText, LinesAreDrawnAdvanceApart) {
    EnsureGuiApplication();
    TBitmap32 s;
    Fresh(s, 40, 60);
    TThemeText text;
    text.Width = 40;
    text.Font.Name = QStringLiteral("DejaVu Sans");
    text.Text = QStringLiteral("I\nI");
    text.Draw(s);
    std::vector<int> rows = InkRows(s);
    ASSERT_FALSE(rows.empty());
    const int top = rows.front();
    // The second line's first ink row lies one advance below the first line's.
    auto second = std::find_if(rows.begin(), rows.end(), [&](int y) { return y >= top + 12; });
    ASSERT_NE(second, rows.end());
    EXPECT_EQ(*second - top, 13);

    // A trailing line feed changes nothing; an empty text and justify 3 draw nothing.
    TBitmap32 t;
    Fresh(t, 40, 60);
    text.Text = QStringLiteral("I\nI\n");
    text.Draw(t);
    EXPECT_EQ(s.Image(), t.Image());
    for (auto [value, justify] : {std::pair{QString(), 0}, {QStringLiteral("I"), 3}}) {
        Fresh(t, 40, 60);
        text.Text = value;
        text.Justify = justify;
        text.Draw(t);
        EXPECT_TRUE(Blank(t));
    }
}

TEST(ThemeText, JustificationWithinTheWidth) {
    EnsureGuiApplication();
    TThemeText text;
    text.X = 20;
    text.Width = 10;
    text.Text = QStringLiteral("WWWWWW");
    TBitmap32 s;
    Fresh(s, 100, 20);
    const int w = s.Canvas().TextWidth(text.Text);
    text.Justify = 2; // wider than the element: starts left of X
    text.Draw(s);
    EXPECT_LT(FirstInkColumn(s), 20);
    EXPECT_GE(FirstInkColumn(s), 30 - w - 1);
    Fresh(s, 100, 20);
    text.Justify = 0;
    text.Draw(s);
    EXPECT_GE(FirstInkColumn(s), 20);
    EXPECT_LE(FirstInkColumn(s), 22);
}

TEST(GraphPlot, CapacityAndValues) {
    TGraphPlot plot{pugi::xml_node()};
    plot.SetCapacity(3);
    EXPECT_EQ(plot.SlotCount(), 3);
    EXPECT_EQ(plot.MaxValue(), 0);
    plot.AddValue(-4);
    EXPECT_EQ(plot.MaxValue(), 0); // never below 0
    plot.AddValue(7);
    plot.AddValue(2);
    plot.AddValue(1);
    EXPECT_EQ(plot.SlotCount(), 3);
    EXPECT_EQ(plot.ValueAt(0), 1);
    EXPECT_EQ(plot.ValueAt(2), 7);
    EXPECT_EQ(plot.ValueAt(3), 0);
    plot.SetCapacity(-1);
    EXPECT_EQ(plot.Capacity(), 0);
    EXPECT_EQ(plot.SlotCount(), 3); // never shrunk here
    plot.AddValue(9);
    EXPECT_EQ(plot.SlotCount(), 3);
    EXPECT_EQ(plot.Colour(), 16777215);
}

TEST(ThemeGraph, RescaleInExtendedPrecision) {
    pugi::xml_document doc;
    pugi::xml_node plots = doc.append_child("plots");
    plots.append_child("plot");
    TThemeGraph graph;
    graph.BuildPlots(plots);
    ASSERT_EQ(graph.PlotCount(), 1);
    EXPECT_EQ(graph.Plot(0).SlotCount(), 60);
    for (auto [value, scale] : {std::pair{5.0, 6.0}, {10.0, 11.0}, {20.0, 22.0}}) {
        graph.AddValue(graph.Plot(0), value);
        EXPECT_EQ(graph.ScaleSize, scale) << value;
    }
    graph.AutoScale = false;
    graph.AddValue(graph.Plot(0), 100);
    EXPECT_EQ(graph.ScaleSize, 22);
    graph.ScaleSize = 0;
    graph.Rescale();
    EXPECT_EQ(graph.ScaleSize, 110);
}

TEST(ThemeGraph, PlotPoints) {
    pugi::xml_document doc;
    pugi::xml_node plots = doc.append_child("plots");
    plots.append_child("plot");
    TThemeGraph graph;
    graph.Width = 100;
    graph.Height = 50;
    graph.ScaleSize = 10;
    graph.BuildPlots(plots);
    graph.AutoScale = false;
    graph.AddValue(graph.Plot(0), 10); // newest: on the top edge
    graph.AddValue(graph.Plot(0), 5);
    const std::vector<QPoint> points = graph.PlotPoints(graph.Plot(0), 0);
    ASSERT_EQ(points.size(), 62u);
    EXPECT_EQ(points[0], QPoint(100, 50));
    EXPECT_EQ(points[1], QPoint(100, 25));
    EXPECT_EQ(points[2], QPoint(99, 0));
    EXPECT_EQ(points[3], QPoint(97, 50)); // empty slot: bottom
    EXPECT_EQ(points[60], QPoint(1, 50)); // the oldest of 60 at x = 1, not 0
    EXPECT_EQ(points[61], QPoint(1, 50));

    // ScaleSize 0 without auto-scaling plots one pixel per unit.
    graph.ScaleSize = 0;
    EXPECT_EQ(graph.PlotPoints(graph.Plot(0), 0)[1], QPoint(100, 45));
}

TEST(ThemeGraph, DrawsOverWhatLiesBeneath) {
    EnsureGuiApplication();
    pugi::xml_document doc;
    pugi::xml_node plots = doc.append_child("plots");
    plots.append_child("plot").append_attribute("colour").set_value(255);
    TThemeGraph graph;
    graph.X = 10;
    graph.Y = 10;
    graph.Width = 40;
    graph.Height = 20;
    graph.BufferSize = 5;
    graph.Antialias = false;
    graph.BackgroundColour = 65280;
    graph.BorderStyle = TPenStyle::Clear;
    graph.BuildPlots(plots);
    graph.AutoScale = false;
    graph.ScaleSize = 10;
    for (int i = 0; i < 5; ++i)
        graph.AddValue(graph.Plot(0), 5);
    TBitmap32 s;
    Fresh(s, 60, 40);
    graph.Draw(s);
    EXPECT_EQ(s.Pixel(20, 12), 0xFF00FF00u); // background above the values
    EXPECT_EQ(s.Pixel(20, 27), 0xFFFF0000u); // plot area
    EXPECT_EQ(s.Pixel(5, 5), 0xFF000000u);   // outside untouched

    // Opacity 0 leaves only what was beneath; the border is not faded.
    graph.Opacity = 0;
    graph.BorderStyle = TPenStyle::Solid;
    graph.BorderColour = 16777215;
    Fresh(s, 60, 40);
    graph.Draw(s);
    EXPECT_EQ(s.Pixel(20, 27), 0xFF000000u);
    EXPECT_EQ(s.Pixel(10, 20), 0xFFFFFFFFu);

    // Buffer sizes without a step and a scale still draw without failing.
    for (int size : {1, 0, -5}) {
        graph.SetBufferSize(size);
        graph.ShowScale = true;
        Fresh(s, 60, 40);
        graph.Draw(s);
    }
}

TEST(ThemeGraph, ScaleTexts) {
    struct Case {
        double value;
        const char* text;
    } const cases[] = {{10, "10.00"}, {1234.5678, "1235.00"}, {0.125, "0.13"}};
    for (const Case& c : cases)
        EXPECT_EQ(TThemeGraph::ScaleText(c.value), QString::fromUtf8(c.text)) << c.value;
    EXPECT_TRUE(TThemeGraph::ScaleText(12000).contains(QLatin1Char('E')));
    EXPECT_EQ(TThemeGraph::LabelText(54.0L / 3 * 2), QStringLiteral("36.00"));
}

TEST(ThemeProgress, FillAndLabel) {
    struct Case {
        int width;
        double maximum;
        double value;
        qint64 fill;
        const char* label;
    } const cases[] = {
        {200, 1000, 333, 67, "33%"}, {200, 1000, 1000, 200, "100%"}, {200, 1000, 1500, 300, "150%"},
        {200, 0, 500, 0, ""},        {0, 1000, 500, 0, "50%"},       {200, 1000, -100, -20, "-10%"},
    };
    for (const Case& c : cases) {
        TThemeProgress bar;
        bar.Width = c.width;
        bar.Maximum = c.maximum;
        bar.Value = c.value;
        EXPECT_EQ(bar.FillLength(), c.fill) << c.value;
        EXPECT_EQ(bar.Label(), QString::fromUtf8(c.label)) << c.value;
    }
}

TEST(ThemeProgress, VerticalFrameAndFill) {
    EnsureGuiApplication();
    TThemeProgress bar;
    bar.X = 10;
    bar.Y = 200;
    bar.Width = 100;
    bar.Height = 20;
    bar.Vertical = true;
    bar.BorderThickness = 1;
    bar.BorderColour = 16777215;
    bar.BackgroundColour = 0;
    bar.ProgressColour = 255;
    bar.Maximum = 100;
    bar.Value = 50;
    bar.ShowPercentage = true; // vertical bars show no label
    TBitmap32 s;
    Fresh(s, 60, 240);
    bar.Draw(s);
    EXPECT_EQ(s.Pixel(10, 120), 0xFFFFFFFFu); // frame from (10, 120) ...
    EXPECT_EQ(s.Pixel(29, 120), 0xFFFFFFFFu); // ... to (30, 220)
    EXPECT_EQ(s.Pixel(30, 120), 0xFF000000u);
    EXPECT_EQ(s.Pixel(29, 219), 0xFFFF0000u); // the fill covers the frame where it lies
    EXPECT_EQ(s.Pixel(20, 220), 0xFF000000u);
    EXPECT_EQ(s.Pixel(10, 119), 0xFF000000u);
    EXPECT_EQ(s.Pixel(20, 200), 0xFFFF0000u); // filled upwards from the bottom
    EXPECT_EQ(s.Pixel(20, 160), 0xFF000000u);
}

TEST(ThemeShapeAndImage, Drawing) {
    EnsureGuiApplication();
    TThemeShape shape;
    shape.Width = 50;
    shape.Height = 20;
    shape.BorderStyle = TPenStyle::Clear;
    shape.BackgroundTransparent = true;
    TBitmap32 s;
    for (int style : {0, 1, 2}) {
        shape.Style = style;
        Fresh(s, 60, 30);
        shape.Draw(s);
        EXPECT_TRUE(Blank(s));
    }
    shape.BackgroundTransparent = false;
    shape.BackgroundColour = 16777215;
    shape.Style = 1;
    Fresh(s, 60, 30);
    shape.Draw(s);
    EXPECT_EQ(s.Pixel(25, 10), 0xFFFFFFFFu);
    EXPECT_EQ(s.Pixel(0, 0), 0xFF000000u);
    shape.Style = 2;
    Fresh(s, 60, 30);
    shape.Draw(s);
    EXPECT_TRUE(Blank(s));

    QTemporaryDir dir;
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(dir.path() + QStringLiteral("/Logo.bmp")));
    pugi::xml_document doc;
    pugi::xml_node element = doc.append_child("element");
    element.append_child("path").text().set("%THEME:Path%\\logo.BMP");
    TThemeImage image;
    image.Width = 10;
    image.Height = 10;
    image.Read(element, dir.path() + QLatin1Char('/'));
    ASSERT_FALSE(image.Picture.Empty());
    Fresh(s, 80, 80);
    image.Draw(s);
    EXPECT_EQ(s.Pixel(63, 63), 0xFFFFFFFFu); // drawn whole, not in its 10 by 10 box
    EXPECT_EQ(s.Pixel(64, 64), 0xFF000000u);

    element.child("path").text().set("%THEME:Path%\\missing.bmp");
    image.Read(element, dir.path() + QLatin1Char('/'));
    EXPECT_TRUE(image.Picture.Empty());
    Fresh(s, 80, 80);
    image.Draw(s);
    EXPECT_TRUE(Blank(s));
}

TEST(ThemeGraph, ScaleLabelsStandOnEqualSteps) {
    EnsureGuiApplication();
    TThemeGraph graph;
    graph.Width = 60;
    graph.Height = 54;
    graph.ShowScale = true;
    graph.BackgroundTransparent = true;
    graph.BorderStyle = TPenStyle::Clear;
    graph.Font.Name = QStringLiteral("DejaVu Sans");
    graph.ScaleSize = 90;
    TBitmap32 s;
    Fresh(s, 60, 54);
    graph.Draw(s);
    // Size 8: n = floor(54 / 18) = 3, labels with their tops at 54 (outside), 36, 18 and 0.
    const std::vector<int> rows = InkRows(s);
    ASSERT_FALSE(rows.empty());
    auto inkIn = [&](int from, int to) {
        return std::any_of(rows.begin(), rows.end(), [&](int y) { return y >= from && y < to; });
    };
    EXPECT_TRUE(inkIn(0, 13));
    EXPECT_TRUE(inkIn(18, 31));
    EXPECT_TRUE(inkIn(36, 49));
    EXPECT_FALSE(inkIn(14, 18));
    EXPECT_FALSE(inkIn(32, 36));
    EXPECT_FALSE(inkIn(50, 54));
}
