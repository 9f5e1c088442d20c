#pragma once

#include "raster/Bitmap32.h"
#include "theme/ThemeComponent.h"

#include <pugixml.hpp>

// A filled and outlined rectangle or ellipse.
class TThemeShape : public TThemeComponent {
public:
    TThemeColour BackgroundColour = 0;
    bool BackgroundTransparent = false;
    TThemeColour BorderColour = 0;
    TPenStyle BorderStyle = TPenStyle::Solid;
    int BorderThickness = 0;
    int Style = 0; // 0 rectangle, 1 ellipse, anything else nothing

    void Read(pugi::xml_node element);
    void Draw(TBitmap32& surface) override;
};
