#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace catalog {

// Finds a byte followed by one of a few others (a quote and the byte that opens a marker)
// without stopping at every occurrence of the first byte alone. In random bytes, such as an
// image or an archive left in the data folder, a quote comes every 256 bytes, and stopping at
// each one cost as much as the system's copy of the bytes.
class BytePairSearch {
public:
    // `seconds` may hold at most one byte for each value of the low four bits, and none with
    // the top bit set, which lets a vector look every second byte up at once.
    constexpr BytePairSearch(char first, std::string_view seconds) : m_first(first) {
        // Bytes whose low bits differ from their slot's, so that they never match.
        m_byLowBits.fill(0x00);
        m_byLowBits[0] = 0x01;
        std::array<bool, 16> taken{};
        for (const char second : seconds) {
            const auto byte = static_cast<unsigned char>(second);
            if (taken[byte & 0x0F] || byte >= 0x80) {
                throw "two second bytes share their low four bits, or one has its top bit set";
            }
            taken[byte & 0x0F] = true;
            m_isSecond[byte] = true;
            m_byLowBits[byte & 0x0F] = byte;
        }
    }

    // Puts the positions `at` >= `from` where `text[at]` is the first byte and `text[at + 1]`
    // one of the seconds into `found`, in order, until it is full or the text ends, and returns
    // how many it put. `from` moves past the last position looked at: text.size() once the text
    // has been searched to its end.
    std::size_t find(std::string_view text, std::size_t& from, std::span<std::size_t> found) const;

private:
    std::size_t findByBytes(std::string_view text, std::size_t& from, std::span<std::size_t> found,
                            std::size_t count) const;
    std::size_t findByVectors(std::string_view text, std::size_t& from,
                              std::span<std::size_t> found) const;

    char m_first;
    std::array<bool, 256> m_isSecond{};
    std::array<unsigned char, 16> m_byLowBits{};
};

}  // namespace catalog
