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
// Floyd-Steinberg error diffusion on the inner pixels; the one-pixel frame
// receives error but is never quantised.
void floydDither(QImage &image, double threshold);

// The three looks written from a grey picture into another one: a look that
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
void floydDitherInto(const QImage &source, QImage &target, double threshold,
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

// One engraving record as the little-endian word of its four bytes: x bits
// 7-0, then x bits 11-8 above y bits 11-8, then y bits 7-0, then the burn
// intensity. The fields are disjoint, so records can be put together by OR.
constexpr quint32 engravingRecord(int x, int y, int intensity)
{
    return quint32(x & 0xFF) | quint32((x >> 8) & 0xF) << 12 | quint32((y >> 8) & 0xF) << 8
        | quint32(y & 0xFF) << 16 | quint32(intensity & 0xFF) << 24;
}

// Records cannot address 4096 or more in either direction.
constexpr int engravingCoordinateLimit = 4096;
// A job that burns every pixel of the 1600 x 1600 engraving area: the most
// record memory kept for reuse between jobs.
constexpr int reusableJobBytes = 1600 * 1600 * 4;

struct EngravingJob
{
    bool built = false; // false until SaveByte has made it from a picture
    // The records. A job may come in carrying the memory of a spent one: it
    // is written over instead of allocating a new stream when it is large
    // enough and nobody else holds it.
    QByteArray bytes;
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
    // The whole enlarged picture, in engraving pixels.
    QSize pictureSize;
    // Asked for before the run: the size of the preview to make with the
    // records (empty: none). The preview is the picture as the control page
    // shows it, at that size.
    QSize previewSize;
    QImage preview;
};

// The picture enlarged by 1.5 (nearest neighbour), visited row by row in
// serpentine order, one record per pixel whose grey level is at most the
// threshold. A null picture gives an empty job that is not built.
EngravingJob engravingJob(const QImage &source, double threshold);
// The same into a job that may bring memory for its records and ask for a
// preview.
void buildEngravingJob(const QImage &source, double threshold, EngravingJob &job);

// The picture at the size the control page shows it: at the engraving size
// exactly the enlarged picture the records come from (nearest neighbour),
// smaller a smooth reduction of it.
QImage jobPreview(const QImage &picture, const QSize &size);

// A loaded picture keeps at most 1050 pixels per side: the longer side
// becomes 1050, the shorter one keeps the proportion, cut down to whole
// pixels. The factor is a float (so 2000 × 2000 gives 1049 × 1050: 1050/2000
// in float is a hair below 0.525).
QSize cappedLoadSize(const QSize &size);
constexpr int maxLoadedSide = 1050;

// The size of the picture in engraving pixels.
inline int engravingSize(int canvasPixels)
{
    return int(float(canvasPixels) * 1.5f);
}

} // namespace Imaging
