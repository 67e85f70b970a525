#include "window/display_text.h"

#include <cctype>

#include "platform/paths.h"

namespace catalog::window {

std::string capitalized(std::string text) {
    if (!text.empty()) {
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    }
    return text;
}

void addPieces(std::vector<std::string_view>& pieces, std::string_view text, bool path) {
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (path ? isPathSeparator(text[at]) : text[at] == ' ') {
            pieces.push_back(text.substr(start, at + 1 - start));
            start = at + 1;
        }
    }
    if (start < text.size()) {
        pieces.push_back(text.substr(start));
    }
}

}  // namespace catalog::window
