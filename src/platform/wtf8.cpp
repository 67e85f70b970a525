#include "platform/wtf8.h"

#include <cstdint>

namespace catalog {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t point) {
    char bytes[4];
    out.append(bytes, putCodePoint(point, bytes));
}

void appendUtf16(std::u16string& out, char32_t point) {
    if (point < 0x10000) {
        out.push_back(static_cast<char16_t>(point));
    } else {
        point -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 | (point >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 | (point & 0x3FF)));
    }
}

// The length of the sequence `lead` starts, or 0 when it starts none.
std::size_t sequenceLength(std::uint8_t lead) {
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

}  // namespace

Utf8Character decodeUtf8(std::string_view bytes, Surrogates surrogates) {
    if (bytes.empty()) {
        return {};
    }
    const auto lead = static_cast<std::uint8_t>(bytes[0]);
    const std::size_t length = sequenceLength(lead);
    if (length == 1) {
        return {lead, 1};
    }
    if (length == 0 || bytes.size() < length) {
        return {};
    }
    char32_t point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(bytes[i]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        point = (point << 6) | (next & 0x3F);
    }
    // Below it, the sequence is an overlong spelling.
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    const bool surrogate = isHighSurrogate(point) || isLowSurrogate(point);
    if (point < smallest || point > 0x10FFFF || (surrogate && surrogates == Surrogates::kRefused)) {
        return {};
    }
    return {point, length};
}

// A surrogate pair is one code point, spelled in four bytes as in UTF-8; a surrogate without
// its partner is spelled in three, as its own code point, so that nothing of the name is lost.
std::string wtf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// Names come from the system as UTF-16 and so are always WTF-8 here; only a path built or typed
// wrongly could hold other bytes. Each byte that starts no well-formed sequence becomes U+FFFD,
// so such a path names a file that is not there rather than a different one that is. A pair
// spelled as two three-byte surrogates (as CESU-8 does) gives the pair back.
std::u16string utf16FromWtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Character decoded = decodeUtf8(text, Surrogates::kAccepted);
        if (decoded.length == 0) {
            out.push_back(kReplacement);
            text.remove_prefix(1);
        } else {
            appendUtf16(out, decoded.point);
            text.remove_prefix(decoded.length);
        }
    }
    return out;
}

// Only a sequence that starts in the last three bytes can go on past the end.
std::size_t wholeCharactersLength(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<std::uint8_t>(text[text.size() - back]);
        if ((byte & 0xC0) != 0x80) {
            return sequenceLength(byte) > back ? text.size() - back : text.size();
        }
    }
    return text.size();
}

}  // namespace catalog
