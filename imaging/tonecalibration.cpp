#include "imaging/tonecalibration.h"

#include "imaging/algorithms.h"

#include <QLineF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Imaging {

std::optional<ToneResponse> fitResponse(const std::vector<double> &measured)
{
    if (measured.size() != std::size_t(calibrationSteps))
        return std::nullopt;
    for (double level : measured) {
        if (!std::isfinite(level) || level < 0 || level > 255)
            return std::nullopt;
    }
    // Pool adjacent violators, from black (the last step) up to white: each
    // block holds the mean of the steps it pools and how many they are.
    struct Block
    {
        double mean;
        int count;
    };
    std::vector<Block> blocks;
    for (int step = calibrationSteps - 1; step >= 0; --step) {
        blocks.push_back({measured[std::size_t(step)], 1});
        while (blocks.size() > 1 && blocks[blocks.size() - 2].mean > blocks.back().mean) {
            const Block last = blocks.back();
            blocks.pop_back();
            Block &before = blocks.back();
            before.mean = (before.mean * before.count + last.mean * last.count)
                / (before.count + last.count);
            before.count += last.count;
        }
    }
    // The fitted level at each step, black first, as the level asked rises.
    std::vector<double> fitted;
    for (const Block &block : blocks)
        fitted.insert(fitted.end(), std::size_t(block.count), block.mean);
    if (fitted.back() - fitted.front() < 16)
        return std::nullopt;

    // Monotone cubic through the fitted steps (Fritsch-Carlson): the slope
    // at each step is the mean of the secants beside it, zero where the
    // fit turns or flattens, and held small enough that no stretch
    // overshoots its two ends.
    const int spacing = calibrationLevel(0) - calibrationLevel(1);
    const int knots = calibrationSteps;
    std::vector<double> secant(std::size_t(knots - 1));
    for (int k = 0; k + 1 < knots; ++k)
        secant[std::size_t(k)] = (fitted[std::size_t(k) + 1] - fitted[std::size_t(k)]) / spacing;
    std::vector<double> slope(secant.size() + 1);
    slope.front() = secant.front();
    slope.back() = secant.back();
    for (int k = 1; k + 1 < knots; ++k) {
        const double before = secant[std::size_t(k) - 1];
        const double after = secant[std::size_t(k)];
        slope[std::size_t(k)] = before > 0 && after > 0 ? (before + after) / 2 : 0;
    }
    for (int k = 0; k + 1 < knots; ++k) {
        const double d = secant[std::size_t(k)];
        double &m0 = slope[std::size_t(k)];
        double &m1 = slope[std::size_t(k) + 1];
        if (d <= 0) {
            m0 = m1 = 0;
            continue;
        }
        const double a = m0 / d;
        const double b = m1 / d;
        if (a * a + b * b > 9) {
            const double tau = 3 / std::sqrt(a * a + b * b);
            m0 = tau * a * d;
            m1 = tau * b * d;
        }
    }

    ToneResponse response {};
    for (int asked = 0; asked < 256; ++asked) {
        const int knot = std::min(asked / spacing, calibrationSteps - 2);
        const double t = double(asked - knot * spacing) / spacing;
        const double t2 = t * t;
        const double t3 = t2 * t;
        const double from = fitted[std::size_t(knot)];
        const double rise = fitted[std::size_t(knot) + 1] - from;
        // Written so that a flat stretch stays exactly flat.
        const double level = from + rise * (3 * t2 - 2 * t3)
            + spacing
                * (slope[std::size_t(knot)] * (t3 - 2 * t2 + t)
                   + slope[std::size_t(knot) + 1] * (t3 - t2));
        response[std::size_t(asked)] = std::clamp(level, 0.0, 255.0);
    }
    return response;
}

std::array<quint8, 256> correctionFor(const ToneResponse &response)
{
    std::array<quint8, 256> correction {};
    int asked = 0;
    for (int wanted = 0; wanted < 256; ++wanted) {
        // The first level asked that comes out at least as light, found from
        // where the level wanted before it left off: both only rise.
        while (asked < 255 && response[std::size_t(asked)] < wanted)
            ++asked;
        double level = asked;
        if (asked > 0 && response[std::size_t(asked)] >= wanted) {
            const double below = response[std::size_t(asked) - 1];
            const double above = response[std::size_t(asked)];
            if (above > below && wanted > below)
                level = asked - 1 + (wanted - below) / (above - below);
        }
        correction[std::size_t(wanted)] = quint8(std::lround(std::clamp(level, 0.0, 255.0)));
    }
    return correction;
}

std::optional<std::array<quint8, 256>> correctionForLevels(const std::vector<double> &measured)
{
    const auto response = fitResponse(measured);
    if (!response)
        return std::nullopt;
    return correctionFor(*response);
}

namespace {

int cardPixels(double mm)
{
    return int(std::lround(mm / Card::pixelMm));
}

QRect cardPixelRect(const QRectF &mm)
{
    const int left = cardPixels(mm.left());
    const int top = cardPixels(mm.top());
    return QRect(left, top, cardPixels(mm.right()) - left, cardPixels(mm.bottom()) - top);
}

// Burns the frame in full: the outer ring of the card, Card::frame wide.
void paintFrame(QImage &card)
{
    QPainter painter(&card);
    const QRect outer(0, 0, card.width(), card.height());
    const int band = cardPixels(Card::frame);
    const QRgb black = opaqueGrey(0);
    painter.fillRect(QRect(0, 0, outer.width(), band), QColor(black));
    painter.fillRect(QRect(0, outer.height() - band, outer.width(), band), QColor(black));
    painter.fillRect(QRect(0, 0, band, outer.height()), QColor(black));
    painter.fillRect(QRect(outer.width() - band, 0, band, outer.height()), QColor(black));
}

int luminance(QRgb pixel)
{
    return qGray(pixel);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The level that splits the picture's greys into dark and light with the
// least spread within each (Otsu).
int splittingLevel(const std::vector<uchar> &grey)
{
    std::array<double, 256> count {};
    for (uchar level : grey)
        count[level] += 1;
    const double total = double(grey.size());
    double sumAll = 0;
    for (int level = 0; level < 256; ++level)
        sumAll += level * count[std::size_t(level)];
    double below = 0;
    double sumBelow = 0;
    double best = -1;
    int split = 127;
    for (int level = 0; level < 255; ++level) {
        below += count[std::size_t(level)];
        sumBelow += level * count[std::size_t(level)];
        const double above = total - below;
        if (below == 0 || above == 0)
            continue;
        const double meanBelow = sumBelow / below;
        const double meanAbove = (sumAll - sumBelow) / above;
        const double between = below * above * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            split = level;
        }
    }
    return split;
}

// A dark region of the photo: how many pixels, its bounds, and the pixels
// furthest along the diagonals, which are the corners of an upright or
// slightly turned rectangle.
struct Region
{
    int count = 0;
    QRect bounds;
    QPoint leastSum, mostSum, leastDifference, mostDifference;
};

std::vector<Region> darkRegions(const std::vector<uchar> &dark, int width, int height)
{
    std::vector<Region> regions;
    std::vector<char> seen(dark.size(), 0);
    std::vector<int> stack;
    for (int start = 0; start < int(dark.size()); ++start) {
        if (!dark[std::size_t(start)] || seen[std::size_t(start)])
            continue;
        Region region;
        int left = width, top = height, right = -1, bottom = -1;
        int leastSum = INT_MAX, mostSum = INT_MIN, leastDifference = INT_MAX,
            mostDifference = INT_MIN;
        stack.assign(1, start);
        seen[std::size_t(start)] = 1;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % width;
            const int y = at / width;
            ++region.count;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            if (x + y < leastSum) {
                leastSum = x + y;
                region.leastSum = QPoint(x, y);
            }
            if (x + y > mostSum) {
                mostSum = x + y;
                region.mostSum = QPoint(x, y);
            }
            if (x - y < leastDifference) {
                leastDifference = x - y;
                region.leastDifference = QPoint(x, y);
            }
            if (x - y > mostDifference) {
                mostDifference = x - y;
                region.mostDifference = QPoint(x, y);
            }
            const int next[4] = {x > 0 ? at - 1 : -1, x + 1 < width ? at + 1 : -1,
                                 y > 0 ? at - width : -1, y + 1 < height ? at + width : -1};
            for (int n : next) {
                if (n >= 0 && dark[std::size_t(n)] && !seen[std::size_t(n)]) {
                    seen[std::size_t(n)] = 1;
                    stack.push_back(n);
                }
            }
        }
        region.bounds = QRect(QPoint(left, top), QPoint(right, bottom));
        regions.push_back(region);
    }
    return regions;
}

// The card's outer corners in the photo, from which any point of the card
// (in millimetres) is found by bilinear interpolation: a slight turn or a
// slightly slanted view are followed.
struct CardPlace
{
    QPointF origin, alongEnd, acrossEnd, farCorner; // (0,0), (W,0), (0,H), (W,H)

    QPointF at(double u, double v) const
    {
        const double s = u / Card::width;
        const double t = v / Card::height;
        return origin * ((1 - s) * (1 - t)) + alongEnd * (s * (1 - t)) + acrossEnd * ((1 - s) * t)
            + farCorner * (s * t);
    }
    double pixelsPerMm() const { return QLineF(origin, alongEnd).length() / Card::width; }
};

class PhotoSamples
{
public:
    PhotoSamples(const QImage &image, const CardPlace &place)
        : m_image(image)
        , m_place(place)
        , m_step(0.5 / std::max(place.pixelsPerMm(), 0.01))
    { }

    // Every pixel of the photo under the area (in millimetres of the card),
    // about twice over.
    std::vector<QRgb> under(const QRectF &area) const
    {
        std::vector<QRgb> pixels;
        for (double v = area.top() + m_step / 2; v < area.bottom(); v += m_step) {
            for (double u = area.left() + m_step / 2; u < area.right(); u += m_step) {
                const QPointF p = m_place.at(u, v);
                const int x = int(std::lround(p.x()));
                const int y = int(std::lround(p.y()));
                if (x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height())
                    pixels.push_back(reinterpret_cast<const QRgb *>(m_image.constScanLine(y))[x]);
            }
        }
        return pixels;
    }

    std::vector<double> greys(const QRectF &area) const
    {
        std::vector<double> out;
        for (QRgb pixel : under(area))
            out.push_back(luminance(pixel));
        return out;
    }

    // The share of the pixels under the area darker than the split.
    double darkShare(const QRectF &area, int split) const
    {
        const std::vector<double> all = greys(area);
        if (all.empty())
            return 0;
        const auto dark
            = std::count_if(all.begin(), all.end(), [&](double g) { return g <= split; });
        return double(dark) / double(all.size());
    }

private:
    const QImage &m_image;
    CardPlace m_place;
    double m_step;
};

// The four bands a ring of the card's outline takes, inset by `from` and
// `to` millimetres from its outer edge.
std::vector<QRectF> ringBands(double from, double to)
{
    const double w = Card::width;
    const double h = Card::height;
    return {QRectF(from, from, w - 2 * from, to - from),
            QRectF(from, h - to, w - 2 * from, to - from), QRectF(from, to, to - from, h - 2 * to),
            QRectF(w - to, to, to - from, h - 2 * to)};
}

std::optional<CardPlace> cardPlaceOf(const Region &region)
{
    // Corners of an upright rectangle turned by a few degrees at most.
    const QPointF topLeft = region.leastSum;
    const QPointF bottomRight = QPointF(region.mostSum) + QPointF(1, 1);
    const QPointF topRight = QPointF(region.mostDifference) + QPointF(1, 0);
    const QPointF bottomLeft = QPointF(region.leastDifference) + QPointF(0, 1);
    const double across = QLineF(topLeft, topRight).length();
    const double down = QLineF(topLeft, bottomLeft).length();
    CardPlace place;
    if (across >= down)
        place = {topLeft, topRight, bottomLeft, bottomRight};
    else // upright: along the card is down the photo
        place = {topRight, bottomRight, topLeft, bottomLeft};
    const double along = std::max(across, down);
    const double side = std::min(across, down);
    const double ratio = Card::width / Card::height;
    // The frame must be a few pixels wide to be measured at all.
    if (side <= 0 || along < 150 || std::abs(along / side / ratio - 1) > 0.3)
        return std::nullopt;
    return place;
}

} // namespace

QImage calibrationCardPicture()
{
    QImage card(cardPixels(Card::width), cardPixels(Card::height), QImage::Format_RGB32);
    card.fill(opaqueGrey(255));
    paintFrame(card);
    QPainter painter(&card);
    for (int step = 0; step < calibrationSteps; ++step)
        painter.fillRect(cardPixelRect(Card::stepRect(step)),
                         QColor(opaqueGrey(calibrationLevel(step))));
    return card;
}

QImage calibrationCardLook(Algorithm look, double threshold, LookSettings settings)
{
    settings.tone = Tone();
    settings.correction.reset();
    QImage card = lookImage(calibrationCardPicture(), look, threshold, settings);
    paintFrame(card);
    return card;
}

std::optional<CardReading> readCalibrationCard(const QImage &photo)
{
    if (photo.isNull())
        return std::nullopt;
    const QImage image = photo.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    std::vector<uchar> grey(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            grey[std::size_t(y) * std::size_t(width) + std::size_t(x)] = uchar(luminance(line[x]));
    }
    const int split = splittingLevel(grey);
    std::vector<uchar> dark(grey.size());
    for (std::size_t i = 0; i < grey.size(); ++i)
        dark[i] = grey[i] <= split;
    std::vector<Region> regions = darkRegions(dark, width, height);
    std::sort(regions.begin(), regions.end(), [](const Region &a, const Region &b) {
        return qint64(a.bounds.width()) * a.bounds.height()
            > qint64(b.bounds.width()) * b.bounds.height();
    });

    for (const Region &region : regions) {
        const auto place = cardPlaceOf(region);
        if (!place)
            continue;
        const PhotoSamples samples(image, *place);
        // A ring: dark along the frame's middle, light along the margin's.
        bool ring = true;
        for (const QRectF &band : ringBands(Card::frame * 0.3, Card::frame * 0.7))
            ring = ring && samples.darkShare(band, split) >= 0.85;
        const double marginFrom = Card::frame + Card::margin * 0.3;
        const double marginTo = Card::frame + Card::margin * 0.7;
        for (const QRectF &band : ringBands(marginFrom, marginTo))
            ring = ring && samples.darkShare(band, split) <= 0.15;
        if (!ring)
            continue;

        std::vector<double> blacks;
        for (const QRectF &band : ringBands(Card::frame * 0.3, Card::frame * 0.7)) {
            const auto some = samples.greys(band);
            blacks.insert(blacks.end(), some.begin(), some.end());
        }
        std::vector<double> whites, reds, greens, blues;
        for (const QRectF &band : ringBands(marginFrom, marginTo)) {
            for (QRgb pixel : samples.under(band)) {
                whites.push_back(luminance(pixel));
                reds.push_back(qRed(pixel));
                greens.push_back(qGreen(pixel));
                blues.push_back(qBlue(pixel));
            }
        }
        const double black = median(blacks);
        const double white = median(whites);
        if (white - black < 32)
            continue;

        CardReading reading;
        reading.tint = qRgb(int(median(reds)), int(median(greens)), int(median(blues)));
        for (int step = 0; step < calibrationSteps; ++step) {
            // The middle half of the step, as 3 x 3 blocks: each block's mean
            // evens out dithered dots and noise, the median of the blocks
            // leaves out a speck of dust or a scratch.
            const QRectF cell = Card::stepRect(step);
            const QRectF middle(cell.left() + cell.width() / 4, cell.top() + cell.height() / 4,
                                cell.width() / 2, cell.height() / 2);
            std::vector<double> blocks;
            for (int by = 0; by < 3; ++by) {
                for (int bx = 0; bx < 3; ++bx) {
                    const QRectF block(middle.left() + middle.width() * bx / 3,
                                       middle.top() + middle.height() * by / 3, middle.width() / 3,
                                       middle.height() / 3);
                    const std::vector<double> some = samples.greys(block);
                    if (!some.empty())
                        blocks.push_back(std::accumulate(some.begin(), some.end(), 0.0)
                                         / double(some.size()));
                }
            }
            const double level = 255 * (median(blocks) - black) / (white - black);
            reading.levels.push_back(std::clamp(level, 0.0, 255.0));
        }
        // The white step is the lighter end, whichever way round the photo
        // shows the card.
        if (reading.levels[0] + reading.levels[1]
            < reading.levels[calibrationSteps - 2] + reading.levels[calibrationSteps - 1])
            std::reverse(reading.levels.begin(), reading.levels.end());
        return reading;
    }
    return std::nullopt;
}

QImage materialView(const QImage &burns, const ToneResponse &response, QRgb tint)
{
    // Bare material shows its tint; a full burn a dark brown-black of it.
    constexpr double burnedShare = 0.18;
    std::array<QRgb, 256> colours {};
    for (int level = 0; level < 256; ++level) {
        const double light
            = level == 255 ? 1.0 : std::clamp(response[std::size_t(level)] / 255, 0.0, 1.0);
        const double keep = burnedShare + (1 - burnedShare) * light;
        colours[std::size_t(level)]
            = qRgb(int(std::lround(qRed(tint) * keep)), int(std::lround(qGreen(tint) * keep)),
                   int(std::lround(qBlue(tint) * keep)));
    }
    const QImage grey = burns.convertToFormat(QImage::Format_Grayscale8);
    QImage view(grey.size(), QImage::Format_RGB32);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *in = grey.constScanLine(y);
        auto *out = reinterpret_cast<QRgb *>(view.scanLine(y));
        for (int x = 0; x < grey.width(); ++x)
            out[x] = colours[in[x]];
    }
    return view;
}

} // namespace Imaging
