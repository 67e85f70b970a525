#include "window/contrast.h"

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

// A field not found reads on every palette, yet plainly weaker than the values beside it.
TEST(Contrast, DimmedTextReadsOnLightDarkAndSelectedRowsYetIsWeaker) {
    const struct {
        Rgb text;
        Rgb background;
    } palettes[] = {{{0, 0, 0}, {255, 255, 255}},
                    {{240, 240, 240}, {42, 42, 42}},
                    {{255, 255, 255}, {0, 0, 128}},     // a dark selection
                    {{255, 255, 255}, {48, 140, 198}},  // a selection white reads poorly on
                    {{255, 255, 255}, {0, 120, 215}}};
    for (const auto& palette : palettes) {
        const Rgb dimmed = dimmedColour(palette.text, palette.background);
        EXPECT_GE(contrastRatio(dimmed, palette.background), kLeastContrast);
        if (contrastRatio(palette.text, palette.background) >= kLeastContrast + 1) {
            EXPECT_LT(contrastRatio(dimmed, palette.background), kLeastContrast + 0.2);
        }
    }
    EXPECT_EQ(dimmedColour({0, 0, 0}, {255, 255, 255}), (Rgb{118, 118, 118}));
}

TEST(Contrast, ALinkTooFaintOnItsBackgroundTurnsJustReadable) {
    const Rgb blue{0, 0, 255};
    EXPECT_EQ(readableColour(blue, {255, 255, 255}), blue);
    const Rgb onDark = readableColour(blue, {53, 53, 53});
    EXPECT_GE(contrastRatio(onDark, {53, 53, 53}), kLeastContrast);
    EXPECT_LT(contrastRatio(onDark, {53, 53, 53}), kLeastContrast + 0.2);
}

}  // namespace
}  // namespace catalog::window
