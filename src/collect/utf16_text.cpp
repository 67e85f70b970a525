#include "collect/utf16_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace catalog {

PageEncoding encodingOf(std::string_view head) {
    if (head.starts_with("\xFE\xFF")) {
        return PageEncoding::Utf16BigEndian;
    }
    if (!head.starts_with("\xFF\xFE") || head.substr(2, 2) == std::string_view("\0\0", 2)) {
        return PageEncoding::Bytes;
    }
    return PageEncoding::Utf16LittleEndian;
}

namespace {

constexpr std::uint16_t kReplacement = 0xFFFD;

template <bool kBigEndian>
std::uint16_t unitAt(const char* at) {
    const auto first = static_cast<unsigned char>(at[0]);
    const auto second = static_cast<unsigned char>(at[1]);
    return kBigEndian ? static_cast<std::uint16_t>(first << 8 | second)
                      : static_cast<std::uint16_t>(second << 8 | first);
}

char* putPair(std::uint16_t high, std::uint16_t low, char* out) {
    return putCodePoint(0x10000 + ((std::uint32_t{high} - 0xD800) << 10) + (low - 0xDC00), out);
}

// Writes the UTF-8 of `unit`, or holds it in `heldHigh` when it is a high surrogate.
char* put(std::uint16_t unit, std::uint16_t& heldHigh, char* out) {
    if (heldHigh != 0) {
        const std::uint16_t high = std::exchange(heldHigh, std::uint16_t{0});
        if (isLowSurrogate(unit)) {
            return putPair(high, unit, out);
        }
        out = putCodePoint(kReplacement, out);
    }
    if (isHighSurrogate(unit)) {
        heldHigh = unit;
        return out;
    }
    return putCodePoint(isLowSurrogate(unit) ? kReplacement : unit, out);
}

// The bits of 8 bytes, 4 code units, that are all zero exactly when the 4 units are ASCII: the
// units' high bytes and the top bit of their low bytes. Made of bytes in page order, it fits
// whatever order the machine keeps a word's bytes in.
template <bool kBigEndian>
constexpr std::uint64_t kNotAsciiBits = std::bit_cast<std::uint64_t>(
    kBigEndian ? std::array<unsigned char, 8>{0xFF, 0x80, 0xFF, 0x80, 0xFF, 0x80, 0xFF, 0x80}
               : std::array<unsigned char, 8>{0x80, 0xFF, 0x80, 0xFF, 0x80, 0xFF, 0x80, 0xFF});

// Copies the ASCII units from `in` on, up to the first other one, and returns where it
// stopped. Pages are mostly ASCII, so this is where decoding spends its time: 4 units are
// checked at once, and their low bytes copied without going through the general case.
template <bool kBigEndian>
const char* copyAscii(const char* in, const char* end, char*& out) {
    constexpr std::size_t kLow = kBigEndian ? 1 : 0;
    while (end - in >= 8) {
        std::uint64_t word;
        std::memcpy(&word, in, sizeof word);
        if ((word & kNotAsciiBits<kBigEndian>) != 0) {
            break;
        }
        out[0] = in[kLow];
        out[1] = in[kLow + 2];
        out[2] = in[kLow + 4];
        out[3] = in[kLow + 6];
        out += 4;
        in += 8;
    }
    while (end - in >= 2 && unitAt<kBigEndian>(in) < 0x80) {
        *out++ = in[kLow];
        in += 2;
    }
    return in;
}

}  // namespace

std::size_t Utf16Decoder::decode(std::string_view bytes, char* into) {
    return m_bigEndian ? decodeAs<true>(bytes, into) : decodeAs<false>(bytes, into);
}

template <bool kBigEndian>
std::size_t Utf16Decoder::decodeAs(std::string_view bytes, char* into) {
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    char* out = into;
    // Held in a local, as the bytes written could alias a member and make every write reload it.
    std::uint16_t heldHigh = m_heldHigh;
    if (m_holdsByte && in != end) {
        const std::array<char, 2> unit{static_cast<char>(m_heldByte), *in++};
        m_holdsByte = false;
        out = put(unitAt<kBigEndian>(unit.data()), heldHigh, out);
    }
    while (end - in >= 2) {
        // A waiting high surrogate turns the next unit, ASCII or not, into something else.
        if (heldHigh == 0) {
            in = copyAscii<kBigEndian>(in, end, out);
        }
        // The other units, up to an ASCII one that no high surrogate waits before.
        for (; end - in >= 2; in += 2) {
            const std::uint16_t unit = unitAt<kBigEndian>(in);
            if (heldHigh != 0 || isHighSurrogate(unit) || isLowSurrogate(unit)) {
                out = put(unit, heldHigh, out);
            } else if (unit < 0x80) {
                break;
            } else {
                out = putCodePoint(unit, out);
            }
        }
    }
    m_heldHigh = heldHigh;
    if (in != end) {
        m_heldByte = static_cast<unsigned char>(*in);
        m_holdsByte = true;
    }
    return static_cast<std::size_t>(out - into);
}

std::size_t Utf16Decoder::finish(char* into) {
    char* out = into;
    if (std::exchange(m_heldHigh, std::uint16_t{0}) != 0) {
        out = putCodePoint(kReplacement, out);
    }
    if (std::exchange(m_holdsByte, false)) {
        out = putCodePoint(kReplacement, out);
    }
    return static_cast<std::size_t>(out - into);
}

}  // namespace catalog
