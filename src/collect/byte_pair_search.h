#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace catalog {

// Finds a byte followed by one of a few others (a quote and the byte that opens a marker)
// without stopping at every occurrence of the first byte alone. In random bytes, such as an
// image or an archive left in the data folder, a quote comes every 256 bytes, and stopping at
// each one cost as much as the system's copy of the bytes. Each second byte may have a first of
// its own, which lets one pass look for the pairs of two searches at once.
class BytePairSearch {
public:
    // The pairs of `firsts[i]` and `seconds[i]`, or of one first and every second. The seconds
    // may hold at most one byte for each value of the low four bits, and none with the top bit
    // set, which lets a vector look every second byte up, and the first it needs, at once.
    constexpr BytePairSearch(std::string_view firsts, std::string_view seconds)
        : m_first(firsts.at(0)), m_oneFirst(firsts.size() == 1) {
        if (!m_oneFirst && firsts.size() != seconds.size()) {
            throw "a first byte for every second, or one for all";
        }
        m_secondsByLowBits.fill(0x00);
        m_secondsByLowBits[0] = 0x01;  // bytes whose low bits differ from their slot's never match
        std::array<bool, 16> taken{};
        for (std::size_t i = 0; i < seconds.size(); ++i) {
            const auto byte = static_cast<unsigned char>(seconds[i]);
            if (taken[byte & 0x0F] || byte >= 0x80) {
                throw "two second bytes share their low four bits, or one has its top bit set";
            }
            taken[byte & 0x0F] = true;
            m_isSecond[byte] = true;
            m_firstOf[byte] = m_oneFirst ? m_first : firsts[i];
            m_secondsByLowBits[byte & 0x0F] = byte;
            m_firstsByLowBits[byte & 0x0F] = static_cast<unsigned char>(m_firstOf[byte]);
        }
    }

    // Puts the positions `at` >= `from` where `text[at + 1]` is a second byte and `text[at]` its
    // first into `found`, in order, until it is full or the text ends, and returns how many it
    // put. `from` moves past the last position looked at: text.size() once the text has been
    // searched to its end.
    std::size_t find(std::string_view text, std::size_t& from, std::span<std::size_t> found) const;

private:
    std::size_t nextPair(std::string_view text, std::size_t from) const;
    std::size_t findByBytes(std::string_view text, std::size_t& from, std::span<std::size_t> found,
                            std::size_t count) const;
    std::size_t findByVectors(std::string_view text, std::size_t& from,
                              std::span<std::size_t> found) const;

    char m_first;
    bool m_oneFirst;
    std::array<bool, 256> m_isSecond{};
    std::array<char, 256> m_firstOf{};  // of each second byte
    std::array<unsigned char, 16> m_secondsByLowBits{};
    std::array<unsigned char, 16> m_firstsByLowBits{};  // the first of the second in that slot
};

}  // namespace catalog
