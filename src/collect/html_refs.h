#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace catalog {

// Decodes the character references a shop's escaping function writes into its dump, given block
// after block: `&#039;` and `&#x27;` (1 to 7 decimal or 1 to 6 hex digits, a value from 1 to
// U+10FFFF that is no surrogate) as UTF-8, and `&amp;` `&lt;` `&gt;` `&quot;` `&apos;` in lower
// case. Anything else stays as it stands (`&nbsp;`, `&AMP;`, `&gt` without `;`, `&#0;`), and what a
// reference gives is not looked at again: `&amp;gt;` gives `&gt;`. A reference cut by the end of a
// block waits inside for the next one. A small value, copied to note where a reading stood.
class HtmlRefDecoder {
public:
    // A reference begun is held for at most this many bytes: `&#x10FFFF` before its `;`.
    static constexpr std::size_t kMostHeld = 9;

    // Writes the decoded text of the next `bytes` to `into`, which has room for
    // bytes.size() + kMostHeld, and returns how many bytes it wrote.
    std::size_t decode(std::string_view bytes, char* into);
    // At the text's end: a reference begun stays as it stands. Writes at most kMostHeld bytes.
    std::size_t finish(char* into);

private:
    char* take(char byte, char* out);

    std::array<char, kMostHeld + 1> m_held{};  // and the byte that settles them
    std::uint8_t m_heldCount = 0;
};

}  // namespace catalog
