#pragma once

#include <QByteArray>
#include <QImage>

class QMutex;

namespace Imaging {
struct EngravingJob;
}

// The canvas algorithms. Each one locks the processing mutex for its whole
// body, does nothing to a null image, and otherwise changes the image in
// place or replaces it. They run on pool threads and report nothing.
//
// SaveByte leaves the job it builds in *job, memory of the run's own, which
// the GUI thread publishes once the run is reported (the other algorithms
// leave it alone): nothing a pool thread writes is read by anybody else
// while it is being written.
using AlgorithmFunction
    = void (*)(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);

void processGrey(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processRotate(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processHMirror(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processVMirror(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processNegative(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processBinarize(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processFloyd(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processGreyFilter(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);
void processSaveByte(QImage *image, QMutex *mutex, double para, Imaging::EngravingJob *job);

// Indexed by Imaging::Algorithm, Grey to SaveByte.
constexpr int algorithmCount = 9;
extern const AlgorithmFunction algorithmTable[algorithmCount];

namespace Imaging {

// The pure image operations behind the table entries, without lock.

// Grey level (11 R + 16 G + 5 B) >> 5 as an opaque grey RGB32 picture; the
// indices of an 8-bit indexed picture are taken as grey levels.
QImage greyImage(const QImage &source);
QImage rotatedImage(const QImage &source, double degrees);
// Each colour component c becomes 255 - c, alpha is kept.
void negate(QImage &image);
// Opaque black where the red component is below the threshold, white elsewhere.
void binarize(QImage &image, double threshold);
// Opaque white where the red component is above the threshold, the rest kept.
void greyFilter(QImage &image, double threshold);

// The looks written from a grey picture into another one (Floyd's is with
// the dithering methods): a look that
// starts again from the base picture reads it and writes its own result,
// instead of copying the base first and changing the copy. Source and target
// have the same size and a plain format (RGB32 or ARGB32); the target may be
// the source itself, which gives the in-place look above. When `levels` is
// given, each grey level is first mapped through it (the tone) and a pixel
// the look keeps is stored as the opaque grey of its mapped level; without
// it every pixel the look keeps is copied as it is.
void binarizeInto(const QImage &source, QImage &target, double threshold,
                  const uchar *levels = nullptr);
void greyFilterInto(const QImage &source, QImage &target, double threshold,
                    const uchar *levels = nullptr);

// The pixels the looks write: black, white and the greys between.
constexpr QRgb opaqueBlack = 0xFF000000u;
constexpr QRgb opaqueWhite = 0xFFFFFFFFu;
constexpr QRgb opaqueGrey(int level)
{
    return opaqueBlack | (QRgb(level) * 0x010101u);
}

// RGB32 and ARGB32: the stored word of a pixel is exactly what pixel()
// returns and setPixel() stores, so the fast paths read and write words.
inline bool hasPlainPixels(const QImage &image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
}

// A picture of the same size, format and metadata (resolution, text) with
// its pixels not yet written: the target of a look.
QImage blankLike(const QImage &image);
// The same in `memory`, a picture let go of, when it can be written
// without a copy: of the same size and format, held by nobody else, and
// with no text of its own that `image` lacks. Otherwise in new memory.
QImage blankLike(const QImage &image, QImage memory);

// The grey level of a grey pixel: its red component.
inline int redOf(QRgb pixel)
{
    return int((pixel >> 16) & 0xFF);
}

// A pixel a look keeps: as it is, or the opaque grey of its level mapped
// through `levels` when given.
inline QRgb keptPixel(QRgb pixel, const uchar *levels)
{
    return levels ? opaqueGrey(levels[redOf(pixel)]) : pixel;
}

// Writes a function of each source pixel into the target, both plain; the
// target may be the source itself.
template<typename PixelFunction>
void mapPixelsInto(const QImage &source, QImage &target, PixelFunction function)
{
    const int width = source.width();
    const int height = source.height();
    for (int y = 0; y < height; ++y) {
        // The target's line first: should it detach, the source's line read
        // after it is still the same pixels.
        auto *out = reinterpret_cast<QRgb *>(target.scanLine(y));
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = function(in[x]);
    }
}

// A loaded picture keeps at most 1050 pixels per side: the longer side
// becomes 1050, the shorter one keeps the proportion, cut down to whole
// pixels. The factor is a float (so 2000 × 2000 gives 1049 × 1050: 1050/2000
// in float is a hair below 0.525).
QSize cappedLoadSize(const QSize &size);
constexpr int maxLoadedSide = 1050;

} // namespace Imaging
