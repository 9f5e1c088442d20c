#include "components/ThemeText.h"

#include "theme/ThemeReader.h"

#include <algorithm>
#include <cmath>

void TThemeText::Read(pugi::xml_node element) {
    using namespace ThemeProperty;
    Text = ThemeProperty::Text(element, {"value"});
    LineSpace = Real(element, {"linespace"}, 1.0);
    Font.Name = ThemeProperty::Text(element, {"font", "name"}, QStringLiteral("Tahoma"));
    Font.Size = Integer(element, {"font", "size"}, 8);
    Font.Colour = Integer(element, {"font", "colour"}, 16777215);
    Font.Bold = LenientBoolean(element, {"font", "isbold"}, false);
    Font.Italic = LenientBoolean(element, {"font", "isitalic"}, false);
    Font.Underline = LenientBoolean(element, {"font", "isunderline"}, false);
    Justify = Integer(element, {"font", "justify"}, 0);
}

qint64 TThemeText::LineAdvance(int size, double lineSpace) {
    // 1.2 is stored just below 1.2, so 8-point lines get floor(5 * 1.2) = 5, not 6.
    const long double gap =
        std::floor(static_cast<long double>(size / 2 + 1) * static_cast<long double>(lineSpace));
    return static_cast<qint64>(std::clamp(gap, -1.0e12L, 1.0e12L)) + size;
}

void TThemeText::Draw(TBitmap32& surface) {
    TCanvas& canvas = surface.Canvas();
    const qint64 advance = LineAdvance(Font.Size, LineSpace);
    const qint64 left = X;
    const qint64 right = qint64(X) + Width;
    qint64 y = Y;
    qsizetype start = 0;
    while (start < Text.size()) {
        const qsizetype feed = Text.indexOf(QLatin1Char('\n'), start);
        const QString line = Text.mid(start, feed < 0 ? -1 : feed - start);
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.Font = Font;
        switch (Justify) {
        case 0:
            canvas.TextOut(left, y, line);
            break;
        case 1:
            canvas.TextOut(left + (right - left) / 2 - canvas.TextWidth(line) / 2, y, line);
            break;
        case 2:
            canvas.TextOut(right - canvas.TextWidth(line), y, line);
            break;
        default:
            break;
        }
        y += advance;
        // Lines below the surface cannot come back into view.
        if (feed < 0 || (advance >= 0 && y > surface.Height()))
            break;
        start = feed + 1;
    }
}
