#include "collect/html_refs.h"

#include <algorithm>
#include <cstring>

#include "collect/ascii_text.h"
#include "collect/utf16_text.h"

namespace catalog {

namespace {

enum class Held { Begun, Complete, Failed };

constexpr std::array<std::string_view, 5> kNamed = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
constexpr std::array<char, 5> kNamedAs = {'&', '<', '>', '"', '\''};

// A numeric reference `text` (from `&#`), begun, complete with its value, or not one at all.
Held numeric(std::string_view text, std::uint32_t& value) {
    const bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
    const std::size_t digitsFrom = hex ? 3 : 2;
    const std::size_t mostDigits = hex ? 6 : 7;
    value = 0;
    for (std::size_t at = digitsFrom; at < text.size(); ++at) {
        const char c = text[at];
        const std::size_t digits = at - digitsFrom;
        if (c == ';') {
            const bool valid = digits > 0 && at + 1 == text.size() && value >= 1 &&
                               value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
            return valid ? Held::Complete : Held::Failed;
        }
        const int digit = hex ? hexValue(c) : isDigit(c) ? c - '0' : -1;
        if (digit < 0 || digits == mostDigits) {
            return Held::Failed;
        }
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    }
    return Held::Begun;
}

// What the bytes held from a `&` on are: a reference begun, a whole one (its UTF-8 in `value`),
// or none.
Held judge(std::string_view text, std::uint32_t& value) {
    if (text.size() >= 2 && text[1] == '#') {
        return numeric(text, value);
    }
    for (std::size_t name = 0; name < kNamed.size(); ++name) {
        if (kNamed[name].starts_with(text)) {
            value = static_cast<unsigned char>(kNamedAs[name]);
            return text.size() == kNamed[name].size() ? Held::Complete : Held::Begun;
        }
    }
    return Held::Failed;
}

}  // namespace

char* HtmlRefDecoder::take(char byte, char* out) {
    m_held[m_heldCount++] = byte;
    std::uint32_t value = 0;
    switch (judge({m_held.data(), m_heldCount}, value)) {
        case Held::Begun:
            return out;
        case Held::Complete:
            m_heldCount = 0;
            return putCodePoint(value, out);
        case Held::Failed:
            break;
    }
    // Only the `&` could begin a reference, so only the byte just taken may begin the next.
    const bool again = byte == '&';
    const std::size_t given = m_heldCount - (again ? 1 : 0);
    out = std::copy_n(m_held.data(), given, out);
    m_heldCount = 0;
    if (again) {
        m_held[m_heldCount++] = '&';
    }
    return out;
}

std::size_t HtmlRefDecoder::decode(std::string_view bytes, char* into) {
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    char* out = into;
    while (in != end) {
        if (m_heldCount > 0) {
            out = take(*in++, out);
            continue;
        }
        const auto* amp = static_cast<const char*>(std::memchr(in, '&', end - in));
        const char* const plainEnd = amp == nullptr ? end : amp;
        out = std::copy(in, plainEnd, out);
        in = plainEnd;
        if (in != end) {
            m_held[m_heldCount++] = *in++;
        }
    }
    return static_cast<std::size_t>(out - into);
}

std::size_t HtmlRefDecoder::finish(char* into) {
    char* const out = std::copy_n(m_held.data(), m_heldCount, into);
    m_heldCount = 0;
    return static_cast<std::size_t>(out - into);
}

}  // namespace catalog
