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

constexpr QRgb opaqueBlack = 0xFF000000u;
constexpr QRgb opaqueWhite = 0xFFFFFFFFu;

inline QRgb opaqueGrey(int level)
{
    return opaqueBlack | (QRgb(level) * 0x010101u);
}

// The 32-bit formats whose stored words are what pixel() returns; others
// are made RGB32 first (grey pictures lose nothing by it).
void makePlain(QImage &image)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
}

void mapLevels(QImage &image, const std::array<uchar, 256> &table)
{
    makePlain(image);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = opaqueGrey(table[(line[x] >> 16) & 0xFF]);
    }
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
void diffuse(QImage &image, double threshold, bool serpentine)
{
    makePlain(image);
    const int width = image.width();
    const int height = image.height();
    constexpr int margin = 2; // the kernels reach two columns either side
    const int stride = width + 2 * margin;
    std::vector<float> carried(static_cast<size_t>(3 * stride), 0.0f);
    const float limit = float(threshold);

    for (int y = 0; y < height; ++y) {
        float *rows[3];
        for (int r = 0; r < 3; ++r)
            rows[r] = carried.data() + size_t(((y + r) % 3) * stride + margin);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int step = serpentine && (y % 2 == 1) ? -1 : 1;
        int x = step > 0 ? 0 : width - 1;
        for (int i = 0; i < width; ++i, x += step) {
            const float value = float((line[x] >> 16) & 0xFF) + rows[0][x];
            const bool black = value < limit;
            line[x] = black ? opaqueBlack : opaqueWhite;
            const float error = value - (black ? 0.0f : 255.0f);
            for (int k = 0; k < Count; ++k)
                rows[Taps[k].dy][x + Taps[k].dx * step]
                    += error * (float(Taps[k].weight) / float(Divisor));
        }
        // The row just finished becomes the one two rows down.
        std::fill(rows[0] - margin, rows[0] - margin + stride, 0.0f);
    }
}

void ordered(QImage &image, double threshold)
{
    makePlain(image);
    const double shift = threshold - 128;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Each index stands for the middle of its 64th of the levels.
            const double screen = (bayerIndex(x, y) + 0.5) * 4.0 + shift;
            line[x] = double((line[x] >> 16) & 0xFF) < screen ? opaqueBlack : opaqueWhite;
        }
    }
}

// Clustered dots: within each cell the pixels are ranked by their distance
// from the cell's centre (ties by position), and a pixel is black when the
// darkness around it exceeds its rank's share, so dots grow from the
// centre as the picture darkens.
void halftone(QImage &image, int cellSize, double threshold)
{
    makePlain(image);
    // The cell is given in engraving pixels; the picture is in canvas pixels.
    const int cell = std::max(2, int(std::lround(cellSize / 1.5)));
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
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double darkness = 255.0 - double((line[x] >> 16) & 0xFF) + shift;
            const bool black = darkness > screen[size_t((y % cell) * cell + x % cell)];
            line[x] = black ? opaqueBlack : opaqueWhite;
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
    mapLevels(image, toneTable(tone));
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

void dither(QImage &image, const DitherOptions &options)
{
    if (image.isNull())
        return;
    if (options.dotSize > 1.5)
        mapLevels(image, spotCompensationTable(options.dotSize));
    switch (options.method) {
    case DitherMethod::Floyd:
        floydDither(image, options.threshold);
        break;
    case DitherMethod::Bayer:
        ordered(image, options.threshold);
        break;
    case DitherMethod::Halftone:
        halftone(image, options.cellSize, options.threshold);
        break;
    case DitherMethod::Atkinson:
        diffuse<atkinsonTaps, int(std::size(atkinsonTaps)), 8>(image, options.threshold,
                                                               options.serpentine);
        break;
    case DitherMethod::JarvisJudiceNinke:
        diffuse<jarvisTaps, int(std::size(jarvisTaps)), 48>(image, options.threshold,
                                                            options.serpentine);
        break;
    case DitherMethod::Stucki:
        diffuse<stuckiTaps, int(std::size(stuckiTaps)), 42>(image, options.threshold,
                                                            options.serpentine);
        break;
    case DitherMethod::Sierra:
        diffuse<sierraTaps, int(std::size(sierraTaps)), 32>(image, options.threshold,
                                                            options.serpentine);
        break;
    }
}

} // namespace Imaging
