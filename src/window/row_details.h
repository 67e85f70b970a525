#pragma once

#include <cstddef>
#include <string>

#include "window/shown_rows.h"

namespace catalog::window {

// The row as the Details box shows it, UTF-8, lines parted by "\n": each column's title and its
// value as its tooltip gives it (cut at kMostTooltipBytes, the cut said), why a field was not
// found, and the file with how it was read. What a pointer resting on each cell would show, for
// a keyboard and a screen reader; Ctrl+C in the box copies it as it stands.
std::string rowDetails(const ShownRows& rows, std::size_t row);

}  // namespace catalog::window
