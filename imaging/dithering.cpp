#include "imaging/dithering.h"

#include "imaging/algorithms.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Imaging {

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
            const float value = float(levelAt(in, x, levels)) + rows[0][x];
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

QImage dithered(const QImage &source, const DitherOptions &options, const Levels *levels)
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

    QImage target = blankLike(source);
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
