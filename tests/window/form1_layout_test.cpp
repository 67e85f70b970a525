#include "window/form1_layout.h"

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

// The drawn layout, twips at 15 to a pixel: the GUI test clicks Collect's centre, (528, 332).
TEST(Form1Layout, FirstSizeHasTheDrawnGeometryWithTheStatusBelow) {
    const Size first = firstClientSize(kBaseDpi);
    EXPECT_EQ(first, (Size{598, 391}));
    const Form1Layout layout = layoutFor(first, kBaseDpi);
    EXPECT_EQ(layout.list, (Rect{8, 8, 577, 303}));
    EXPECT_EQ(layout.collect, (Rect{472, 320, 113, 25}));
    EXPECT_EQ(layout.outputName, (Rect{272, 320, 193, 19}));
    EXPECT_EQ(layout.label, (Rect{200, 320, 65, 17}));
    EXPECT_EQ(layout.statusStrip, (Rect{8, 351, 577, 34}));
    EXPECT_EQ(layout.progress, (Rect{8, 351, 577, 17}));
    EXPECT_EQ(layout.progressNote, (Rect{8, 368, 577, 17}));
}

TEST(Form1Layout, ListTakesTheChangeAndTheBottomRowKeepsToTheCorner) {
    const Size first = firstClientSize(kBaseDpi);
    const Form1Layout drawn = layoutFor(first, kBaseDpi);
    const Form1Layout grown = layoutFor({first.width + 100, first.height + 50}, kBaseDpi);
    EXPECT_EQ(grown.list, (Rect{8, 8, 677, 353}));
    EXPECT_EQ(grown.collect, (Rect{572, 370, 113, 25}));
    EXPECT_EQ(grown.label.left - drawn.label.left, 100);
    EXPECT_EQ(grown.statusStrip, (Rect{8, 401, 677, 34}));

    // At the smallest size the label still starts right of the list's left edge.
    const Form1Layout smallest = layoutFor(minimumClientSize(kBaseDpi), kBaseDpi);
    EXPECT_EQ(smallest.label.left, smallest.list.left);
    EXPECT_GT(smallest.list.height, 100);
}

// At 150 % every edge scales, and controls that met still meet.
TEST(Form1Layout, ScalesWithTheMonitorsDotsPerInch) {
    constexpr int dpi = 144;
    EXPECT_EQ(firstClientSize(dpi), (Size{897, 587}));
    const Form1Layout layout = layoutFor(firstClientSize(dpi), dpi);
    EXPECT_EQ(layout.collect, (Rect{708, 480, 170, 38}));
    EXPECT_EQ(layout.list.left + layout.list.width, layout.collect.left + layout.collect.width);
    EXPECT_EQ(minimumClientSize(dpi), (Size{609, 312}));
}

TEST(Form1Layout, MirroredEachControlKeepsItsDistanceFromTheOtherEdge) {
    const Form1Layout mirror = mirrored(layoutFor(firstClientSize(kBaseDpi), kBaseDpi), 598);
    EXPECT_EQ(mirror.collect, (Rect{13, 320, 113, 25}));
    EXPECT_EQ(mirror.label, (Rect{333, 320, 65, 17}));
    EXPECT_EQ(mirror.list, (Rect{13, 8, 577, 303}));
}

}  // namespace
}  // namespace catalog::window
