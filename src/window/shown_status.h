#pragma once

#include <functional>
#include <string>

#include "window/window_texts.h"

namespace catalog::window {

// Whether `line` fits the view's status strip, measured in its font and wrapped as it wraps.
using StatusFits = std::function<bool(const std::string& line)>;

// The status as a strip too small for it shows it, the same in every toolkit: what happened and
// what to do stay whole, and the path gives up its middle names first, keeping its root and
// first folder, then its last ones ("C:\users\...\Katalog\data" with an ellipsis), then the
// characters of its middle; only a strip too small for the words with no path at all loses
// their end. The tooltip keeps it all. The view measures; this decides.
std::string shownStatus(const StatusText& status, const StatusFits& fits);

}  // namespace catalog::window
