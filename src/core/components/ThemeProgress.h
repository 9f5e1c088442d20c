#pragma once

#include "raster/Bitmap32.h"
#include "theme/ThemeComponent.h"

#include <QString>
#include <pugixml.hpp>

// A framed bar filled in proportion to a value against a maximum, with an optional label.
// A vertical bar is Width tall and Height wide, standing on Y + Height, filling upwards.
class TThemeProgress : public TThemeComponent {
public:
    enum class TAlignment { Left, Right, Centre };

    TThemeColour BorderColour = 0;
    TPenStyle BorderStyle = TPenStyle::Solid;
    quint8 BorderThickness = 0;
    bool ShowPercentage = false;
    TThemeColour BackgroundColour = 0;
    bool BackgroundTransparent = false;
    bool Vertical = false;
    TFontDesc Font;
    TAlignment Alignment = TAlignment::Left;
    double Maximum = 0;
    double Value = 0;
    TThemeColour ProgressColour = 0;

    // Reads everything but "value" and "maximum", which follow the data on each refresh.
    void Read(pugi::xml_node element);
    void Draw(TBitmap32& surface) override;

    // ceil((Width / Maximum) * Value), or 0 without a maximum or width; not limited to the bar.
    qint64 FillLength() const;
    // floor((100 / Maximum) * Value) followed by "%", or empty without a maximum.
    QString Label() const;
};
