// What tells that a page without a record may hold one under a wrapping: the bytes `PRICE`,
// plain or as UTF-16 of either byte order, and `PR` as UTF-32, which is not read but named. Each
// clue holds `RI` or a `P` followed by a zero byte, which the record scan finds in its own pass.
#pragma once

#include <cstddef>
#include <string_view>

namespace catalog {

// What a text holds of the clues.
struct WrapClues {
    bool price = false;       // `PRICE`
    bool priceLe = false;     // `PRICE` as UTF-16 little-endian
    bool priceBe = false;     // and big-endian
    bool priceUtf32 = false;  // `PR` as UTF-32 of either byte order, which is not read
};

// The pairs of bytes the clues hold: `kClueFirsts[i]` followed by `kClueSeconds[i]`.
inline constexpr std::string_view kClueFirsts = "RP";
inline constexpr std::string_view kClueSeconds("I\0", 2);

// The clues a text holds, noted at the pairs a search of it finds (RecordScan's, which also
// sees the pairs that straddle two blocks).
class ClueSearch {
public:
    // Looks at `text` for the clues that hold one of the pairs at `at`. A clue cut by either end
    // of `text` is not seen: the caller shows it whole another time.
    void noteAt(std::string_view text, std::size_t at);
    const WrapClues& clues() const { return m_clues; }

    // The most bytes a clue holds.
    static constexpr std::size_t kMostBytes = 10;

private:
    static constexpr std::size_t kMostBefore = 3;  // bytes a clue holds before its pair

    WrapClues m_clues;
};

}  // namespace catalog
