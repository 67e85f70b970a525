#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace catalog {

// Substring search over raw bytes. Catalog records can be many megabytes, so every search here
// runs in time linear in the text and allocates nothing.

constexpr std::size_t kNotFound = std::string_view::npos;

// Position of the first occurrence of `needle` in `text`, or kNotFound. An empty needle is found
// at 0.
std::size_t findFirst(std::string_view text, std::string_view needle);

// Position of the last occurrence of `needle` lying wholly inside `text`, or kNotFound. An empty
// needle is found at text.size().
std::size_t findLast(std::string_view text, std::string_view needle);

// Hands `take` each piece of `text` between the non-overlapping occurrences of `needle`, left
// to right: the text with every occurrence left out, without copying it.
template <typename Take>
void forEachPieceBetween(std::string_view text, std::string_view needle, Take take) {
    if (!needle.empty()) {
        for (std::size_t hit = findFirst(text, needle); hit != kNotFound;
             hit = findFirst(text, needle)) {
            take(text.substr(0, hit));
            text.remove_prefix(hit + needle.size());
        }
    }
    take(text);
}

// Removes every non-overlapping occurrence of `needle` from `value` at or after `from`, scanning
// left to right.
void eraseAll(std::string& value, std::string_view needle, std::size_t from = 0);

// Appends `text` to `out` with every occurrence of `needle` left out: what eraseAll leaves of a
// copy, without copying the text twice.
void appendWithout(std::string& out, std::string_view text, std::string_view needle);

}  // namespace catalog
