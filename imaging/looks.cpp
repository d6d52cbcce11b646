#include "imaging/looks.h"

#include "imaging/algorithms.h"

#include <utility>

namespace Imaging {

namespace {

// Pictures of other formats take the long way: a copy, the tone, then the
// look in place, exactly as the table's entries do it.
QImage lookOnCopy(const QImage &base, Algorithm look, double threshold, const Tone &tone,
                  const uchar *levels)
{
    QImage image = base.copy();
    if (levels) {
        // The tone and the correction in one table.
        image = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = keptPixel(line[x], levels);
        }
    } else {
        applyTone(image, tone);
    }
    switch (look) {
    case Binarize:
        binarize(image, threshold);
        break;
    case GreyFilter:
        greyFilter(image, threshold);
        break;
    default:
        floydDither(image, threshold);
        break;
    }
    return image;
}

} // namespace

QImage lookImage(const QImage &base, Algorithm look, double threshold, const LookSettings &settings,
                 QImage memory)
{
    if (base.isNull() || !isLook(look))
        return base;
    // The tone, then the correction for the material, as one table.
    const bool toned = !settings.tone.isNeutral() || settings.correction.has_value();
    std::array<uchar, 256> tone {};
    if (toned) {
        tone = toneTable(settings.tone);
        if (settings.correction) {
            for (uchar &level : tone)
                level = (*settings.correction)[level];
        }
    }
    if (look == Floyd && !settings.plainFloyd()) {
        DitherOptions options = settings.dither;
        options.threshold = threshold;
        return dithered(base, options, toned ? &tone : nullptr, std::move(memory));
    }
    if (!hasPlainPixels(base))
        return lookOnCopy(base, look, threshold, settings.tone,
                          settings.correction ? tone.data() : nullptr);

    QImage result = blankLike(base, std::move(memory));
    const uchar *levels = toned ? tone.data() : nullptr;
    switch (look) {
    case Binarize:
        binarizeInto(base, result, threshold, levels);
        break;
    case GreyFilter:
        greyFilterInto(base, result, threshold, levels);
        break;
    default:
        floydDitherInto(base, result, threshold, levels);
        break;
    }
    return result;
}

} // namespace Imaging
