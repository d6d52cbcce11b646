#include "imaging/tonecalibration.h"

#include <algorithm>
#include <cmath>

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

    ToneResponse response {};
    const int spacing = calibrationLevel(0) - calibrationLevel(1);
    for (int asked = 0; asked < 256; ++asked) {
        const int knot = std::min(asked / spacing, calibrationSteps - 2);
        const double t = double(asked - knot * spacing) / spacing;
        // Written so that a flat stretch stays exactly flat.
        const double from = fitted[std::size_t(knot)];
        response[std::size_t(asked)] = from + (fitted[std::size_t(knot) + 1] - from) * t;
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

} // namespace Imaging
