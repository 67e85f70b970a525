#include "collect/wrap_clues.h"

namespace catalog {

namespace {

constexpr std::string_view kPrice = "PRICE";
constexpr std::string_view kPriceLe("P\0R\0I\0C\0E\0", 10);
constexpr std::string_view kPriceBe("\0P\0R\0I\0C\0E", 10);
constexpr std::string_view kPrUtf32Le("P\0\0\0R\0\0\0", 8);
constexpr std::string_view kPrUtf32Be("\0\0\0P\0\0\0R", 8);

// `RI` in the first, `P` and a zero in every other.
static_assert(kClueFirsts[0] == kPrice[1] && kClueSeconds[0] == kPrice[2]);
static_assert(kClueFirsts[1] == kPriceLe[0] && kClueSeconds[1] == kPriceLe[1]);

// Whether `clue`, whose pair is its byte `before`, is in `text` with its pair at `at`.
bool holdsAt(std::string_view text, std::size_t at, std::string_view clue, std::size_t before) {
    return at >= before && text.substr(at - before, clue.size()) == clue;
}

}  // namespace

void ClueSearch::noteAt(std::string_view text, std::size_t at) {
    const std::string_view pair = text.substr(at, 2);
    if (pair == kPrice.substr(1, 2)) {
        m_clues.price = m_clues.price || holdsAt(text, at, kPrice, 1);
        return;
    }
    if (pair != kPriceLe.substr(0, 2)) {
        return;
    }
    m_clues.priceLe = m_clues.priceLe || holdsAt(text, at, kPriceLe, 0);
    m_clues.priceBe = m_clues.priceBe || holdsAt(text, at, kPriceBe, 1);
    m_clues.priceUtf32 = m_clues.priceUtf32 || holdsAt(text, at, kPrUtf32Le, 0) ||
                         holdsAt(text, at, kPrUtf32Be, kMostBefore);
}

}  // namespace catalog
