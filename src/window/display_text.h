#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "collect/legible_text.h"

namespace catalog::window {

// File bytes as the window shows them, as valid UTF-8 (see legibleText). The listing file
// keeps the bytes; only the display, and the spreadsheet forms, decode them.
inline std::string displayText(std::string_view bytes) {
    return legibleText(bytes);
}

// `text` with its first letter a capital: for a text that also stands inside a sentence.
std::string capitalized(std::string text);

// `text` added to `pieces` piece by piece, each ending where a line may break: after a blank
// among words, after a separator in a `path`.
void addPieces(std::vector<std::string_view>& pieces, std::string_view text, bool path);

}  // namespace catalog::window
