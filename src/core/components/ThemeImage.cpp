#include "components/ThemeImage.h"

#include "raster/Bitmap32.h"
#include "theme/ThemeReader.h"

void TThemeImage::Read(pugi::xml_node element, const QString& themeFolder) {
    const QString path = ExpandDataItems(ThemeProperty::Text(element, {"path"}), themeFolder);
    Picture.Clear();
    if (!path.isEmpty())
        Picture.LoadFromFile(path);
}

void TThemeImage::Draw(TBitmap32& surface) {
    surface.Canvas().Draw(X, Y, Picture);
}
