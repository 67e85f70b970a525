#pragma once

#include <optional>
#include <string>

namespace catalog::window {

// Why the window will not save to `outputName` (as typed, UTF-8), or nothing when it will.
// Refused before the run, as no file would ever hold the listing: a name Windows takes for a
// device (NUL.txt), where the listing would vanish while the window told of it as written, and
// a stream of a file (out.txt:notes), which hides the listing inside another file.
std::optional<std::string> outputNameRefusal(const std::string& outputName);

}  // namespace catalog::window
