#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "window/window_texts.h"

namespace catalog::window {

// The view's status strip, as the view measures it.
struct StatusStrip {
    int lines = 1;                                    // the lines of text it holds
    std::function<bool(std::string_view line)> fits;  // whether one line fits its width
};

// The status as `strip` shows it, its lines parted by "\n", the same in every toolkit. Lines
// break at blanks, and inside the path only after a separator, never inside a name. A status too
// long for the strip keeps what happened and what to do whole, and its path gives up its middle
// names first, keeping its root and first folder, then its last ones ("C:\users\...\Katalog\data"
// with an ellipsis), then the characters of its middle; only a strip too small for the words
// with no path at all loses their end. The tooltip keeps it all. The view measures; this decides.
std::string shownStatus(const StatusText& status, const StatusStrip& strip);

}  // namespace catalog::window
