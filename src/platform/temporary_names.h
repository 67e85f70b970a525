#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace catalog {

// The names of the temporary files through which an output replaces a file, in one place for the
// writer that makes them and the cleaner that removes those a killed writer left: ".BASE.tmpP-N",
// hidden beside the output, where BASE is the output's name (cut to kTemporaryBaseLength units, so
// that the whole stays within a name's length limit), P the writer's process id and N a number of
// its own. Templates for POSIX's narrow names and Windows' wide ones.

inline constexpr std::size_t kTemporaryBaseLength = 200;

namespace temporary_names {

inline constexpr std::string_view kMarker = ".tmp";

template <typename Char>
void appendAscii(std::basic_string<Char>& name, std::string_view text) {
    name.append(text.begin(), text.end());
}

// Digits as std::to_string spells a number: no sign, no leading zero but in "0" itself.
template <typename Char>
bool isNumber(std::basic_string_view<Char> text) {
    return !text.empty() && (text.size() == 1 || text.front() != Char('0')) &&
           std::ranges::all_of(text, [](Char c) { return c >= Char('0') && c <= Char('9'); });
}

}  // namespace temporary_names

// ".BASE.tmp", what every temporary name for `base` starts with.
template <typename Char>
std::basic_string<Char> temporaryNameHead(std::basic_string_view<Char> base) {
    std::basic_string<Char> head(1, Char('.'));
    head.append(base);
    temporary_names::appendAscii(head, temporary_names::kMarker);
    return head;
}

template <typename Char>
std::basic_string<Char> temporaryName(std::basic_string_view<Char> base, unsigned long process,
                                      unsigned long number) {
    std::basic_string<Char> name = temporaryNameHead(base);
    temporary_names::appendAscii(name, std::to_string(process));
    name.push_back(Char('-'));
    temporary_names::appendAscii(name, std::to_string(number));
    return name;
}

// Whether temporaryName(base, P, N) gives `entry` for some P and N: nothing else is ever taken
// for a temporary file of the output named by `base`.
template <typename Char>
bool isTemporaryName(std::basic_string_view<Char> entry, std::basic_string_view<Char> base) {
    using View = std::basic_string_view<Char>;
    const std::basic_string<Char> head = temporaryNameHead(base);
    if (!entry.starts_with(View(head))) {
        return false;
    }
    const View numbers = entry.substr(head.size());
    const std::size_t dash = numbers.find(Char('-'));
    return dash != View::npos && temporary_names::isNumber(numbers.substr(0, dash)) &&
           temporary_names::isNumber(numbers.substr(dash + 1));
}

}  // namespace catalog
