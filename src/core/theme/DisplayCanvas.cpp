#include "theme/DisplayCanvas.h"

#include "raster/Bitmap32.h"

#include <QPainter>

void TImageCanvas::CopyFrom(const TBitmap32& surface, const QRect& rect) {
    ++paints_;
    if (image_.size() != QSize(surface.Width(), surface.Height()))
        image_ = QImage(surface.Width(), surface.Height(), QImage::Format_RGB32);
    if (image_.isNull() || surface.Image().isNull())
        return;
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // RGB32 shows colour only: the alpha byte of the surface is dropped here.
    painter.drawImage(rect.topLeft(), surface.Image(), rect);
}
