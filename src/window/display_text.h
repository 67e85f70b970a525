#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace catalog::window {

// File bytes as the window shows them, as valid UTF-8. Valid UTF-8 is kept; a byte that starts
// no valid sequence is shown as the character the shops' old Windows pages meant by it
// (Windows-1252, which is Latin-1 outside 0x80-0x9F), so such a page stays legible rather than
// turning into replacement marks. The listing file keeps the bytes; only the display is decoded.
std::string displayText(std::string_view bytes);

// Hands `take` each character of `bytes` as displayText decodes it, as UTF-8, until `take`
// returns false: for showing the start of a value without decoding all of it.
void forEachCharacter(std::string_view bytes,
                      const std::function<bool(std::string_view utf8)>& take);

// `text` with its first letter a capital: for a text that also stands inside a sentence.
std::string capitalized(std::string text);

// The length of the well-formed UTF-8 sequence at `at`, or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at);

}  // namespace catalog::window
