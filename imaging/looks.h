#pragma once

#include "imaging/dithering.h"
#include "imaging/processalgorithm.h"

#include <QImage>

#include <array>
#include <optional>

namespace Imaging {

// What the looks (Binarize, Floyd, GreyFilter) take besides their threshold:
// the tone applied to the grey picture first, the correction of the
// material's measured response applied after the tone, and the dithering
// method that the dithered look uses. The defaults are the canvas's own
// looks exactly.
struct LookSettings
{
    Tone tone;
    // For each level wanted, the level to ask of the engraver (see
    // correctionFor); none for a material that was never measured.
    std::optional<std::array<uchar, 256>> correction;
    DitherOptions dither;

    bool plainFloyd() const
    {
        return dither.method == DitherMethod::Floyd && dither.dotSize <= 1.5;
    }
};

// A look made from the grey base picture: the same pixels as applying the
// tone to a copy of the base and running the look on the copy, but the base
// is only read and the result is written once, into memory of its own
// (into `memory`, a picture let go of, when it fits: see blankLike). A
// null base, or an algorithm that is no look, gives the base back.
QImage lookImage(const QImage &base, Algorithm look, double threshold, const LookSettings &settings,
                 QImage memory = QImage());

} // namespace Imaging
