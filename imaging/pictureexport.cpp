#include "imaging/pictureexport.h"

#include "imaging/algorithms.h"

#include <QImageWriter>
#include <QSaveFile>

namespace Imaging {

QImage exportedPicture(const QImage &picture, bool greyLook, double threshold)
{
    if (picture.isNull())
        return QImage();
    // Read as the engraving reads it: a picture with transparency is
    // enlarged there through its premultiplied form, which makes a wholly
    // transparent pixel black, so it is burned. Opaque pixels come through
    // unchanged. (A nearly transparent one, which the canvas never makes,
    // may come out a level apart: the two conversions round differently.)
    QImage source = picture;
    if (source.hasAlphaChannel())
        source = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!hasPlainPixels(source))
        source = source.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();

    QImage exported;
    if (greyLook) {
        exported = QImage(width, height, QImage::Format_Grayscale8);
        for (int y = 0; y < height; ++y) {
            const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
            uchar *out = exported.scanLine(y);
            for (int x = 0; x < width; ++x)
                out[x] = uchar(redOf(in[x]));
        }
    } else {
        // Index 1, a set bit, is a burned pixel.
        exported = QImage(width, height, QImage::Format_Mono);
        exported.setColorTable({opaqueWhite, opaqueBlack});
        exported.fill(0);
        bool burned[256];
        for (int level = 0; level < 256; ++level)
            burned[level] = threshold >= double(level);
        for (int y = 0; y < height; ++y) {
            const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
            uchar *out = exported.scanLine(y);
            // Most significant bit first.
            for (int x = 0; x < width; ++x) {
                if (burned[redOf(in[x])])
                    out[x >> 3] |= uchar(0x80 >> (x & 7));
            }
        }
    }
    exported.setDotsPerMeterX(exportDotsPerMetre);
    exported.setDotsPerMeterY(exportDotsPerMetre);
    return exported;
}

QString writePngFile(const QImage &picture, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "png");
    if (!writer.write(picture)) {
        // A write the disk refused is the file's to explain.
        const QString reason
            = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace Imaging
