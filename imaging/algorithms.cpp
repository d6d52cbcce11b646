#include "imaging/algorithms.h"

#include <QColorSpace>
#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QTransform>
#include <QVector>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace Imaging {

namespace {

inline int redOf(QRgb pixel)
{
    return int((pixel >> 16) & 0xFF);
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

// A pixel the look keeps: as it is, or the opaque grey of its mapped level.
inline QRgb keptPixel(QRgb pixel, const uchar *levels)
{
    return levels ? opaqueGrey(levels[redOf(pixel)]) : pixel;
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
    QImage blank(image.size(), image.format());
    blank.setDotsPerMeterX(image.dotsPerMeterX());
    blank.setDotsPerMeterY(image.dotsPerMeterY());
    blank.setOffset(image.offset());
    blank.setDevicePixelRatio(image.devicePixelRatio());
    blank.setColorSpace(image.colorSpace());
    const QStringList keys = image.textKeys();
    for (const QString &key : keys)
        blank.setText(key, image.text(key));
    return blank;
}

namespace {

// Adds e × weight/16 to a grey level the way the floating-point definition
// does: n + e·w is exact in a double for sixteenths, and truncation toward
// zero equals C++ integer division of (16 n + w e) by 16.
inline int diffused(int level, int error, int weight)
{
    const int value = (16 * level + weight * error) / 16;
    return std::clamp(value, 0, 255);
}

void floydPlain(const QImage &source, QImage &target, double threshold, const uchar *levels)
{
    const int width = source.width();
    const int height = source.height();
    // The threshold only matters through "threshold > v" for v in 0..255.
    // Black exactly below the first level the threshold does not exceed
    // (256: every level is black).
    int firstWhite = 0;
    while (firstWhite < 256 && threshold > double(firstWhite))
        ++firstWhite;

    // The pixels the diffusion never reaches, the first row and the first
    // pixel of the second, keep the source's (mapped when there are levels);
    // in place and unmapped they are already right.
    if (levels || &source != &target) {
        const auto copyPixels = [&](int y, int count) {
            auto *out = reinterpret_cast<QRgb *>(target.scanLine(y));
            const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
            for (int x = 0; x < count; ++x)
                out[x] = keptPixel(in[x], levels);
        };
        copyPixels(0, width);
        copyPixels(1, 1);
    }

    // The row being quantised and the one below it, as grey levels; every
    // value stays clamped to 0..255 after each step, as the pixels would.
    std::vector<int> rowA(size_t(width), 0);
    std::vector<int> rowB(size_t(width), 0);
    int *current = rowA.data();
    int *below = rowB.data();
    // Each row is read before any row below it is written, so the target
    // may be the source.
    const auto readRow = [&source, width, levels](int y, int *out) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        if (levels) {
            for (int x = 0; x < width; ++x)
                out[x] = levels[redOf(line[x])];
        } else {
            for (int x = 0; x < width; ++x)
                out[x] = redOf(line[x]);
        }
    };
    // Every pixel the diffusion reached is stored as an opaque grey (black
    // and white being greys too); the first pixel of row 1 is never reached.
    const auto writeRow = [&target, width](int y, const int *out, int from) {
        auto *line = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = from; x < width; ++x)
            line[x] = opaqueGrey(out[x]);
    };

    readRow(1, current);
    for (int y = 1; y < height - 1; ++y) {
        readRow(y + 1, below);
        // The pixel being quantised and the three below it that it feeds are
        // carried in registers along the row: each level is read once and
        // written once, and every step is the same arithmetic as the
        // definition (each neighbour truncated and clamped on its own, in
        // the same order). The choice of black or white is a table look-up
        // and a mask, with no branch to mispredict on a photo.
        int here = current[1];
        int belowLeft = below[0];
        int belowHere = below[1];
        for (int x = 1; x < width - 1; ++x) {
            const int white = here >= firstWhite ? 255 : 0;
            const int error = here - white;
            current[x] = white;
            here = diffused(current[x + 1], error, 7);
            below[x - 1] = diffused(belowLeft, error, 3);
            belowLeft = diffused(belowHere, error, 5);
            belowHere = diffused(below[x + 1], error, 1);
        }
        current[width - 1] = here;
        below[width - 2] = belowLeft;
        below[width - 1] = belowHere;
        writeRow(y, current, y == 1 ? 1 : 0);
        std::swap(current, below);
    }
    writeRow(height - 1, current, 0);
}

void floydGeneric(QImage &image, double threshold)
{
    const int width = image.width();
    const int height = image.height();
    for (int y = 1; y < height - 1; ++y) {
        for (int x = 1; x < width - 1; ++x) {
            const int v = redOf(image.pixel(x, y));
            int error;
            if (threshold > double(v)) {
                image.setPixel(x, y, opaqueBlack);
                error = v;
            } else {
                image.setPixel(x, y, opaqueWhite);
                error = v - 255;
            }
            const struct
            {
                int dx, dy, weight;
            } neighbours[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
            for (const auto &n : neighbours) {
                const int level = redOf(image.pixel(x + n.dx, y + n.dy));
                image.setPixel(x + n.dx, y + n.dy, opaqueGrey(diffused(level, error, n.weight)));
            }
        }
    }
}

} // namespace

void floydDither(QImage &image, double threshold)
{
    if (image.height() <= 2 || image.width() <= 2)
        return;
    if (hasPlainPixels(image))
        floydPlain(image, image, threshold, nullptr);
    else
        floydGeneric(image, threshold);
}

void floydDitherInto(const QImage &source, QImage &target, double threshold, const uchar *levels)
{
    if (source.height() <= 2 || source.width() <= 2) {
        // Too small to have inner pixels: the whole picture is frame.
        mapPixelsInto(source, target, [levels](QRgb p) { return keptPixel(p, levels); });
        return;
    }
    floydPlain(source, target, threshold, levels);
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
    job.bytes.resize(visibleWidth * visibleHeight * 4);
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
