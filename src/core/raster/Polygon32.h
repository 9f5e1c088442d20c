#pragma once

#include "raster/Bitmap32.h"

#include <QList>
#include <QPoint>

// A closed polygon filled with the even-odd rule and blended into a surface:
// each covered pixel becomes src * a + dst * (1 - a), with a the colour's alpha times coverage.
class TPolygon32 {
public:
    bool Antialiased = false;

    void Clear() { points_.clear(); }
    // Whole-pixel vertices; points outside the surface are clipped when filling.
    void Add(TCoord x, TCoord y);
    qsizetype Count() const { return points_.size(); }
    const QList<QPoint>& Points() const { return points_; }

    void Fill(TBitmap32& surface, TSurfaceColour colour) const;
    // One pixel wide, blended like the fill.
    void Outline(TBitmap32& surface, TSurfaceColour colour) const;

private:
    QList<QPoint> points_;
};
