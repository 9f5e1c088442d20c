#pragma once

#include "raster/Bitmap32.h"

#include <QString>

class TThemeElement;

// What a "DISPLAY" element asks of the window, read with the window's defaults.
struct TDisplayElementSettings {
    int Width = 200;
    int Height = 300;
    int Colour = 16777215; // a theme colour; -1 is the system glass colour
    int Opacity = 100;     // percent
    bool UseVistaGlass = false;
    bool DoTransparency = false;
    int TransparentColour = 16711935; // read only with DoTransparency
    int Style = 2;                    // frame style 0 to 4, anything else a single border
};

// Reads the element's "width", "height", "colour", "opacity", "usevistaglass",
// "dotransparency", "transparentcolour" and "style"; a value that is not of its type raises
// EConvertError.
TDisplayElementSettings ReadDisplaySettings(const TThemeElement& element);

// What the theme needs of the display window. The window implements it and registers itself;
// while none is registered, window settings are not applied, the tray tip is not set, glass is
// off and the glass colour is black.
class IDisplayTarget {
public:
    virtual ~IDisplayTarget() = default;
    // Applies a "DISPLAY" element (size, colour, opacity, glass, colour key, frame style) and
    // the window settings to the window.
    virtual void ApplyDisplaySettings(TThemeElement& element) = 0;
    // Window size changes asked for through an element without a component.
    virtual void SetDisplayWidth(int width) = 0;
    virtual void SetDisplayHeight(int height) = 0;
    // The tray icon's tip.
    virtual void SetHint(const QString& text) = 0;
    // The system glass colour last reported, as an opaque surface colour.
    virtual TSurfaceColour GlassColour() const = 0;
    // Whether the window currently shows a glass sheet.
    virtual bool GlassSheetOn() const = 0;
};

IDisplayTarget* DisplayTarget();
// nullptr detaches the window.
void SetDisplayTarget(IDisplayTarget* target);
