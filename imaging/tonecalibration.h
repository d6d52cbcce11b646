#pragma once

#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

namespace Imaging {

// A grey-step card engraved and measured: 16 steps asked from white (grey
// level 255) to black (0), evenly spaced, each measured as the grey level
// it came out as. From these the engraver's response to every level asked
// is fitted, and the correction that undoes it.
constexpr int calibrationSteps = 16;

// The grey level asked for step (0 white, 15 black): 255, 238, ..., 0.
constexpr int calibrationLevel(int step)
{
    return 255 - 17 * step;
}

// For each level asked (0 to 255), the level it comes out as.
using ToneResponse = std::array<double, 256>;

// The response through the measured steps, never falling as the level
// asked rises (a burn is never lighter for asking darker): the measured
// levels are fitted as the closest such sequence in least squares, which
// evens out measuring noise that puts two steps out of order, and joined by
// straight lines. Nothing when measured is not calibrationSteps finite
// levels from 0 to 255, or when what they span, once fitted, is less than
// 16 levels: a card read the wrong way round or not burned at all.
std::optional<ToneResponse> fitResponse(const std::vector<double> &measured);

// For each level wanted, the level to ask for so that the burn comes out
// as that level: the response turned round, rising with the level wanted.
// A level darker or lighter than any the engraver reaches is asked as the
// darkest or lightest step.
std::array<quint8, 256> correctionFor(const ToneResponse &response);

} // namespace Imaging
