#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace catalog {

// Finds a byte followed by one of a few others (a quote and the byte that opens a marker)
// without stopping at every occurrence of the first byte alone. In random bytes, such as an
// image or an archive left in the data folder, a quote comes every 256 bytes, and stopping at
// each one cost as much as the system's copy of the bytes. Two first bytes let one pass look for
// two pairs at once; any of the firsts followed by any of the seconds is found, and the caller
// tells the pairs apart.
class BytePairSearch {
public:
    // `firsts` (one or two bytes) and `seconds` may each hold at most one byte for each value of
    // the low four bits, and none with the top bit set, which lets a vector look every byte up
    // at once.
    constexpr BytePairSearch(std::string_view firsts, std::string_view seconds)
        : m_first(firsts.at(0)),
          m_oneFirst(firsts.size() == 1),
          m_firstsByLowBits(byLowBits(firsts, m_isFirst)),
          m_secondsByLowBits(byLowBits(seconds, m_isSecond)) {
        if (firsts.size() > 2) {
            throw "more than two first bytes";
        }
    }

    // Puts the positions `at` >= `from` where `text[at]` is a first byte and `text[at + 1]`
    // a second into `found`, in order, until it is full or the text ends, and returns how many
    // it put. `from` moves past the last position looked at: text.size() once the text has
    // been searched to its end.
    std::size_t find(std::string_view text, std::size_t& from, std::span<std::size_t> found) const;

private:
    using LowBitsTable = std::array<unsigned char, 16>;

    // The table a vector looks bytes up in by their low four bits; `is` marks the bytes.
    static constexpr LowBitsTable byLowBits(std::string_view bytes, std::array<bool, 256>& is) {
        // Bytes whose low bits differ from their slot's, so that they never match.
        LowBitsTable table{};
        table[0] = 0x01;
        std::array<bool, 16> taken{};
        for (const char each : bytes) {
            const auto byte = static_cast<unsigned char>(each);
            if (taken[byte & 0x0F] || byte >= 0x80) {
                throw "two bytes share their low four bits, or one has its top bit set";
            }
            taken[byte & 0x0F] = true;
            is[byte] = true;
            table[byte & 0x0F] = byte;
        }
        return table;
    }

    std::size_t nextFirst(std::string_view text, std::size_t from) const;
    std::size_t findByBytes(std::string_view text, std::size_t& from, std::span<std::size_t> found,
                            std::size_t count) const;
    std::size_t findByVectors(std::string_view text, std::size_t& from,
                              std::span<std::size_t> found) const;

    std::array<bool, 256> m_isFirst{};
    std::array<bool, 256> m_isSecond{};
    char m_first;
    bool m_oneFirst;
    LowBitsTable m_firstsByLowBits;
    LowBitsTable m_secondsByLowBits;
};

}  // namespace catalog
