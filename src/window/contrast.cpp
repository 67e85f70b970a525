#include "window/contrast.h"

#include <algorithm>
#include <cmath>
#include <ranges>

namespace catalog::window {

namespace {

double linear(int part) {
    const double value = part / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(Rgb colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

// `from` taken `step` of 256 of the way toward `to`.
Rgb blend(Rgb from, Rgb to, int step) {
    const auto part = [step](int a, int b) { return a + ((b - a) * step + 128) / 256; };
    return {part(from.red, to.red), part(from.green, to.green), part(from.blue, to.blue)};
}

// The furthest step toward `to` at which the colour still reads on `background`. Contrast
// changes one way along the blend as long as `to` is on the background's side, so halving finds it.
int furthestReadable(Rgb from, Rgb to, Rgb background) {
    return 256 - *std::ranges::partition_point(std::views::iota(0, 256), [&](int back) {
               return contrastRatio(blend(from, to, 256 - back), background) < kLeastContrast;
           });
}

}  // namespace

double contrastRatio(Rgb a, Rgb b) {
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

Rgb dimmedColour(Rgb text, Rgb background) {
    if (contrastRatio(text, background) < kLeastContrast) {
        return readableColour(text, background);
    }
    return blend(text, background, furthestReadable(text, background, background));
}

Rgb readableColour(Rgb colour, Rgb background) {
    if (contrastRatio(colour, background) >= kLeastContrast) {
        return colour;
    }
    const Rgb black{0, 0, 0};
    const Rgb white{255, 255, 255};
    const Rgb away =
        contrastRatio(white, background) > contrastRatio(black, background) ? white : black;
    // The fewest steps from `colour` toward `away` that read: halving from the far end.
    const int steps = *std::ranges::partition_point(std::views::iota(0, 256), [&](int step) {
        return contrastRatio(blend(colour, away, step), background) < kLeastContrast;
    });
    return blend(colour, away, steps);
}

}  // namespace catalog::window
