#include "raster/Bitmap32.h"
#include "GuiApp.h"
#include "raster/Picture.h"
#include "raster/Polygon32.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
int Red(TSurfaceColour c) {
    return int((c >> 16) & 0xFF);
}
int Green(TSurfaceColour c) {
    return int((c >> 8) & 0xFF);
}
int Blue(TSurfaceColour c) {
    return int(c & 0xFF);
}
} // namespace

TEST(ThemeColour, ConvertsWindowsColoursToSurfaceColours) {
    struct Case {
        TThemeColour theme;
        TSurfaceColour surface;
    } const cases[] = {
        {16777215, 0xFFFFFFFFu}, {255, 0xFFFF0000u},        {16711680, 0xFF0000FFu},
        {0, 0xFF000000u},        {0x00332211, 0xFF112233u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThemeColourToSurface(c.theme), c.surface) << c.theme;
}

TEST(ThemeColour, NegativeValuesNameSystemColours) {
    // Without a GUI application the fixed table answers: index 5 is the window colour (white),
    // index 8 the window text (black); an unknown index gives black.
    if (QCoreApplication::instance())
        GTEST_SKIP() << "the palette answers once a GUI application exists";
    EXPECT_EQ(ThemeColourToSurface(-2147483648 + 5), 0xFFFFFFFFu);
    EXPECT_EQ(ThemeColourToSurface(-2147483648 + 8), 0xFF000000u);
    EXPECT_EQ(ThemeColourToSurface(-2147483648 + 200), 0xFF000000u);
    EXPECT_EQ(SystemColour(13), 0x00FF9933); // highlight 51,153,255 as 0x00BBGGRR
}

TEST(ThemeColour, SystemColoursFollowThePalette) {
    EnsureGuiApplication();
    const QColor highlight =
        QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
    const TSurfaceColour expected = 0xFF000000u | highlight.rgb();
    EXPECT_EQ(ThemeColourToSurface(-2147483648 + 13), expected);
    EXPECT_EQ(ThemeColourToSurface(-1), ThemeColourToSurface(SystemColour(255)));
}

TEST(Bitmap32, SizeChangesClearAndSameSizeKeeps) {
    TBitmap32 s;
    EXPECT_EQ(s.Width(), 0);
    EXPECT_EQ(s.Height(), 0);
    s.SetSize(4, 3);
    EXPECT_EQ(s.Pixel(0, 0), 0u);
    s.Clear(0xFF123456u);
    EXPECT_EQ(s.Pixel(3, 2), 0xFF123456u);
    s.SetSize(4, 3);
    EXPECT_EQ(s.Pixel(3, 2), 0xFF123456u);
    s.SetWidth(5);
    EXPECT_EQ(s.Width(), 5);
    EXPECT_EQ(s.Pixel(3, 2), 0u);
    s.SetHeight(-7);
    EXPECT_EQ(s.Height(), 0);
    EXPECT_EQ(s.Pixel(0, 0), 0u); // outside
}

TEST(Bitmap32, HugeSizesAreLimited) {
    TBitmap32 s;
    s.SetSize(100000, 100000);
    EXPECT_LE(s.Width(), TBitmap32::kMaxSide);
    EXPECT_LE(qint64(s.Width()) * s.Height(), TBitmap32::kMaxPixels);
    s.SetSize(0, 0);
    EXPECT_TRUE(s.Image().isNull());
}

TEST(Canvas, RectangleFillsUpToButNotIncludingTheSecondCorner) {
    TBitmap32 s;
    s.SetSize(10, 10);
    TCanvas& c = s.Canvas();
    c.Brush.Colour = 0xFF00FF00u;
    c.Pen.Colour = 0xFFFF0000u;
    c.Rectangle(2, 2, 6, 5);
    EXPECT_EQ(s.Pixel(2, 2), 0xFFFF0000u); // outline
    EXPECT_EQ(s.Pixel(5, 4), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(3, 3), 0xFF00FF00u); // inside
    EXPECT_EQ(s.Pixel(6, 4), 0u);
    EXPECT_EQ(s.Pixel(5, 5), 0u);

    // Clear pen and clear brush draw nothing.
    TBitmap32 t;
    t.SetSize(10, 10);
    t.Canvas().Pen.Style = TPenStyle::Clear;
    t.Canvas().Brush.Style = TBrushStyle::Clear;
    t.Canvas().Rectangle(0, 0, 10, 10);
    t.Canvas().Ellipse(0, 0, 10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(t.Pixel(x, y), 0u);
    // Coordinates far outside do not fail.
    t.Canvas().Pen.Style = TPenStyle::Solid;
    t.Canvas().Rectangle(-4000000000LL, -5, 4000000000LL, 3);
    EXPECT_EQ(t.Pixel(5, 2), 0xFF000000u);
}

TEST(Canvas, EllipseTouchesTheFourSidesOfItsBox) {
    TBitmap32 s;
    s.SetSize(60, 30);
    s.Canvas().Brush.Style = TBrushStyle::Clear;
    s.Canvas().Pen.Colour = 0xFFFFFFFFu;
    s.Canvas().Ellipse(5, 5, 55, 25);
    auto rowHas = [&](int y) {
        for (int x = 0; x < 60; ++x)
            if (s.Pixel(x, y) != 0)
                return true;
        return false;
    };
    auto columnHas = [&](int x) {
        for (int y = 0; y < 30; ++y)
            if (s.Pixel(x, y) != 0)
                return true;
        return false;
    };
    EXPECT_TRUE(rowHas(5));
    EXPECT_TRUE(rowHas(24));
    EXPECT_FALSE(rowHas(4));
    EXPECT_FALSE(rowHas(25));
    EXPECT_TRUE(columnHas(5));
    EXPECT_TRUE(columnHas(54));
    EXPECT_FALSE(columnHas(4));
    EXPECT_FALSE(columnHas(55));
    EXPECT_EQ(s.Pixel(30, 15), 0u); // not filled
}

TEST(Canvas, CopyRectCopiesPixelsUnchanged) {
    TBitmap32 a, b;
    a.SetSize(4, 4);
    b.SetSize(4, 4);
    a.Clear(0xFF102030u);
    b.Canvas().CopyRect(QRect(1, 1, 2, 2), a.Canvas(), QRect(3, 3, 2, 2));
    EXPECT_EQ(b.Pixel(1, 1), 0xFF102030u);
    EXPECT_EQ(b.Pixel(2, 2) & 0xFFFFFFu, 0u); // outside the source reads as black
    EXPECT_EQ(b.Pixel(0, 0), 0u);
}

TEST(Polygon32, FillBlendsWithTheColoursAlpha) {
    TBitmap32 s;
    s.SetSize(10, 10);
    s.Clear(0xFF000000u);
    TPolygon32 p;
    for (auto [x, y] : {std::pair{-5, -5}, {20, -5}, {20, 20}, {-5, 20}})
        p.Add(x, y);
    p.Fill(s, 0x00FFFFFFu);
    EXPECT_EQ(s.Pixel(5, 5), 0xFF000000u); // alpha 0: unchanged
    p.Fill(s, 0xFF336699u);
    EXPECT_EQ(s.Pixel(5, 5), 0xFF336699u); // alpha 255, not antialiased: exact
    s.Clear(0xFF000000u);
    p.Fill(s, 0x80FFFFFFu);
    EXPECT_NEAR(Red(s.Pixel(0, 9)), 128, 2);
}

TEST(Polygon32, EvenOddRuleAndAntialiasedEdges) {
    TBitmap32 s;
    s.SetSize(20, 20);
    s.Clear(0xFF000000u);
    TPolygon32 p;
    // An outer square and an inner one in the same path: the inner part has even crossings.
    for (auto [x, y] : {std::pair{0, 0},
                        {20, 0},
                        {20, 20},
                        {0, 20},
                        {0, 0},
                        {5, 5},
                        {15, 5},
                        {15, 15},
                        {5, 15},
                        {5, 5}})
        p.Add(x, y);
    p.Fill(s, 0xFFFFFFFFu);
    EXPECT_EQ(s.Pixel(2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(s.Pixel(10, 10), 0xFF000000u);

    TBitmap32 t;
    t.SetSize(10, 10);
    t.Clear(0xFF000000u);
    TPolygon32 tri;
    tri.Antialiased = true;
    for (auto [x, y] : {std::pair{0, 0}, {10, 10}, {0, 10}})
        tri.Add(x, y);
    tri.Fill(t, 0xFFFFFFFFu);
    const int diagonal = Green(t.Pixel(5, 5));
    EXPECT_GT(diagonal, 40); // partly covered
    EXPECT_LT(diagonal, 215);
    EXPECT_EQ(t.Pixel(2, 8), 0xFFFFFFFFu);
    EXPECT_EQ(t.Pixel(8, 2), 0xFF000000u);

    t.Clear(0xFF000000u);
    tri.Clear();
    for (auto [x, y] : {std::pair{1, 1}, {8, 1}, {8, 8}})
        tri.Add(x, y);
    tri.Antialiased = false;
    tri.Outline(t, 0xFFFF0000u);
    EXPECT_EQ(t.Pixel(4, 1), 0xFFFF0000u);
    EXPECT_EQ(Blue(t.Pixel(6, 2)), 0);
}

TEST(Bitmap32, RendersTextWithAlpha) {
    EnsureGuiApplication();
    TBitmap32 s;
    s.SetSize(60, 20);
    s.Clear(0xFF000000u);
    s.Font.Size = 14;
    s.Font.Bold = true;
    const int width = s.TextWidth(QStringLiteral("MMM"));
    EXPECT_GT(width, 10);
    s.RenderText(0, 0, QStringLiteral("MMM"), 0x80FFFFFFu);
    int brightest = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            brightest = std::max(brightest, Red(s.Pixel(x, y)));
    EXPECT_NEAR(brightest, 128, 6);
    s.Canvas().Font = s.Font;
    EXPECT_EQ(s.Canvas().TextWidth(QStringLiteral("MMM")), width);
    s.Clear(0xFF000000u);
    s.Canvas().TextOut(0, 0, QStringLiteral("MMM"));
    brightest = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            brightest = std::max(brightest, Red(s.Pixel(x, y)));
    EXPECT_EQ(brightest, 255);
}

TEST(Picture, LoadsByExtensionAndFindsFilesIgnoringCase) {
    EnsureGuiApplication();
    QTemporaryDir dir;
    QImage red(3, 2, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.path() + QStringLiteral("/Pic.PNG"), "png"));
    ASSERT_TRUE(red.save(dir.path() + QStringLiteral("/pic.bmp"), "bmp"));
    ASSERT_TRUE(red.save(dir.path() + QStringLiteral("/pic.jpg"), "jpeg"));
    QDir(dir.path()).mkdir(QStringLiteral("Sub"));
    ASSERT_TRUE(red.save(dir.path() + QStringLiteral("/Sub/x.ico"), "ico"));
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.path() + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(QStringLiteral("corrupt.png"), QByteArray("\x89PNG\r\n\x1a\nnot really", 18));
    write(QStringLiteral("text.bmp"), QByteArray("hello"));
    write(QStringLiteral("meta.wmf"), QByteArray("\xd7\xcd\xc6\x9a", 4));
    // A PNG header claiming 100000 by 100000 pixels.
    QByteArray huge =
        QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a00806000000");
    huge += QByteArray(64, '\0');
    write(QStringLiteral("huge.png"), huge);

    struct Case {
        QString path;
        bool loads;
    } const cases[] = {
        {dir.path() + QStringLiteral("/pic.png"), true}, // case differs on disk
        {dir.path() + QStringLiteral("\\PIC.bmp"), true},
        {dir.path() + QStringLiteral("//pic.jpg"), true},
        {dir.path() + QStringLiteral("\\sub\\X.ICO"), true},
        {dir.path() + QStringLiteral("/missing.png"), false},
        {dir.path() + QStringLiteral("/corrupt.png"), false},
        {dir.path() + QStringLiteral("/text.bmp"), false},
        {dir.path() + QStringLiteral("/meta.wmf"), false},
        {dir.path() + QStringLiteral("/huge.png"), false},
        {dir.path(), false},
        {QString(), false},
    };
    for (const Case& c : cases) {
        TPicture picture;
        EXPECT_EQ(picture.LoadFromFile(c.path), c.loads) << c.path.toStdString();
        EXPECT_EQ(picture.Empty(), !c.loads);
        if (c.loads) {
            EXPECT_EQ(picture.Width(), 3);
            EXPECT_EQ(picture.Height(), 2);
        }
    }
    TPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(dir.path() + QStringLiteral("/pic.png")));
    TBitmap32 s;
    s.SetSize(10, 10);
    s.Canvas().Draw(8, 9, picture);
    EXPECT_EQ(s.Pixel(8, 9), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(9, 9), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(7, 9), 0u);
}
