#include "components/ThemeProgress.h"

#include "theme/ThemeReader.h"

#include <algorithm>
#include <cmath>

namespace {
// Far beyond any surface, and safe to add to a 32-bit position.
constexpr long double kFar = 1.0e9L;
} // namespace

void TThemeProgress::Read(pugi::xml_node element) {
    using namespace ThemeProperty;
    ProgressColour = Integer(element, {"progresscolour"}, 16777215);
    Vertical = Boolean(element, {"vertical"}, false);
    ShowPercentage = Boolean(element, {"showpercentage"}, false);
    switch (Integer(element, {"alignment"}, 1)) {
    case 0:
        Alignment = TAlignment::Left;
        break;
    case 2:
        Alignment = TAlignment::Right;
        break;
    default:
        Alignment = TAlignment::Centre;
        break;
    }
    BackgroundColour = Integer(element, {"background", "colour"}, 16777215);
    BackgroundTransparent = Integer(element, {"background", "style"}, 0) == 1;
    BorderColour = Integer(element, {"border", "colour"}, 0);
    BorderThickness = static_cast<quint8>(Integer(element, {"border", "thickness"}, 1) & 0xFF);
    BorderStyle = PenStyleFromTheme(Integer(element, {"border", "style"}, 0));
    Font.Name = Text(element, {"font", "name"}, QStringLiteral("Tahoma"));
    Font.Size = Integer(element, {"font", "size"}, 8);
    Font.Colour = Integer(element, {"font", "colour"}, 16777215);
    Font.Bold = LenientBoolean(element, {"font", "isbold"}, false);
}

qint64 TThemeProgress::FillLength() const {
    if (!(Maximum > 0) || Width <= 0)
        return 0;
    const long double ratio = static_cast<long double>(Width) / Maximum;
    const long double length = std::ceil(ratio * static_cast<long double>(Value));
    return static_cast<qint64>(std::clamp(length, -kFar, kFar));
}

QString TThemeProgress::Label() const {
    if (!(Maximum > 0))
        return {};
    const long double ratio = 100.0L / Maximum;
    const long double percent = std::floor(ratio * static_cast<long double>(Value));
    if (std::fabs(percent) < 1.0e18L)
        return QString::number(static_cast<qint64>(percent)) + QLatin1Char('%');
    return QString::number(static_cast<double>(percent), 'f', 0) + QLatin1Char('%');
}

void TThemeProgress::Draw(TBitmap32& surface) {
    TCanvas& canvas = surface.Canvas();
    canvas.Pen = {ThemeColourToSurface(BorderColour), BorderThickness, BorderStyle};
    canvas.Brush = {ThemeColourToSurface(BackgroundColour),
                    BackgroundTransparent ? TBrushStyle::Clear : TBrushStyle::Solid};
    canvas.Font = Font;
    const qint64 x = X, y = Y, w = Width, h = Height;
    if (Vertical)
        canvas.Rectangle(x, y + h - w, x + h, y + h);
    else
        canvas.Rectangle(x, y, x + w, y + h);

    const qint64 length = FillLength();
    canvas.Pen.Style = TPenStyle::Clear;
    canvas.Pen.Width = 0;
    canvas.Brush = {ThemeColourToSurface(ProgressColour), TBrushStyle::Solid};
    if (length != 0) {
        if (Vertical)
            canvas.Rectangle(x, y + h - length, x + h, y + h);
        else
            canvas.Rectangle(x, y, x + length, y + h);
    }

    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.Font = Font;
    const QString label = Label();
    const qint64 tw = label.isEmpty() ? 0 : canvas.TextWidth(label);
    if (!ShowPercentage || Vertical)
        return;
    // A third of the label's width, not of its height, as the themes were made for.
    const qint64 labelY = y + h / 2 - tw / 3;
    qint64 labelX = x + w / 2 - tw / 2;
    if (Alignment == TAlignment::Left)
        labelX = x + 5;
    else if (Alignment == TAlignment::Right)
        labelX = x + w - 5 - tw;
    canvas.TextOut(labelX, labelY, label);
}
