#include "imaging/dithering.h"

#include "imaging/algorithms.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Imaging {

namespace {

// Adds e × weight/16 to a grey level the way the floating-point definition
// does: n + e·w is exact in a double for sixteenths, and truncation toward
// zero equals C++ integer division of (16 n + w e) by 16.
inline int diffused(int level, int error, int weight)
{
    const int value = (16 * level + weight * error) / 16;
    return std::clamp(value, 0, 255);
}

// Pure white and pure black are kept as they are and spread no error. On a
// logo or text on white, the error a light edge leaves behind would
// otherwise drift through the white (Floyd truncates and clamps each stored
// level, which biases negative error downwards) until it burns stray dots
// far from anything drawn; and a pure black pixel can catch enough error to
// turn white. A grey level between them is dithered as it always was.
inline bool isPureLevel(int level)
{
    return level == 0 || level == 255;
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
    // Beside them, the levels the two rows started with: they tell the pure
    // pixels, whatever error has reached them since.
    std::vector<int> rowA(size_t(width), 0);
    std::vector<int> rowB(size_t(width), 0);
    std::vector<uchar> startA(size_t(width), 0);
    std::vector<uchar> startB(size_t(width), 0);
    int *current = rowA.data();
    int *below = rowB.data();
    uchar *currentStart = startA.data();
    uchar *belowStart = startB.data();
    // Each row is read before any row below it is written, so the target
    // may be the source.
    const auto readRow = [&source, width, levels](int y, int *out, uchar *start) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        if (levels) {
            for (int x = 0; x < width; ++x)
                start[x] = levels[redOf(line[x])];
        } else {
            for (int x = 0; x < width; ++x)
                start[x] = uchar(redOf(line[x]));
        }
        for (int x = 0; x < width; ++x)
            out[x] = start[x];
    };
    // The frame is never quantised, but a pure pixel there keeps its level
    // all the same; the inner ones already have.
    const auto keepPure = [](int *out, const uchar *start, int x) {
        if (isPureLevel(start[x]))
            out[x] = start[x];
    };
    // Every pixel the diffusion reached is stored as an opaque grey (black
    // and white being greys too); the first pixel of row 1 is never reached.
    const auto writeRow = [&target, width](int y, const int *out, int from) {
        auto *line = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = from; x < width; ++x)
            line[x] = opaqueGrey(out[x]);
    };

    readRow(1, current, currentStart);
    for (int y = 1; y < height - 1; ++y) {
        readRow(y + 1, below, belowStart);
        // The pixel being quantised and the three below it that it feeds are
        // carried in registers along the row: each level is read once and
        // written once, and every step is the same arithmetic as the
        // definition (each neighbour truncated and clamped on its own, in
        // the same order). The choice of black or white is a table look-up
        // and a mask, with no branch to mispredict on a photo.
        int here = current[1];
        int belowLeft = below[0];
        int belowHere = below[1];
        // A pure pixel keeps its level and passes on an error of 0, which
        // leaves every neighbour as it is: the same steps, with no branch.
        for (int x = 1; x < width - 1; ++x) {
            const int start = currentStart[x];
            const bool pure = isPureLevel(start);
            const int white = here >= firstWhite ? 255 : 0;
            const int error = pure ? 0 : here - white;
            current[x] = pure ? start : white;
            here = diffused(current[x + 1], error, 7);
            below[x - 1] = diffused(belowLeft, error, 3);
            belowLeft = diffused(belowHere, error, 5);
            belowHere = diffused(below[x + 1], error, 1);
        }
        current[width - 1] = here;
        below[width - 2] = belowLeft;
        below[width - 1] = belowHere;
        keepPure(current, currentStart, 0);
        keepPure(current, currentStart, width - 1);
        writeRow(y, current, y == 1 ? 1 : 0);
        std::swap(current, below);
        std::swap(currentStart, belowStart);
    }
    for (int x = 0; x < width; ++x)
        keepPure(current, currentStart, x);
    writeRow(height - 1, current, 0);
}

void floydGeneric(QImage &image, double threshold)
{
    const int width = image.width();
    const int height = image.height();
    // The levels before any error reached them, to tell the pure pixels.
    const QImage start = image.copy();
    const auto pureAt = [&start](int x, int y) {
        return isPureLevel(redOf(start.pixel(x, y)));
    };
    for (int y = 1; y < height - 1; ++y) {
        for (int x = 1; x < width - 1; ++x) {
            const int v = redOf(image.pixel(x, y));
            int error;
            if (pureAt(x, y)) {
                image.setPixel(x, y, opaqueGrey(redOf(start.pixel(x, y))));
                error = 0;
            } else if (threshold > double(v)) {
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
                const int spread = pureAt(x + n.dx, y + n.dy) ? 0 : error;
                image.setPixel(x + n.dx, y + n.dy, opaqueGrey(diffused(level, spread, n.weight)));
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

namespace {

// One tap of an error-diffusion kernel, as published: the share weight /
// divisor of the error goes to the pixel (dx, dy) from the one quantised.
struct KernelTap
{
    int dx;
    int dy;
    int weight;
};

using Levels = std::array<uchar, 256>;

constexpr Levels identityLevels()
{
    Levels levels {};
    for (int level = 0; level < 256; ++level)
        levels[size_t(level)] = uchar(level);
    return levels;
}

// The grey level of a source pixel after the levels mapping.
inline int levelAt(const QRgb *line, int x, const Levels &levels)
{
    return levels[(line[x] >> 16) & 0xFF];
}

constexpr KernelTap atkinsonTaps[]
    = {{1, 0, 1}, {2, 0, 1}, {-1, 1, 1}, {0, 1, 1}, {1, 1, 1}, {0, 2, 1}};
constexpr KernelTap jarvisTaps[]
    = {{1, 0, 7}, {2, 0, 5},  {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5},
       {2, 1, 3}, {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5},  {1, 2, 3}, {2, 2, 1}};
constexpr KernelTap stuckiTaps[]
    = {{1, 0, 8}, {2, 0, 4},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4},
       {2, 1, 2}, {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4},  {1, 2, 2}, {2, 2, 1}};
constexpr KernelTap sierraTaps[] = {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5},
                                    {1, 1, 4}, {2, 1, 2}, {-1, 2, 2}, {0, 2, 3},  {1, 2, 2}};

// Error diffusion over every pixel, in float: each pixel's value is its
// level plus the error carried to it; it becomes black below the threshold,
// and what it misses of its new level is spread over the pixels ahead by
// the kernel (mirrored on right-to-left rows). Three rows of carried error
// are kept, two columns wider on each side than the picture, so that error
// falling outside it lands in the margins and is dropped without a test.
// The kernel is a template argument: its taps unroll into plain adds.
template<const KernelTap *Taps, int Count, int Divisor>
void diffuse(const QImage &source, QImage &target, const Levels &levels, double threshold,
             bool serpentine)
{
    const int width = source.width();
    const int height = source.height();
    constexpr int margin = 2; // the kernels reach two columns either side
    const int stride = width + 2 * margin;
    std::vector<float> carried(static_cast<size_t>(3 * stride), 0.0f);
    const float limit = float(threshold);

    for (int y = 0; y < height; ++y) {
        float *rows[3];
        for (int r = 0; r < 3; ++r)
            rows[r] = carried.data() + size_t(((y + r) % 3) * stride + margin);
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(target.scanLine(y));
        const int step = serpentine && (y % 2 == 1) ? -1 : 1;
        int x = step > 0 ? 0 : width - 1;
        for (int i = 0; i < width; ++i, x += step) {
            const int level = levelAt(in, x, levels);
            if (isPureLevel(level)) {
                // Pure black and white stay as they are and spread nothing:
                // what reached them is dropped (see isPureLevel).
                out[x] = opaqueGrey(level);
                continue;
            }
            const float value = float(level) + rows[0][x];
            const bool black = value < limit;
            out[x] = black ? opaqueBlack : opaqueWhite;
            const float error = value - (black ? 0.0f : 255.0f);
            for (int k = 0; k < Count; ++k)
                rows[Taps[k].dy][x + Taps[k].dx * step]
                    += error * (float(Taps[k].weight) / float(Divisor));
        }
        // The row just finished becomes the one two rows down.
        std::fill(rows[0] - margin, rows[0] - margin + stride, 0.0f);
    }
}

void ordered(const QImage &source, QImage &target, const Levels &levels, double threshold)
{
    const double shift = threshold - 128;
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            // Each index stands for the middle of its 64th of the levels.
            const double screen = (bayerIndex(x, y) + 0.5) * 4.0 + shift;
            out[x] = double(levelAt(in, x, levels)) < screen ? opaqueBlack : opaqueWhite;
        }
    }
}

// Clustered dots: within each cell the pixels are ranked by their distance
// from the cell's centre (ties by position), and a pixel is black when the
// darkness around it exceeds its rank's share, so dots grow from the
// centre as the picture darkens.
void halftone(const QImage &source, QImage &target, const Levels &levels, int cellSize,
              double threshold)
{
    // The cell is given in engraving pixels; the picture is in canvas pixels.
    // Held to 2..64 engraving pixels (the panel offers 4..16): the screen
    // has cell² entries, and a cell of 30000 would ask for gigabytes.
    const int held = std::clamp(cellSize, 2, 64);
    const int cell = std::max(2, int(std::lround(held / 1.5)));
    const int count = cell * cell;
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i;
    const double centre = (cell - 1) / 2.0;
    const auto distance = [&](int i) {
        const double dx = i % cell - centre;
        const double dy = i / cell - centre;
        return dx * dx + dy * dy;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return distance(a) < distance(b); });
    std::vector<double> screen(static_cast<size_t>(count));
    for (int rank = 0; rank < count; ++rank)
        screen[size_t(order[size_t(rank)])] = (rank + 0.5) * 255.0 / count;

    const double shift = threshold - 128;
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const double darkness = 255.0 - double(levelAt(in, x, levels)) + shift;
            const bool black = darkness > screen[size_t((y % cell) * cell + x % cell)];
            out[x] = black ? opaqueBlack : opaqueWhite;
        }
    }
}

} // namespace

std::array<uchar, 256> toneTable(const Tone &tone)
{
    std::array<uchar, 256> table {};
    const double gamma = std::clamp(tone.gamma, 0.2, 5.0);
    // The usual contrast curve: c in -255..255 maps to a slope about 128.
    const double c = std::clamp(tone.contrast, -100.0, 100.0) * 2.55;
    const double slope = (259.0 * (c + 255.0)) / (255.0 * (259.0 - c));
    const double lift = std::clamp(tone.brightness, -100.0, 100.0) * 2.55;
    for (int level = 0; level < 256; ++level) {
        double v = 255.0 * std::pow(level / 255.0, 1.0 / gamma);
        v = slope * (v - 128.0) + 128.0 + lift;
        table[size_t(level)] = uchar(std::clamp(std::lround(v), 0L, 255L));
    }
    return table;
}

void applyTone(QImage &image, const Tone &tone)
{
    if (image.isNull() || tone.isNeutral())
        return;
    if (!hasPlainPixels(image))
        image = image.convertToFormat(QImage::Format_RGB32);
    const Levels table = toneTable(tone);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = opaqueGrey(levelAt(line, x, table));
    }
}

std::array<uchar, 256> spotCompensationTable(double dotSize)
{
    std::array<uchar, 256> table {};
    const double k = std::max(1.0, (dotSize / 1.5) * (dotSize / 1.5));
    for (int level = 0; level < 256; ++level)
        table[size_t(level)] = uchar(std::lround(255.0 * std::pow(level / 255.0, 1.0 / k)));
    return table;
}

int bayerIndex(int x, int y)
{
    // M(2n) = (4 M(n), 4 M(n) + 2 / 4 M(n) + 3, 4 M(n) + 1): the 2 x 2
    // pattern 0 2 / 3 1 of the lowest bits weighs most.
    int index = 0;
    for (int bit = 0; bit < 3; ++bit) {
        const int xb = (x >> bit) & 1;
        const int yb = (y >> bit) & 1;
        index = index * 4 + ((xb ^ yb) << 1 | yb);
    }
    return index;
}

QImage dithered(const QImage &source, const DitherOptions &options, const Levels *levels,
                QImage memory)
{
    if (source.isNull())
        return source;
    const bool compensated = options.dotSize > 1.5;
    if (!hasPlainPixels(source)) {
        // Floyd keeps its frame, in the picture's own format when nothing is
        // mapped; everything else works on RGB32, which loses nothing of a
        // grey picture.
        if (options.method == DitherMethod::Floyd && !levels && !compensated) {
            QImage image = source.copy();
            floydDither(image, options.threshold);
            return image;
        }
        return dithered(source.convertToFormat(QImage::Format_RGB32), options, levels);
    }
    // The tone first, then the spot compensation: one table.
    Levels mapping = levels ? *levels : identityLevels();
    if (compensated) {
        const Levels compensation = spotCompensationTable(options.dotSize);
        for (uchar &level : mapping)
            level = compensation[level];
    }
    const bool mapped = levels || compensated;

    QImage target = blankLike(source, std::move(memory));
    switch (options.method) {
    case DitherMethod::Floyd:
        floydDitherInto(source, target, options.threshold, mapped ? mapping.data() : nullptr);
        break;
    case DitherMethod::Bayer:
        ordered(source, target, mapping, options.threshold);
        break;
    case DitherMethod::Halftone:
        halftone(source, target, mapping, options.cellSize, options.threshold);
        break;
    case DitherMethod::Atkinson:
        diffuse<atkinsonTaps, int(std::size(atkinsonTaps)), 8>(
            source, target, mapping, options.threshold, options.serpentine);
        break;
    case DitherMethod::JarvisJudiceNinke:
        diffuse<jarvisTaps, int(std::size(jarvisTaps)), 48>(source, target, mapping,
                                                            options.threshold, options.serpentine);
        break;
    case DitherMethod::Stucki:
        diffuse<stuckiTaps, int(std::size(stuckiTaps)), 42>(source, target, mapping,
                                                            options.threshold, options.serpentine);
        break;
    case DitherMethod::Sierra:
        diffuse<sierraTaps, int(std::size(sierraTaps)), 32>(source, target, mapping,
                                                            options.threshold, options.serpentine);
        break;
    }
    return target;
}

void dither(QImage &image, const DitherOptions &options)
{
    if (!image.isNull())
        image = dithered(image, options);
}

} // namespace Imaging
