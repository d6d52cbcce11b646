#include "imaging/algorithms.h"

#include "imaging/dithering.h"
#include "imaging/engravingjob.h"

#include <QColorSpace>
#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QTransform>

#include <algorithm>
#include <utility>

namespace Imaging {

namespace {

// Applies a function of the red component to every pixel: the function gets
// the pixel and returns its new value.
template<typename PixelFunction>
void mapPixels(QImage &image, PixelFunction function)
{
    if (hasPlainPixels(image)) {
        mapPixelsInto(image, image, function);
        return;
    }
    // Any other format: through pixel() and setPixel(), slow but exact.
    const int width = image.width();
    const int height = image.height();
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, function(image.pixel(x, y)));
    }
}

// The grey level a look works with: the red component, mapped when a table
// is given.
inline int levelOf(QRgb pixel, const uchar *levels)
{
    return levels ? levels[redOf(pixel)] : redOf(pixel);
}

void binarizeTable(QRgb (&table)[256], double threshold)
{
    for (int level = 0; level < 256; ++level)
        table[level] = double(level) < threshold ? opaqueBlack : opaqueWhite;
}

void greyFilterTable(bool (&whiten)[256], double threshold)
{
    for (int level = 0; level < 256; ++level)
        whiten[level] = double(level) > threshold;
}

} // namespace

QImage greyImage(const QImage &source)
{
    const int width = source.width();
    const int height = source.height();
    QImage grey(width, height, QImage::Format_RGB32);

    if (source.format() == QImage::Format_Indexed8) {
        for (int y = 0; y < height; ++y) {
            const uchar *in = source.constScanLine(y);
            auto *out = reinterpret_cast<QRgb *>(grey.scanLine(y));
            for (int x = 0; x < width; ++x)
                out[x] = opaqueGrey(in[x]);
        }
        return grey;
    }

    // The three 32-bit formats are read as stored (a premultiplied pixel's
    // components as they are); anything else is first made 32-bit.
    QImage converted;
    const QImage *pixels = &source;
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32
        && source.format() != QImage::Format_ARGB32_Premultiplied) {
        converted = source.convertToFormat(QImage::Format_ARGB32);
        pixels = &converted;
    }
    for (int y = 0; y < height; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(pixels->constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = in[x];
            const int level
                = int((11 * ((p >> 16) & 0xFF) + 16 * ((p >> 8) & 0xFF) + 5 * (p & 0xFF)) >> 5);
            out[x] = opaqueGrey(level);
        }
    }
    return grey;
}

QImage rotatedImage(const QImage &source, double degrees)
{
    QTransform turn;
    turn.rotate(degrees);
    return source.transformed(turn, Qt::FastTransformation);
}

void negate(QImage &image)
{
    mapPixels(image, [](QRgb p) { return p ^ 0x00FFFFFFu; });
}

void binarize(QImage &image, double threshold)
{
    QRgb table[256];
    binarizeTable(table, threshold);
    mapPixels(image, [&table](QRgb p) { return table[redOf(p)]; });
}

void greyFilter(QImage &image, double threshold)
{
    bool whiten[256];
    greyFilterTable(whiten, threshold);
    mapPixels(image, [&whiten](QRgb p) { return whiten[redOf(p)] ? opaqueWhite : p; });
}

void binarizeInto(const QImage &source, QImage &target, double threshold, const uchar *levels)
{
    QRgb table[256];
    binarizeTable(table, threshold);
    mapPixelsInto(source, target, [&](QRgb p) { return table[levelOf(p, levels)]; });
}

void greyFilterInto(const QImage &source, QImage &target, double threshold, const uchar *levels)
{
    bool whiten[256];
    greyFilterTable(whiten, threshold);
    mapPixelsInto(source, target, [&](QRgb p) {
        return whiten[levelOf(p, levels)] ? opaqueWhite : keptPixel(p, levels);
    });
}

QImage blankLike(const QImage &image)
{
    return blankLike(image, QImage(image.size(), image.format()));
}

QImage blankLike(const QImage &image, QImage memory)
{
    const QStringList keys = image.textKeys();
    const QStringList ownKeys = memory.textKeys();
    // A text can be written over, not taken away.
    const bool fits = !memory.isNull() && memory.size() == image.size()
        && memory.format() == image.format() && memory.isDetached()
        && std::all_of(ownKeys.cbegin(), ownKeys.cend(),
                       [&keys](const QString &key) { return keys.contains(key); });
    QImage blank = fits ? std::move(memory) : QImage(image.size(), image.format());
    blank.setDotsPerMeterX(image.dotsPerMeterX());
    blank.setDotsPerMeterY(image.dotsPerMeterY());
    blank.setOffset(image.offset());
    blank.setDevicePixelRatio(image.devicePixelRatio());
    blank.setColorSpace(image.colorSpace());
    for (const QString &key : keys)
        blank.setText(key, image.text(key));
    return blank;
}

QSize cappedLoadSize(const QSize &size)
{
    const int width = size.width();
    const int height = size.height();
    if (width <= maxLoadedSide && height <= maxLoadedSide)
        return size;
    if (width > height) {
        const float factor = float(maxLoadedSide) / float(width);
        return QSize(maxLoadedSide, int(double(height) * double(factor)));
    }
    const float factor = float(maxLoadedSide) / float(height);
    return QSize(int(double(width) * double(factor)), maxLoadedSide);
}

} // namespace Imaging

namespace {

// The frame every algorithm shares: the processing mutex is held for the
// whole body, and a null picture is left alone (the run is still reported).
template<typename Body>
void underMutex(QImage *image, QMutex *mutex, Body body)
{
    QMutexLocker locker(mutex);
    if (!image->isNull())
        body(*image);
}

} // namespace

void processGrey(QImage *image, QMutex *mutex, double, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [](QImage &picture) { picture = Imaging::greyImage(picture); });
}

void processRotate(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *)
{
    underMutex(image, mutex,
               [para](QImage &picture) { picture = Imaging::rotatedImage(picture, para); });
}

void processHMirror(QImage *image, QMutex *mutex, double, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [](QImage &picture) { picture = picture.mirrored(true, false); });
}

void processVMirror(QImage *image, QMutex *mutex, double, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [](QImage &picture) { picture = picture.mirrored(false, true); });
}

void processNegative(QImage *image, QMutex *mutex, double, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [](QImage &picture) { Imaging::negate(picture); });
}

void processBinarize(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [para](QImage &picture) { Imaging::binarize(picture, para); });
}

void processFloyd(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [para](QImage &picture) { Imaging::floydDither(picture, para); });
}

void processGreyFilter(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *)
{
    underMutex(image, mutex, [para](QImage &picture) { Imaging::greyFilter(picture, para); });
}

// A null picture builds nothing: the published job stays as it was.
void processSaveByte(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job)
{
    underMutex(image, mutex,
               [para, job](QImage &picture) { Imaging::buildEngravingJob(picture, para, *job); });
}

const AlgorithmFunction algorithmTable[algorithmCount] = {
    processGrey,     processRotate, processHMirror,    processVMirror,  processNegative,
    processBinarize, processFloyd,  processGreyFilter, processSaveByte,
};
