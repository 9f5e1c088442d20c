#pragma once

#include "raster/Picture.h"
#include "theme/ThemeComponent.h"

#include <QString>
#include <pugixml.hpp>

// A picture file drawn at its natural size; the element's size is not used.
class TThemeImage : public TThemeComponent {
public:
    TPicture Picture;

    // Expands "path" once and loads the picture; a failure leaves it empty, unreported.
    void Read(pugi::xml_node element, const QString& themeFolder);
    void Draw(TBitmap32& surface) override;
};
