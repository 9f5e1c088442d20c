#include "raster/Polygon32.h"

#include <QPainter>
#include <QPolygon>

void TPolygon32::Add(TCoord x, TCoord y) {
    points_.append(QPoint(ClampCoord(x), ClampCoord(y)));
}

void TPolygon32::Fill(TBitmap32& surface, TSurfaceColour colour) const {
    if (points_.size() < 3 || surface.Image().isNull() || (colour >> 24) == 0)
        return;
    QPainter painter(&surface.Image());
    painter.setRenderHint(QPainter::Antialiasing, Antialiased);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(colour));
    painter.drawPolygon(QPolygon(points_), Qt::OddEvenFill);
}

void TPolygon32::Outline(TBitmap32& surface, TSurfaceColour colour) const {
    if (points_.size() < 2 || surface.Image().isNull() || (colour >> 24) == 0)
        return;
    QPainter painter(&surface.Image());
    painter.setRenderHint(QPainter::Antialiasing, Antialiased);
    QPen pen(QColor::fromRgba(colour));
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(QPolygon(points_));
}
