#pragma once

#include "imaging/looks.h"
#include "imaging/processalgorithm.h"

#include <QImage>
#include <QRectF>
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
// a monotone cubic (Fritsch-Carlson), which follows a steep dark end
// more closely than straight lines and never overshoots. Nothing when measured is not
// calibrationSteps finite levels from 0 to 255, or when what they span, once fitted, is less than
// 16 levels: a card read the wrong way round or not burned at all.
std::optional<ToneResponse> fitResponse(const std::vector<double> &measured);

// For each level wanted, the level to ask for so that the burn comes out
// as that level: the response turned round, rising with the level wanted.
// A level darker or lighter than any the engraver reaches is asked as the
// darkest or lightest step.
std::array<quint8, 256> correctionFor(const ToneResponse &response);

// The correction for 16 measured levels, or nothing when they cannot be
// fitted (see fitResponse).
std::optional<std::array<quint8, 256>> correctionForLevels(const std::vector<double> &measured);

// The grey-step card as it is burned, in millimetres from the outer corner
// of its frame: the 16 steps side by side, white first, each 4 mm wide and
// 8 mm high with 0.5 mm of bare material between them, a 1 mm margin of
// bare material around them and a 1 mm burned frame around that, 75.5 mm
// by 12 mm in all. The bare margin is the material's own white and the
// frame its full black when a photo of the card is measured.
namespace Card {
constexpr double stepWidth = 4;
constexpr double stepHeight = 8;
constexpr double gap = 0.5;
constexpr double margin = 1;
constexpr double frame = 1;
constexpr double width
    = 2 * (frame + margin) + calibrationSteps * stepWidth + (calibrationSteps - 1) * gap;
constexpr double height = 2 * (frame + margin) + stepHeight;
// One canvas pixel: the card is drawn at the canvas's own resolution, as a
// picture would be engraved.
constexpr double pixelMm = 0.075;

inline QRectF stepRect(int step)
{
    return QRectF(frame + margin + step * (stepWidth + gap), frame + margin, stepWidth, stepHeight);
}
} // namespace Card

// The card's grey picture at one canvas pixel per 0.075 mm: white
// material, the black frame, each step at its level.
QImage calibrationCardPicture();

// The card as the look burns it: the look run on the card's picture with
// the dithering, dot size and threshold given but no tone and no
// correction (the card measures the engraver as it is), and the frame
// burned in full whatever the look made of it.
QImage calibrationCardLook(Algorithm look, double threshold, LookSettings settings);

// What a photo or scan of a burned card tells.
struct CardReading
{
    // Each step's level relative to the bare material (255) and the
    // frame's full burn (0), white step first.
    std::vector<double> levels;
    // The bare material's colour.
    QRgb tint = 0;
};

// Finds the card's frame in a photo (the largest dark ring of the card's
// proportions, upright within a few degrees, in either orientation, either
// end first) and measures its steps. Nothing when there is no such frame,
// or when the frame is not clearly darker than the material around it.
std::optional<CardReading> readCalibrationCard(const QImage &photo);

// A job picture (grey, 255 minus the burn intensity) as the material will
// show it: each pixel's level through the response, between the material's
// tint for no burn and a dark burned colour of that tint for full black.
QImage materialView(const QImage &burns, const ToneResponse &response, QRgb tint);

} // namespace Imaging
