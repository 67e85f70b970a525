// File bytes as valid UTF-8, the same for the window's display and the spreadsheet forms of the
// listing: a shop's old Windows page then reads alike in both.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace catalog {

// Valid UTF-8 is kept; a byte that starts no valid sequence is read as the character the shops'
// old Windows pages meant by it (Windows-1252, which is Latin-1 outside 0x80-0x9F; its five
// undefined bytes keep their Latin-1 value), so such a page stays legible rather than turning
// into replacement marks.
std::string legibleText(std::string_view bytes);
// The same, appended to `out`.
void appendLegible(std::string& out, std::string_view bytes);

// The character a byte that starts no valid UTF-8 sequence stands for, as legibleText reads it.
char16_t windows1252Character(unsigned char byte);

// Hands `take` each character of `bytes` as legibleText decodes it, as UTF-8, until `take`
// returns false: for showing the start of a value without decoding all of it.
void forEachCharacter(std::string_view bytes,
                      const std::function<bool(std::string_view utf8)>& take);

// The length of the well-formed UTF-8 sequence at `at`, or 0 when there is none: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at);

}  // namespace catalog
