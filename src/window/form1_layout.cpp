#include "window/form1_layout.h"

#include <initializer_list>

namespace catalog::window {

namespace {

// The window's layout was drawn in twips, 15 to a pixel at 96 dots an inch. Both windows take
// it from here, so that they look alike and a click lands on the same control.
constexpr int kTwipsPerPixel = 15;
constexpr Rect fromTwips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

constexpr Size kDrawnClientSize{8970 / kTwipsPerPixel, 5265 / kTwipsPerPixel};
constexpr Rect kListGeometry = fromTwips(120, 120, 8655, 4545);
constexpr Rect kCollectGeometry = fromTwips(7080, 4800, 1695, 375);
constexpr Rect kOutputNameGeometry = fromTwips(4080, 4800, 2895, 285);
constexpr Rect kLabelGeometry = fromTwips(3000, 4800, 975, 255);

// The drawn layout left no room for a status: it gets a strip of its own below the bottom row,
// as wide as the list, as high as two lines of the label, and as far below the bottom row as
// that row is above the drawn bottom edge. Two lines, so that a run's counts with every kind of
// page among them read whole at the first size.
constexpr int kBottomMargin =
    kDrawnClientSize.height - (kCollectGeometry.top + kCollectGeometry.height);
constexpr int kStatusLines = 2;
constexpr Rect kStatusGeometry{kListGeometry.left, kDrawnClientSize.height, kListGeometry.width,
                               kStatusLines* kLabelGeometry.height};
constexpr Rect kProgressGeometry{kStatusGeometry.left, kStatusGeometry.top, kStatusGeometry.width,
                                 kLabelGeometry.height};
constexpr Rect kProgressNoteGeometry{kProgressGeometry.left,
                                     kProgressGeometry.top + kProgressGeometry.height,
                                     kProgressGeometry.width, kLabelGeometry.height};
constexpr Size kFirstClientSize{kDrawnClientSize.width,
                                kStatusGeometry.top + kStatusGeometry.height + kBottomMargin};

// Narrower, and the label would pass the list's left edge; lower, and the list would show its
// header and hardly a row.
constexpr int kMinimumListHeight = 120;
constexpr Size kMinimumClientSize{
    kFirstClientSize.width - (kLabelGeometry.left - kListGeometry.left),
    kFirstClientSize.height - (kListGeometry.height - kMinimumListHeight)};

Size scaledSize(Size size, int dpi) {
    return {scaled(size.width, dpi), scaled(size.height, dpi)};
}

// Each edge is scaled on its own, so that controls that meet at 96 dots an inch still meet.
Rect scaledRect(const Rect& rect, int dpi) {
    const int left = scaled(rect.left, dpi);
    const int top = scaled(rect.top, dpi);
    return {left, top, scaled(rect.left + rect.width, dpi) - left,
            scaled(rect.top + rect.height, dpi) - top};
}

Rect moved(Rect rect, int dx, int dy) {
    rect.left += dx;
    rect.top += dy;
    return rect;
}

Rect grown(Rect rect, int dx, int dy) {
    rect.width += dx;
    rect.height += dy;
    return rect;
}

}  // namespace

int scaled(int pixels, int dpi) {
    // Rounded to the nearest pixel, halves away from zero, as the system's MulDiv does.
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi
                                         : (product - half) / kBaseDpi);
}

Size firstClientSize(int dpi) {
    return scaledSize(kFirstClientSize, dpi);
}

Size minimumClientSize(int dpi) {
    return scaledSize(kMinimumClientSize, dpi);
}

Form1Layout layoutFor(Size clientSize, int dpi) {
    const Size first = firstClientSize(dpi);
    const int dx = clientSize.width - first.width;
    const int dy = clientSize.height - first.height;
    return {
        grown(scaledRect(kListGeometry, dpi), dx, dy),
        moved(scaledRect(kCollectGeometry, dpi), dx, dy),
        moved(scaledRect(kOutputNameGeometry, dpi), dx, dy),
        moved(scaledRect(kLabelGeometry, dpi), dx, dy),
        moved(grown(scaledRect(kStatusGeometry, dpi), dx, 0), 0, dy),
        moved(grown(scaledRect(kProgressGeometry, dpi), dx, 0), 0, dy),
        moved(grown(scaledRect(kProgressNoteGeometry, dpi), dx, 0), 0, dy),
    };
}

Form1Layout mirrored(const Form1Layout& layout, int clientWidth) {
    Form1Layout shown = layout;
    for (Rect* rect : {&shown.list, &shown.collect, &shown.outputName, &shown.label,
                       &shown.statusStrip, &shown.progress, &shown.progressNote}) {
        rect->left = clientWidth - rect->left - rect->width;
    }
    return shown;
}

}  // namespace catalog::window
