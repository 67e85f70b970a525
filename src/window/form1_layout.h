#pragma once

namespace catalog::window {

// A rectangle in pixels, from the client area's top left corner.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;

    bool operator==(const Size&) const = default;
};

// Where the window's controls go for a given client size.
struct Form1Layout {
    Rect list;
    Rect collect;
    Rect outputName;
    Rect label;
    Rect statusStrip;   // the status, or the progress bar while a run goes on
    Rect progress;      // the strip's first line, which the progress bar takes
    Rect progressNote;  // the strip's second line, naming a page that takes long to read
};

// The screen's pixels per inch at which the drawn layout is one pixel to 15 twips.
inline constexpr int kBaseDpi = 96;

// `pixels` at kBaseDpi as pixels at `dpi`.
int scaled(int pixels, int dpi);

// The drawn client area, with the status strip added below the bottom row, at `dpi`.
Size firstClientSize(int dpi);
// The smallest client area in which every control stays whole, at `dpi`.
Size minimumClientSize(int dpi);

// At the first size the list and the bottom row have their drawn geometry, scaled to `dpi`.
// When the window grows or shrinks, the list takes up the change, and the bottom row and the
// status strip keep their distance to the bottom right corner.
Form1Layout layoutFor(Size clientSize, int dpi);

// The layout read from right to left, for a language written so: each control as far from the
// right edge of a client area `clientWidth` wide as it was from the left.
Form1Layout mirrored(const Form1Layout& layout, int clientWidth);

}  // namespace catalog::window
