#include "platform/wtf8.h"

#include <cstdint>

namespace catalog {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out.push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (point >> 6)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
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

// One code point decoded from the front of some bytes; `length` 0 when they do not start with
// a well-formed sequence.
struct Decoded {
    char32_t point;
    std::size_t length;
};

Decoded decodeOne(std::string_view bytes) {
    const auto lead = static_cast<std::uint8_t>(bytes[0]);
    std::size_t length = 0;
    char32_t smallest = 0;  // below it, the sequence is an overlong spelling
    if (lead < 0x80) {
        return {lead, 1};
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        smallest = 0x10000;
    } else {
        return {0, 0};
    }
    if (bytes.size() < length) {
        return {0, 0};
    }
    char32_t point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(bytes[i]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        point = (point << 6) | (next & 0x3F);
    }
    if (point < smallest || point > 0x10FFFF) {
        return {0, 0};
    }
    return {point, length};
}

}  // namespace

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
        const Decoded decoded = decodeOne(text);
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
            const std::size_t length = byte >= 0xF0 && byte <= 0xF4   ? 4
                                       : byte >= 0xE0 && byte <= 0xEF ? 3
                                       : byte >= 0xC2 && byte <= 0xDF ? 2
                                                                      : 1;
            return length > back ? text.size() - back : text.size();
        }
    }
    return text.size();
}

}  // namespace catalog
