#pragma once

#include <QRect>
#include <QSize>

namespace catalog::qt_window {

// Where the window's controls go for a given client size.
struct Form1Layout {
    QRect list;
    QRect collect;
    QRect outputName;
    QRect label;
    QRect statusStrip;   // the status, or the progress bar while a run goes on
    QRect progress;      // the strip's first line, which the progress bar takes
    QRect progressNote;  // the strip's second line, naming a page that takes long to read
};

// The drawn client area, with the status strip added below the bottom row.
QSize firstClientSize();
// The smallest client area in which every control stays whole.
QSize minimumClientSize();

// At the first size the list and the bottom row have their drawn geometry. When the window
// grows or shrinks, the list takes up the change, and the bottom row and the status strip keep
// their distance to the bottom right corner.
Form1Layout layoutFor(QSize clientSize);

}  // namespace catalog::qt_window
