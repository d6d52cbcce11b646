#pragma once

#include <QImage>

#include <array>

// Tone controls and the choice of dithering methods that sit beside the
// canvas's three looks. All of them work on grey pictures (RGB32 or ARGB32
// whose grey level is the red component) and write opaque greys, black and
// white; they are plain functions, run on the canvas's pool threads.
namespace Imaging {

// Brightness and contrast from -100 to 100, gamma from 0.2 to 5; the
// neutral values (0, 0, 1) leave every level as it is.
struct Tone
{
    double brightness = 0;
    double contrast = 0;
    double gamma = 1;

    bool isNeutral() const { return brightness == 0 && contrast == 0 && gamma == 1; }
};

// The level each of the 256 grey levels becomes: gamma first (levels above
// 1 lighten the mid-tones), then contrast about the middle grey, then
// brightness, rounded and held to 0..255.
std::array<uchar, 256> toneTable(const Tone &tone);

// Applies the tone to every pixel of a grey picture; a neutral tone does not
// touch it at all.
void applyTone(QImage &image, const Tone &tone);

enum class DitherMethod {
    Floyd, // Floyd-Steinberg, exactly the canvas's own look (threshold 120 by default)
    Atkinson,
    JarvisJudiceNinke,
    Stucki,
    Sierra,
    Bayer, // ordered, 8 x 8
    Halftone, // clustered dots on a square screen
};

struct DitherOptions
{
    DitherMethod method = DitherMethod::Floyd;
    // Error diffusion: a pixel darker than this becomes black. Ordered and
    // halftone: shifts the screen, 128 being neutral.
    double threshold = 128;
    // Error diffusion: odd rows run right to left with the kernel mirrored.
    bool serpentine = false;
    // Halftone: the side of one screen cell, in engraving pixels.
    int cellSize = 6;
    // The laser's dot size in engraving pixels; 1 burns one pixel and
    // changes nothing (see spotCompensation).
    double dotSize = 1;
};

// Spot compensation. A burned dot wider than one canvas pixel (1.5
// engraving pixels) spreads over its neighbours, so an area where a share f
// of the pixels is black burns darker than f. Modelled as dots covering
// k = (dotSize / 1.5)^2 pixels each and overlapping at random, an area with
// black share f comes out with darkness 1 - (1 - f)^k. To burn the darkness
// d the picture asks for, the share must be f = 1 - (1 - d)^(1/k): with
// levels l = 255 (1 - d), the level to dither is 255 (l / 255)^(1/k),
// which lightens the dark tones most. A dot of 1.5 engraving pixels or less
// (k <= 1) changes nothing.
std::array<uchar, 256> spotCompensationTable(double dotSize);

// Dithers a grey picture into black and white by the chosen method, after
// spot compensation. Floyd keeps the canvas look's one-pixel grey frame;
// every other method quantises every pixel. The error-diffusion methods
// keep a pixel of level 0 or 255 (after the mapping) black or white, frame
// included, and spread no error from it or into it. The result is a picture
// of its own; the source is only read. When `levels` is given, each grey
// level is first mapped through it (the tone), as if applyTone had run
// before. The result is written into `memory` when it fits (see blankLike).
QImage dithered(const QImage &source, const DitherOptions &options,
                const std::array<uchar, 256> *levels = nullptr, QImage memory = QImage());
// The same, replacing the picture.
void dither(QImage &image, const DitherOptions &options);

// Floyd-Steinberg error diffusion on the inner pixels; the one-pixel frame
// receives error but is never quantised. Pure black and white pixels stay
// as they are and neither spread nor take error.
void floydDither(QImage &image, double threshold);
// The same written from a grey picture into another one, as the other looks
// are (see binarizeInto): the target may be the source, and `levels` maps
// each grey level first.
void floydDitherInto(const QImage &source, QImage &target, double threshold,
                     const uchar *levels = nullptr);

// The 8 x 8 Bayer index matrix (0..63).
int bayerIndex(int x, int y);

} // namespace Imaging
