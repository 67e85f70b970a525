#include "ui/display_text.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace catalog::ui {

namespace {

// 0x80-0x9F in Windows-1252; the five bytes it leaves undefined keep their Latin-1 value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t singleByteCharacter(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 when there is none: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::size_t sequenceLength(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - at < length || !inRange(byte(1), secondLow, secondHigh)) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!inRange(byte(i), 0x80, 0xBF)) {
            return 0;
        }
    }
    return length;
}

}  // namespace

QString displayText(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t runStart = 0;
    std::size_t at = 0;
    const auto flushRun = [&] {
        text += QString::fromUtf8(bytes.data() + runStart, static_cast<qsizetype>(at - runStart));
    };
    while (at < bytes.size()) {
        const std::size_t length = sequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        flushRun();
        text += QChar(singleByteCharacter(static_cast<unsigned char>(bytes[at])));
        runStart = ++at;
    }
    flushRun();
    return text;
}

}  // namespace catalog::ui
