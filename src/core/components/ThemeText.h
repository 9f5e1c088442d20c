#pragma once

#include "raster/Bitmap32.h"
#include "theme/ThemeComponent.h"

#include <QString>
#include <pugixml.hpp>

// Lines of text with data items, each justified within the element's width.
class TThemeText : public TThemeComponent {
public:
    int Justify = 0; // 0 left, 1 centred, 2 right; anything else is not drawn
    TFontDesc Font;
    double LineSpace = 1.0;
    QString Text; // raw after a build, expanded after each refresh

    // Reads "value", "linespace" and the "font" group.
    void Read(pugi::xml_node element);
    void Draw(TBitmap32& surface) override;

    // Distance from one line's top to the next: floor((size div 2 + 1) * lineSpace) + size,
    // the product taken in extended precision from the exact 64-bit line space.
    static qint64 LineAdvance(int size, double lineSpace);
};
