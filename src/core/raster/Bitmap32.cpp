#include "raster/Bitmap32.h"

#include "raster/Picture.h"

#include <QDebug>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstring>

namespace {
// Far enough outside every surface that clamping cannot change what is visible, near enough
// that the painter's fixed-point arithmetic cannot overflow.
constexpr TCoord kFar = 1 << 20;

// Windows colour value from red, green and blue.
constexpr TThemeColour Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

struct SystemColourEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    TThemeColour fallback; // used while no GUI application exists
};

// Windows system colour indices 0 (COLOR_SCROLLBAR) to 30 (COLOR_MENUBAR), each mapped to the
// palette role closest in purpose.
const SystemColourEntry kSystemColours[] = {
    {QPalette::Active, QPalette::Midlight, Rgb(200, 200, 200)},        // scroll bar
    {QPalette::Active, QPalette::Dark, Rgb(0, 0, 0)},                  // desktop
    {QPalette::Active, QPalette::Highlight, Rgb(153, 180, 209)},       // active caption
    {QPalette::Inactive, QPalette::Mid, Rgb(191, 205, 219)},           // inactive caption
    {QPalette::Active, QPalette::Window, Rgb(240, 240, 240)},          // menu
    {QPalette::Active, QPalette::Base, Rgb(255, 255, 255)},            // window
    {QPalette::Active, QPalette::Shadow, Rgb(100, 100, 100)},          // window frame
    {QPalette::Active, QPalette::WindowText, Rgb(0, 0, 0)},            // menu text
    {QPalette::Active, QPalette::Text, Rgb(0, 0, 0)},                  // window text
    {QPalette::Active, QPalette::HighlightedText, Rgb(0, 0, 0)},       // caption text
    {QPalette::Active, QPalette::Button, Rgb(180, 180, 180)},          // active border
    {QPalette::Inactive, QPalette::Button, Rgb(244, 247, 252)},        // inactive border
    {QPalette::Active, QPalette::Dark, Rgb(171, 171, 171)},            // application workspace
    {QPalette::Active, QPalette::Highlight, Rgb(51, 153, 255)},        // highlight
    {QPalette::Active, QPalette::HighlightedText, Rgb(255, 255, 255)}, // highlight text
    {QPalette::Active, QPalette::Button, Rgb(240, 240, 240)},          // button face
    {QPalette::Active, QPalette::Mid, Rgb(160, 160, 160)},             // button shadow
    {QPalette::Disabled, QPalette::Text, Rgb(109, 109, 109)},          // grey text
    {QPalette::Active, QPalette::ButtonText, Rgb(0, 0, 0)},            // button text
    {QPalette::Inactive, QPalette::WindowText, Rgb(67, 78, 84)},       // inactive caption text
    {QPalette::Active, QPalette::Light, Rgb(255, 255, 255)},           // button highlight
    {QPalette::Active, QPalette::Shadow, Rgb(105, 105, 105)},          // 3D dark shadow
    {QPalette::Active, QPalette::Midlight, Rgb(227, 227, 227)},        // 3D light
    {QPalette::Active, QPalette::ToolTipText, Rgb(0, 0, 0)},           // tooltip text
    {QPalette::Active, QPalette::ToolTipBase, Rgb(255, 255, 225)},     // tooltip background
    {QPalette::Active, QPalette::Button, Rgb(0, 0, 0)},                // (unused index 25)
    {QPalette::Active, QPalette::Link, Rgb(0, 102, 204)},              // hot-tracked item
    {QPalette::Active, QPalette::Highlight, Rgb(185, 209, 234)},       // active caption gradient
    {QPalette::Inactive, QPalette::Mid, Rgb(215, 228, 242)},           // inactive caption gradient
    {QPalette::Active, QPalette::Highlight, Rgb(51, 153, 255)},        // menu highlight
    {QPalette::Active, QPalette::Window, Rgb(240, 240, 240)},          // menu bar
};

TCoord Clamp(TCoord value) {
    return std::clamp(value, -kFar, kFar);
}

QColor Opaque(TSurfaceColour colour) {
    return QColor::fromRgb(colour | 0xFF000000u);
}

Qt::PenStyle QtStyle(TPenStyle style) {
    switch (style) {
    case TPenStyle::Dash:
        return Qt::DashLine;
    case TPenStyle::Dot:
        return Qt::DotLine;
    case TPenStyle::Clear:
        return Qt::NoPen;
    case TPenStyle::Solid:
        break;
    }
    return Qt::SolidLine;
}

// Normalised box from two corners, clamped; false when it is empty.
bool Box(TCoord x1, TCoord y1, TCoord x2, TCoord y2, QRect& box) {
    const TCoord left = Clamp(std::min(x1, x2));
    const TCoord right = Clamp(std::max(x1, x2));
    const TCoord top = Clamp(std::min(y1, y2));
    const TCoord bottom = Clamp(std::max(y1, y2));
    if (right <= left || bottom <= top)
        return false;
    box = QRect(int(left), int(top), int(right - left), int(bottom - top));
    return true;
}
} // namespace

int ClampCoord(TCoord value) {
    return int(Clamp(value));
}

TThemeColour SystemColour(int index) {
    if (index < 0 || index >= int(std::size(kSystemColours)))
        return 0;
    const SystemColourEntry& entry = kSystemColours[index];
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return entry.fallback;
    const QColor c = QGuiApplication::palette().color(entry.group, entry.role);
    return Rgb(c.red(), c.green(), c.blue());
}

TSurfaceColour ThemeColourToSurface(TThemeColour colour) {
    if (colour < 0)
        colour = SystemColour(colour & 0xFF);
    const auto value = static_cast<quint32>(colour);
    const quint32 red = value & 0xFF;
    const quint32 green = (value >> 8) & 0xFF;
    const quint32 blue = (value >> 16) & 0xFF;
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

TPenStyle PenStyleFromTheme(int style) {
    switch (style) {
    case 1:
        return TPenStyle::Dash;
    case 2:
        return TPenStyle::Dot;
    case 3:
        return TPenStyle::Clear;
    default:
        return TPenStyle::Solid;
    }
}

QFont TFontDesc::ToQFont() const {
    QFont font(Name);
    // A size of 0 or less means the default; huge sizes are cut so that one glyph cannot take
    // seconds and megabytes to rasterise.
    const int points = Size > 0 ? std::min(Size, 1000) : 8;
    font.setPixelSize(std::max(1, (points * 96 + 36) / 72));
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    return font;
}

void TCanvas::TextOut(TCoord x, TCoord y, const QString& text) {
    if (!Ready() || text.isEmpty())
        return;
    const QFont font = Font.ToQFont();
    QPainter painter(image_);
    painter.setFont(font);
    painter.setPen(Opaque(ThemeColourToSurface(Font.Colour)));
    painter.drawText(QPoint(ClampCoord(x), ClampCoord(y + QFontMetrics(font).ascent())), text);
}

int TCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(Font.ToQFont()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString& text) const {
    Q_UNUSED(text);
    return QFontMetrics(Font.ToQFont()).height();
}

void TCanvas::Rectangle(TCoord x1, TCoord y1, TCoord x2, TCoord y2) {
    QRect box;
    if (!Ready() || !Box(x1, y1, x2, y2, box))
        return;
    QPainter painter(image_);
    if (Brush.Style == TBrushStyle::Solid)
        painter.fillRect(box, Opaque(Brush.Colour));
    if (Pen.Style == TPenStyle::Clear)
        return;
    const int w = std::max(1, Pen.Width);
    if (Pen.Style == TPenStyle::Solid) {
        // Four bands inside the box give exact pixels for any width.
        const QColor colour = Opaque(Pen.Colour);
        const int band = std::min({w, box.width(), box.height()});
        painter.fillRect(QRect(box.left(), box.top(), box.width(), band), colour);
        painter.fillRect(QRect(box.left(), box.bottom() - band + 1, box.width(), band), colour);
        painter.fillRect(QRect(box.left(), box.top(), band, box.height()), colour);
        painter.fillRect(QRect(box.right() - band + 1, box.top(), band, box.height()), colour);
        return;
    }
    QPen pen(Opaque(Pen.Colour), w, QtStyle(Pen.Style), Qt::FlatCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(
        QRectF(box.left() + w / 2.0, box.top() + w / 2.0, box.width() - w, box.height() - w));
}

void TCanvas::Ellipse(TCoord x1, TCoord y1, TCoord x2, TCoord y2) {
    QRect box;
    if (!Ready() || !Box(x1, y1, x2, y2, box))
        return;
    QPainter painter(image_);
    int w = 0;
    if (Pen.Style == TPenStyle::Clear) {
        painter.setPen(Qt::NoPen);
    } else {
        w = std::max(1, Pen.Width);
        painter.setPen(QPen(Opaque(Pen.Colour), w, QtStyle(Pen.Style), Qt::FlatCap));
    }
    if (Brush.Style == TBrushStyle::Solid)
        painter.setBrush(Opaque(Brush.Colour));
    else
        painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(
        QRectF(box.left() + w / 2.0, box.top() + w / 2.0, box.width() - w, box.height() - w));
}

void TCanvas::Draw(TCoord x, TCoord y, const TPicture& picture) {
    if (!Ready() || picture.Empty())
        return;
    QPainter painter(image_);
    const QImage& image = picture.Image();
    painter.drawImage(QRect(ClampCoord(x), ClampCoord(y), image.width(), image.height()), image);
}

void TCanvas::CopyRect(const QRect& dest, const TCanvas& source, const QRect& sourceRect) {
    if (!Ready() || !source.image_ || dest.isEmpty())
        return;
    // copy() gives 0 for the parts of the rectangle outside the source image.
    const QImage pixels =
        source.image_->isNull()
            ? QImage()
            : source.image_->copy(sourceRect).convertToFormat(QImage::Format_RGB32);
    QPainter painter(image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (pixels.isNull())
        painter.fillRect(dest, Qt::black);
    else
        painter.drawImage(dest.topLeft(), pixels);
}

void TBitmap32::SetSize(int width, int height) {
    const int askedWidth = std::max(width, 0);
    const int askedHeight = std::max(height, 0);
    width = std::min(askedWidth, kMaxSide);
    height = std::min(askedHeight, kMaxSide);
    if (width > 0 && qint64(width) * height > kMaxPixels)
        height = int(kMaxPixels / width);
    static bool warned = false;
    if (!warned && (width != askedWidth || height != askedHeight)) {
        warned = true;
        qWarning("A theme surface of %d by %d pixels was limited to %d by %d", askedWidth,
                 askedHeight, width, height);
    }
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    if (width > 0 && height > 0) {
        image_ = QImage(width, height, QImage::Format_RGB32);
        // QImage::fill would force the alpha byte of this format to 255.
        if (!image_.isNull())
            std::memset(image_.bits(), 0, size_t(image_.sizeInBytes()));
    } else {
        image_ = QImage();
    }
}

void TBitmap32::Clear(TSurfaceColour colour) {
    if (image_.isNull())
        return;
    const int w = image_.width();
    for (int y = 0; y < image_.height(); ++y)
        std::fill_n(reinterpret_cast<quint32*>(image_.scanLine(y)), w, colour);
}

int TBitmap32::TextWidth(const QString& text) const {
    return QFontMetrics(Font.ToQFont()).horizontalAdvance(text);
}

void TBitmap32::RenderText(TCoord x, TCoord y, const QString& text, TSurfaceColour colour) {
    if (image_.isNull() || text.isEmpty() || (colour >> 24) == 0)
        return;
    const QFont font = Font.ToQFont();
    QPainter painter(&image_);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(colour));
    painter.drawText(QPoint(ClampCoord(x), ClampCoord(y + QFontMetrics(font).ascent())), text);
}

TSurfaceColour TBitmap32::Pixel(int x, int y) const {
    if (image_.isNull() || x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
        return 0;
    return reinterpret_cast<const quint32*>(image_.constScanLine(y))[x];
}
