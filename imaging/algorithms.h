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

struct EngravingJob
{
    bool built = false; // false until SaveByte has made it from a picture
    QByteArray bytes;
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
};

// The picture enlarged by 1.5 (nearest neighbour), visited row by row in
// serpentine order, one record per pixel whose grey level is at most the
// threshold. A null picture gives an empty job that is not built.
EngravingJob engravingJob(const QImage &source, double threshold);

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
