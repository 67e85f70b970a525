#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace catalog {

// Whether a surrogate spelled on its own in three bytes (ED A0 80 to ED BF BF) is a character:
// it is in WTF-8, where Windows names must survive the round trip, and is not in the UTF-8 a
// page is shown in.
enum class Surrogates { kRefused, kAccepted };

// The code point spelled at the start of `bytes` and the number of its bytes; both 0 when no
// well-formed sequence starts them: a lone continuation byte, a sequence cut short, an overlong
// spelling, a code point past U+10FFFF, or a surrogate `surrogates` refuses.
struct Utf8Character {
    char32_t point = 0;
    std::size_t length = 0;
};
Utf8Character decodeUtf8(std::string_view bytes, Surrogates surrogates);

// Whether `byte` starts a character of UTF-8 (or WTF-8), rather than going on with one.
constexpr bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The characters `text` holds, each sequence counted once.
inline std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(text, startsCharacter));
}

constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Writes the UTF-8 of the code point `point`, at most U+10FFFF (a surrogate as WTF-8 spells it),
// at `out`, 1 to 4 bytes, and returns where it ended.
inline char* putCodePoint(char32_t point, char* out) {
    if (point < 0x80) {
        *out++ = static_cast<char>(point);
    } else if (point < 0x800) {
        *out++ = static_cast<char>(0xC0 | point >> 6);
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        *out++ = static_cast<char>(0xE0 | point >> 12);
        *out++ = static_cast<char>(0x80 | (point >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | point >> 18);
        *out++ = static_cast<char>(0x80 | (point >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (point >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    }
    return out;
}

// Windows names are UTF-16 that need not be valid: a lone surrogate is a legal name. Inside the
// program names are UTF-8, extended as WTF-8 so that such a name survives the round trip, and
// sorts in the same byte order as on any other system.
std::string wtf8FromUtf16(std::u16string_view text);
std::u16string utf16FromWtf8(std::string_view text);

// How many bytes at the start of `text` end on the last byte of a character: all of them but a
// sequence cut short at the end, which waits for the bytes that follow. Text converted in parts
// cut there reads as it would whole; a byte that starts no sequence is one U+FFFD either way.
std::size_t wholeCharactersLength(std::string_view text);

#ifdef _WIN32
// The same for the system's wide calls, whose wchar_t is a UTF-16 code unit on Windows.
namespace win32 {

inline std::wstring wideFromUtf8(std::string_view text) {
    const std::u16string wide = utf16FromWtf8(text);
    return {wide.begin(), wide.end()};
}

inline std::string utf8FromWide(std::wstring_view text) {
    return wtf8FromUtf16(std::u16string(text.begin(), text.end()));
}

}  // namespace win32
#endif

}  // namespace catalog
