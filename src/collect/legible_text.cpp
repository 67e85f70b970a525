#include "collect/legible_text.h"

#include <algorithm>
#include <array>

#include "platform/wtf8.h"

namespace catalog {

namespace {

// 0x80-0x9F in Windows-1252; the five bytes it leaves undefined keep their Latin-1 value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A byte that is no part of a UTF-8 sequence, as the Windows-1252 character it stands for.
std::string windows1252Utf8(char byte) {
    const char16_t character = windows1252Character(static_cast<unsigned char>(byte));
    return wtf8FromUtf16(std::u16string_view(&character, 1));
}

}  // namespace

char16_t windows1252Character(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at) {
    return decodeUtf8(bytes.substr(at), Surrogates::kRefused).length;
}

void forEachCharacter(std::string_view bytes,
                      const std::function<bool(std::string_view utf8)>& take) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = utf8SequenceLength(bytes, at);
        if (!take(length > 0 ? bytes.substr(at, length) : windows1252Utf8(bytes[at]))) {
            return;
        }
        at += std::max<std::size_t>(length, 1);
    }
}

// Valid runs are copied whole: a value of many megabytes is decoded at memory speed.
void appendLegible(std::string& out, std::string_view bytes) {
    std::size_t runStart = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        if ((bytes[at] & 0x80) == 0) {
            ++at;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        out.append(bytes.substr(runStart, at - runStart)).append(windows1252Utf8(bytes[at]));
        runStart = ++at;
    }
    out.append(bytes.substr(runStart));
}

std::string legibleText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    appendLegible(text, bytes);
    return text;
}

}  // namespace catalog
