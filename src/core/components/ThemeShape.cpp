#include "components/ThemeShape.h"

#include "theme/ThemeReader.h"

void TThemeShape::Read(pugi::xml_node element) {
    using namespace ThemeProperty;
    Style = Integer(element, {"style"}, 0);
    BackgroundColour = Integer(element, {"background", "colour"}, 16777215);
    BackgroundTransparent = Integer(element, {"background", "style"}, 0) == 1;
    BorderColour = Integer(element, {"border", "colour"}, 0);
    BorderThickness = Integer(element, {"border", "thickness"}, 1);
    BorderStyle = PenStyleFromTheme(Integer(element, {"border", "style"}, 0));
}

void TThemeShape::Draw(TBitmap32& surface) {
    TCanvas& canvas = surface.Canvas();
    canvas.Pen = {ThemeColourToSurface(BorderColour), BorderThickness, BorderStyle};
    canvas.Brush = {ThemeColourToSurface(BackgroundColour),
                    BackgroundTransparent ? TBrushStyle::Clear : TBrushStyle::Solid};
    const qint64 right = qint64(X) + Width;
    const qint64 bottom = qint64(Y) + Height;
    if (Style == 0)
        canvas.Rectangle(X, Y, right, bottom);
    else if (Style == 1)
        canvas.Ellipse(X, Y, right, bottom);
}
