#pragma once

#include <QImage>
#include <QRect>

class TBitmap32;

// A drawing target of the theme: each paint hands it the composed surface and the rectangle
// to copy, at the same place. Only colour is taken over; the surface's alpha is never shown.
class ICanvas {
public:
    virtual ~ICanvas() = default;
    virtual void CopyFrom(const TBitmap32& surface, const QRect& rect) = 0;
};

// A canvas that keeps the latest picture, sized like the surface (snapshots, tests).
class TImageCanvas final : public ICanvas {
public:
    void CopyFrom(const TBitmap32& surface, const QRect& rect) override;
    const QImage& Image() const { return image_; }
    int Paints() const { return paints_; }

private:
    QImage image_;
    int paints_ = 0;
};
