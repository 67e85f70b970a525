// ASCII's letters and digits as the formats the program reads and writes spell them (MIME
// headers, character references, file names' endings, a spreadsheet's escapes): in any case,
// and without the locale that <cctype> would consult.
#pragma once

#include <algorithm>
#include <string_view>

namespace catalog {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit, or -1 for any other byte.
constexpr int hexValue(char c) {
    return isDigit(c)                                     ? c - '0'
           : asciiLower(c) >= 'a' && asciiLower(c) <= 'f' ? asciiLower(c) - 'a' + 10
                                                          : -1;
}

constexpr bool isHexDigit(char c) {
    return hexValue(c) >= 0;
}

inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

inline bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}

inline bool endsWithNoCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           equalNoCase(text.substr(text.size() - ending.size()), ending);
}

}  // namespace catalog
