#pragma once

#include <QImage>
#include <QString>

// A picture loaded from a file, chosen by extension: bmp, ico, jpg, jpeg and png. Other
// extensions (metafiles among them), missing, unreadable, corrupt or oversized files leave it
// empty.
class TPicture {
public:
    // Pictures with a side above this or more pixels than kMaxPixels are refused unread.
    static constexpr int kMaxSide = 8192;
    static constexpr qint64 kMaxPixels = qint64(4096) * 4096;

    bool LoadFromFile(const QString& fileName);
    void Clear() { image_ = QImage(); }
    bool Empty() const { return image_.isNull(); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& Image() const { return image_; }

private:
    QImage image_;
};

// Finds a file named in a theme: "\" counts as a separator, and a part of the path that does
// not exist as written is looked up again ignoring letter case. Returns the path as it is on
// disk, or the cleaned path when nothing matches.
QString ResolveThemePath(const QString& path);
