#include "app/qt/form1_layout.h"

#include "window/form1_layout.h"

namespace catalog::qt_window {

// The window layer's layout in Qt's types. Qt scales for the screen itself, so the layout is
// taken at the dots per inch it was drawn for.

namespace {

QRect toQt(const window::Rect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

QSize toQt(const window::Size& size) {
    return {size.width, size.height};
}

}  // namespace

QSize firstClientSize() {
    return toQt(window::firstClientSize(window::kBaseDpi));
}

QSize minimumClientSize() {
    return toQt(window::minimumClientSize(window::kBaseDpi));
}

Form1Layout layoutFor(QSize clientSize) {
    const window::Form1Layout layout =
        window::layoutFor({clientSize.width(), clientSize.height()}, window::kBaseDpi);
    return {toQt(layout.list),        toQt(layout.collect),     toQt(layout.outputName),
            toQt(layout.label),       toQt(layout.statusStrip), toQt(layout.progress),
            toQt(layout.progressNote)};
}

}  // namespace catalog::qt_window
