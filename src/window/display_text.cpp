#include "window/display_text.h"

#include <cctype>

namespace catalog::window {

std::string capitalized(std::string text) {
    if (!text.empty()) {
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    }
    return text;
}

}  // namespace catalog::window
