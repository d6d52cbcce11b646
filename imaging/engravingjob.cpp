#include "imaging/engravingjob.h"

#include "imaging/algorithms.h"

#include <QVector>
#include <QtEndian>

#include <algorithm>

namespace Imaging {

namespace {

// The source column (or row) of every pixel of the nearest-neighbour copy
// that QImage::scaled makes, learnt from Qt itself: a one-line picture whose
// pixels hold their own index is scaled the same way. Scaling without
// rotation maps columns and rows independently, so the engraving bitmap can
// be read straight from the picture without building the enlarged copy.
QVector<int> nearestIndices(int from, int to, bool columns)
{
    QImage line(columns ? from : 1, columns ? 1 : from, QImage::Format_RGB32);
    for (int i = 0; i < from; ++i)
        line.setPixel(columns ? i : 0, columns ? 0 : i, 0xFF000000u | QRgb(i));
    const QImage scaled = line.scaled(columns ? to : 1, columns ? 1 : to, Qt::IgnoreAspectRatio,
                                      Qt::FastTransformation);
    QVector<int> indices(to);
    for (int i = 0; i < to; ++i)
        indices[i] = int(scaled.pixel(columns ? i : 0, columns ? 0 : i) & 0xFFFFFFu);
    return indices;
}

inline int recordX(const char *record)
{
    return int(uchar(record[0])) | ((int(uchar(record[1])) & 0xF0) << 4);
}

} // namespace

EngravingJob engravingJob(const QImage &source, double threshold)
{
    EngravingJob job;
    buildEngravingJob(source, threshold, job);
    return job;
}

QImage jobPreview(const QImage &picture, const QSize &size)
{
    const QSize enlarged(engravingSize(picture.width()), engravingSize(picture.height()));
    return picture.scaled(size, Qt::IgnoreAspectRatio,
                          size == enlarged ? Qt::FastTransformation : Qt::SmoothTransformation);
}

void buildEngravingJob(const QImage &source, double threshold, EngravingJob &job)
{
    job.built = false;
    if (source.isNull())
        return;
    job.built = true;

    const int width = engravingSize(source.width());
    const int height = engravingSize(source.height());
    job.pictureSize = QSize(width, height);
    if (!job.previewSize.isEmpty())
        job.preview = jobPreview(source, job.previewSize);
    // Pixels at 4096 or beyond cannot be encoded (the record has 12 bits per
    // coordinate); they are never burned rather than wrapped onto the picture.
    const int visibleWidth = std::min(width, engravingCoordinateLimit);
    const int visibleHeight = std::min(height, engravingCoordinateLimit);

    // Grey levels of one row of the enlarged picture. An RGB32 picture (any
    // picture after its Grey run) is read through the index maps; others,
    // whose scaled copy may differ from their pixels (ARGB32 goes through
    // premultiplication), through the scaled copy itself.
    const bool direct = source.format() == QImage::Format_RGB32;
    QImage scaled;
    QVector<int> columnOf;
    QVector<int> rowOf;
    if (direct) {
        columnOf = nearestIndices(source.width(), width, true);
        rowOf = nearestIndices(source.height(), height, false);
    } else {
        scaled = source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!hasPlainPixels(scaled))
            scaled = scaled.convertToFormat(QImage::Format_ARGB32);
    }
    QVector<uchar> greyRow(visibleWidth);
    int greyRowSource = -1;

    // Every record is written; the output only advances for burned pixels,
    // which keeps the loop free of unpredictable branches.
    int advance[256];
    quint32 intensityBits[256];
    for (int level = 0; level < 256; ++level) {
        advance[level] = threshold >= double(level) ? 4 : 0;
        intensityBits[level] = engravingRecord(0, 0, 255 - level);
    }
    QVector<quint32> xBits(visibleWidth);
    for (int x = 0; x < visibleWidth; ++x)
        xBits[x] = engravingRecord(x, 0, 0);

    // One buffer for the whole stream, large enough for every pixel, cut down
    // at the end: no allocation per record, and none at all when the job
    // brought a spent stream large enough (its capacity is kept).
    job.bytes.resize(maxRecordBytes(source.size()));
    char *const start = job.bytes.data();
    char *out = start;

    int xmin = width;
    int ymin = height;
    int xmax = 0;
    int ymax = 0;
    bool rightward = true;
    for (int y = 0; y < visibleHeight; ++y) {
        uchar *grey = greyRow.data();
        if (direct) {
            if (rowOf[y] != greyRowSource) {
                greyRowSource = rowOf[y];
                const auto *line
                    = reinterpret_cast<const QRgb *>(source.constScanLine(greyRowSource));
                for (int x = 0; x < visibleWidth; ++x)
                    grey[x] = uchar(redOf(line[columnOf[x]]));
            }
        } else {
            const auto *line = reinterpret_cast<const QRgb *>(scaled.constScanLine(y));
            for (int x = 0; x < visibleWidth; ++x)
                grey[x] = uchar(redOf(line[x]));
        }

        const quint32 yBits = engravingRecord(0, y, 0);
        char *const rowStart = out;
        if (rightward) {
            for (int x = 0; x < visibleWidth; ++x) {
                const uchar g = grey[x];
                qToLittleEndian<quint32>(xBits[x] | yBits | intensityBits[g], out);
                out += advance[g];
            }
        } else {
            for (int x = visibleWidth - 1; x >= 0; --x) {
                const uchar g = grey[x];
                qToLittleEndian<quint32>(xBits[x] | yBits | intensityBits[g], out);
                out += advance[g];
            }
        }
        if (out != rowStart) {
            const int first = recordX(rowStart);
            const int last = recordX(out - 4);
            xmin = std::min({xmin, first, last});
            xmax = std::max({xmax, first, last});
            ymin = std::min(ymin, y);
            ymax = std::max(ymax, y);
            rightward = !rightward;
        }
    }

    const int used = int(out - start);
    job.bytes.resize(used);
    // The room left over is kept for the next job, up to the size of a job
    // covering the whole engraving area; beyond that it goes back.
    if (job.bytes.capacity() > reusableJobBytes && job.bytes.capacity() > 2 * used + 4096)
        job.bytes.squeeze();
    job.xmin = xmin;
    job.ymin = ymin;
    job.xmax = xmax;
    job.ymax = ymax;
}

} // namespace Imaging
