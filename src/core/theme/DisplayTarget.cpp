#include "theme/DisplayTarget.h"

#include "theme/ThemeElements.h"

namespace {
IDisplayTarget* target = nullptr;
}

IDisplayTarget* DisplayTarget() {
    return target;
}
void SetDisplayTarget(IDisplayTarget* displayTarget) {
    target = displayTarget;
}

TDisplayElementSettings ReadDisplaySettings(const TThemeElement& element) {
    using namespace ThemeProperty;
    const pugi::xml_node node = element.Node();
    TDisplayElementSettings settings;
    settings.Width = IntegerAttribute(node, "width", 200);
    settings.Height = IntegerAttribute(node, "height", 300);
    settings.Colour = Integer(node, {"colour"}, 16777215);
    settings.Opacity = Integer(node, {"opacity"}, 100);
    settings.UseVistaGlass = Boolean(node, {"usevistaglass"}, false);
    settings.DoTransparency = Boolean(node, {"dotransparency"}, false);
    if (settings.DoTransparency)
        settings.TransparentColour = Integer(node, {"transparentcolour"}, 16711935);
    settings.Style = Integer(node, {"style"}, 2);
    return settings;
}
