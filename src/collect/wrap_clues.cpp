#include "collect/wrap_clues.h"

#include <algorithm>

#include "collect/byte_pair_search.h"

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
constexpr BytePairSearch kClueStart(kClueFirsts, kClueSeconds);

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

void ClueSearch::feed(std::string_view block) {
    if (m_carried > 0) {
        searchJoint(block);
    }
    searchBlock(block);
    keepTail(block);
}

// The clues that begin in the bytes carried over from the blocks before, and those whose pair
// comes so soon in the block that their first bytes were carried.
void ClueSearch::searchJoint(std::string_view block) {
    std::array<char, 2 * kCarry + 1> joint{};
    const std::size_t head = std::min(block.size(), kCarry + 1);
    std::copy_n(m_carry.data(), m_carried, joint.data());
    std::copy_n(block.data(), head, joint.data() + m_carried);
    const std::string_view text(joint.data(), m_carried + head);
    for (std::size_t at = 0; at < std::min(text.size(), m_carried + kMostBefore); ++at) {
        noteAt(text, at);
    }
}

void ClueSearch::searchBlock(std::string_view block) {
    std::array<std::size_t, 64> found;
    for (std::size_t from = 0; from < block.size();) {
        const std::size_t count = kClueStart.find(block, from, found);
        for (std::size_t at = 0; at < count; ++at) {
            noteAt(block, found[at]);
        }
    }
}

void ClueSearch::keepTail(std::string_view block) {
    if (block.size() >= kCarry) {
        std::copy_n(block.end() - kCarry, kCarry, m_carry.data());
        m_carried = kCarry;
        return;
    }
    const std::size_t keep = std::min(m_carried, kCarry - block.size());
    std::copy_n(m_carry.data() + m_carried - keep, keep, m_carry.data());
    std::copy(block.begin(), block.end(), m_carry.data() + keep);
    m_carried = keep + block.size();
}

}  // namespace catalog
