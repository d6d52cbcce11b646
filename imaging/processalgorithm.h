#pragma once

namespace Imaging {

// The canvas algorithms, in the order of algorithmTable. The canvas shows
// the same values to QML as DrawImage::ProcessAlgorithm (DrawBoard.Grey …).
enum Algorithm {
    Grey = 0,
    Rotate,
    HMirror,
    VMirror,
    Negative,
    Binarize,
    Floyd,
    GreyFilter,
    SaveByte,
    AlgorithmCount // the number of algorithms, not an algorithm
};

// The three looks: each starts again from the grey picture.
constexpr bool isLook(Algorithm algorithm)
{
    return algorithm == Binarize || algorithm == Floyd || algorithm == GreyFilter;
}

} // namespace Imaging
