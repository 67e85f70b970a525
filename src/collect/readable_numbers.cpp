#include "collect/readable_numbers.h"

#include <array>

namespace catalog {

std::string grouped(std::size_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

std::string counted(std::size_t count, const char* noun) {
    return grouped(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string readableBytes(std::uint64_t bytes) {
    constexpr std::array kUnits{"KB", "MB", "GB", "TB", "PB", "EB"};
    if (bytes < 1000) {
        return counted(bytes, "byte");
    }
    std::uint64_t unit = 1000;
    for (std::size_t index = 0;; ++index, unit *= 1000) {
        // In tenths of the unit, rounded half up, without a product that could overflow; a
        // figure that rounds to 1,000 is given in the next unit.
        const std::uint64_t tenth = unit / 10;
        const std::uint64_t tenths = bytes / tenth + (bytes % tenth >= tenth / 2 ? 1 : 0);
        if (tenths < 10000 || index + 1 == kUnits.size()) {
            std::string text = std::to_string(tenths / 10);
            if (tenths % 10 != 0) {
                text.append(".").append(std::to_string(tenths % 10));
            }
            return text.append(" ").append(kUnits[index]);
        }
    }
}

}  // namespace catalog
