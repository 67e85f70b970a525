#include "qt_window/form1_layout.h"

namespace catalog::qt_window {

namespace {

// The window's layout was drawn in twips, 15 to a pixel at the usual 96 dots an inch.
constexpr int kTwipsPerPixel = 15;
constexpr QRect fromTwips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

constexpr QSize kDrawnClientSize(8970 / kTwipsPerPixel, 5265 / kTwipsPerPixel);
constexpr QRect kListGeometry = fromTwips(120, 120, 8655, 4545);
constexpr QRect kCollectGeometry = fromTwips(7080, 4800, 1695, 375);
constexpr QRect kOutputNameGeometry = fromTwips(4080, 4800, 2895, 285);
constexpr QRect kLabelGeometry = fromTwips(3000, 4800, 975, 255);

// The drawn layout left no room for a status: it gets a strip of its own below the bottom row,
// as wide as the list, as high as the label, and as far below the bottom row as that row is
// above the drawn bottom edge, so that it reads whole instead of squeezed left of the label.
constexpr int kBottomMargin = kDrawnClientSize.height() - kCollectGeometry.bottom() - 1;
constexpr QRect kStatusGeometry(kListGeometry.left(), kDrawnClientSize.height(),
                                kListGeometry.width(), kLabelGeometry.height());
constexpr QSize kFirstClientSize(kDrawnClientSize.width(),
                                 kStatusGeometry.bottom() + 1 + kBottomMargin);

// Narrower, and the label would pass the list's left edge; lower, and the list would show its
// header and hardly a row.
constexpr int kMinimumListHeight = 120;
constexpr QSize kMinimumClientSize(kFirstClientSize.width() -
                                       (kLabelGeometry.left() - kListGeometry.left()),
                                   kFirstClientSize.height() -
                                       (kListGeometry.height() - kMinimumListHeight));

}  // namespace

QSize firstClientSize() {
    return kFirstClientSize;
}

QSize minimumClientSize() {
    return kMinimumClientSize;
}

Form1Layout layoutFor(QSize clientSize) {
    const QSize change = clientSize - kFirstClientSize;
    const QPoint shift(change.width(), change.height());
    return {
        kListGeometry.adjusted(0, 0, shift.x(), shift.y()),
        kCollectGeometry.translated(shift),
        kOutputNameGeometry.translated(shift),
        kLabelGeometry.translated(shift),
        kStatusGeometry.adjusted(0, shift.y(), shift.x(), shift.y()),
    };
}

}  // namespace catalog::qt_window
