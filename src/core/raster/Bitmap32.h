#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QtGlobal>

class TPicture;

// A theme colour is a Windows colour 0x00BBGGRR; a negative one names a system colour by the
// index in its low byte. Surface colours are 0xAARRGGBB.
using TThemeColour = qint32;
using TSurfaceColour = quint32;

// The current value of a system colour (Windows colour index) as a theme colour 0x00BBGGRR.
// Taken from the application palette; a fixed table stands in when no GUI application runs.
TThemeColour SystemColour(int index);
// Resolves a system colour, swaps red and blue and makes the result opaque.
TSurfaceColour ThemeColourToSurface(TThemeColour colour);

// Face, size in points, colour (a theme colour) and style flags.
struct TFontDesc {
    QString Name = QStringLiteral("Tahoma");
    int Size = 8;
    TThemeColour Colour = 16777215;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;

    // Points are taken at 96 pixels per inch, so 8 points are an 11-pixel em.
    QFont ToQFont() const;
};

enum class TPenStyle { Solid, Dash, Dot, Clear };
enum class TBrushStyle { Solid, Clear };

// Border style of a theme: 0 solid, 1 dashed, 2 dotted, 3 none, anything else solid.
TPenStyle PenStyleFromTheme(int style);

struct TPen {
    TSurfaceColour Colour = 0xFF000000;
    int Width = 1;
    TPenStyle Style = TPenStyle::Solid;
};

struct TBrush {
    TSurfaceColour Colour = 0xFFFFFFFF;
    TBrushStyle Style = TBrushStyle::Solid;
};

// Coordinates of canvas operations are 64-bit so that element positions plus sizes from a
// theme cannot overflow; everything far outside any surface is clamped before drawing.
using TCoord = qint64;

// GDI-like drawing onto an image: no antialiasing of shapes and no alpha blending of pens and
// brushes; text is smoothed by the platform's renderer.
class TCanvas {
public:
    explicit TCanvas(QImage* image) : image_(image) {}

    TPen Pen;
    TBrush Brush;
    TFontDesc Font;

    // Top-left of the text cell at x, y, in the font's colour.
    void TextOut(TCoord x, TCoord y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // Fills x1..x2-1 by y1..y2-1 with the brush and outlines that box with the pen (drawn
    // inside the box when the pen is wider than a pixel).
    void Rectangle(TCoord x1, TCoord y1, TCoord x2, TCoord y2);
    void Ellipse(TCoord x1, TCoord y1, TCoord x2, TCoord y2);
    // Natural size, honouring the picture's own transparency.
    void Draw(TCoord x, TCoord y, const TPicture& picture);
    // Copies pixels unchanged; parts of the source outside its image read as 0.
    void CopyRect(const QRect& dest, const TCanvas& source, const QRect& sourceRect);

private:
    bool Ready() const { return image_ && !image_->isNull(); }
    QImage* image_;
};

// The 32-bit raster surface every theme is drawn into.
class TBitmap32 {
public:
    // Sides above this are cut down (a theme asking for 100000 by 100000 pixels would need 40
    // GB), and so is a side that would make the surface larger than kMaxPixels.
    static constexpr int kMaxSide = 8192;
    static constexpr qint64 kMaxPixels = qint64(4096) * 4096;

    TBitmap32() = default;
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A change of size leaves every pixel 0; the same size again keeps the content.
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);

    // Writes the colour into every pixel, without blending.
    void Clear(TSurfaceColour colour);
    TCanvas& Canvas() { return canvas_; }

    TFontDesc Font;
    int TextWidth(const QString& text) const;
    // Draws in the font at x, y (top-left), blended with the colour's alpha as opacity.
    void RenderText(TCoord x, TCoord y, const QString& text, TSurfaceColour colour);

    TSurfaceColour Pixel(int x, int y) const;
    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

private:
    int width_ = 0;
    int height_ = 0;
    QImage image_;
    TCanvas canvas_{&image_};
};

// Keeps a coordinate far outside any surface from overflowing the painter.
int ClampCoord(TCoord value);
