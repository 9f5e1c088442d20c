#pragma once

class TBitmap32;

// Base of the drawable components; position and size in pixels come from the element's
// attributes.
class TThemeComponent {
public:
    virtual ~TThemeComponent() = default;
    virtual void Draw(TBitmap32& surface) { (void)surface; }

    int Height = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
};
