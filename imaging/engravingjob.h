#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <algorithm>

// The engraving job SaveByte builds from the canvas picture: its records,
// four bytes per burned pixel, the bounds of what it burns, the preview the
// control page shows, and the memory of a spent job reused for the next.
namespace Imaging {

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

// The size of the picture in engraving pixels.
inline int engravingSize(int canvasPixels)
{
    return int(float(canvasPixels) * 1.5f);
}

// The most record bytes a job of a picture of this size (in canvas pixels)
// can take: one record for each of its engraving pixels that records can
// address.
inline int maxRecordBytes(const QSize &pictureSize)
{
    return std::min(engravingSize(pictureSize.width()), engravingCoordinateLimit)
        * std::min(engravingSize(pictureSize.height()), engravingCoordinateLimit) * 4;
}

} // namespace Imaging
