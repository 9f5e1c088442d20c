#include "raster/Picture.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace {
QByteArray ReaderFormat(const QString& extension) {
    if (extension == QLatin1String("bmp") || extension == QLatin1String("ico") ||
        extension == QLatin1String("png"))
        return extension.toLatin1();
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return QByteArrayLiteral("jpeg");
    return {}; // metafiles and everything else
}
} // namespace

QString ResolveThemePath(const QString& path) {
    QString cleaned = path;
    cleaned.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (cleaned.isEmpty())
        return cleaned;
    cleaned = QDir::cleanPath(cleaned);
    if (QFileInfo::exists(cleaned))
        return cleaned;
    // Themes made on a system that ignores letter case name files in any case.
    const bool absolute = cleaned.startsWith(QLatin1Char('/'));
    const QStringList parts = cleaned.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        QString next = current + part;
        if (!QFileInfo::exists(next)) {
            const QDir dir(current.isEmpty() ? QStringLiteral(".") : current);
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
            auto match = std::find_if(entries.begin(), entries.end(), [&](const QString& entry) {
                return entry.compare(part, Qt::CaseInsensitive) == 0;
            });
            if (match == entries.end())
                return cleaned;
            next = current + *match;
        }
        current = next + QLatin1Char('/');
    }
    current.chop(1);
    return current;
}

bool TPicture::LoadFromFile(const QString& fileName) {
    image_ = QImage();
    const QString path = ResolveThemePath(fileName);
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    const QByteArray format = ReaderFormat(info.suffix().toLower());
    if (format.isEmpty())
        return false;
    QImageReader reader(path, format);
    // Refuse pictures too large to be a theme decoration before decoding a single pixel; the
    // header of a corrupt file may claim any size.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide ||
                           qint64(size.width()) * size.height() > kMaxPixels))
        return false;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        return false;
    image_ = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return !image_.isNull();
}
