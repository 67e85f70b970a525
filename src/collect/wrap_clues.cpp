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

// Every clue has a `P` followed by `R` or a zero byte: found without stopping at each `P`.
constexpr BytePairSearch kClueStart(std::string_view(&kClueFirst, 1), kClueSeconds);

// Whether `clue`, whose `P` is its byte `before`, is in `text` with its `P` at `p`.
bool holdsAt(std::string_view text, std::size_t p, std::string_view clue, std::size_t before = 0) {
    return p >= before && text.substr(p - before, clue.size()) == clue;
}

}  // namespace

void ClueSearch::noteAt(std::string_view text, std::size_t p) {
    m_clues.price = m_clues.price || holdsAt(text, p, kPrice);
    m_clues.priceLe = m_clues.priceLe || holdsAt(text, p, kPriceLe);
    m_clues.priceBe = m_clues.priceBe || holdsAt(text, p, kPriceBe, 1);
    m_clues.priceUtf32 = m_clues.priceUtf32 || holdsAt(text, p, kPrUtf32Le) ||
                         holdsAt(text, p, kPrUtf32Be, kMostBeforeP);
}

void ClueSearch::feed(std::string_view block) {
    if (m_carried > 0) {
        searchJoint(block);
    }
    searchBlock(block);
    keepTail(block);
}

// The clues that begin in the bytes carried over from the blocks before, and those whose `P`
// comes so soon in the block that their first bytes were carried.
void ClueSearch::searchJoint(std::string_view block) {
    std::array<char, 2 * kCarry + 1> joint{};
    const std::size_t head = std::min(block.size(), kCarry + 1);
    std::copy_n(m_carry.data(), m_carried, joint.data());
    std::copy_n(block.data(), head, joint.data() + m_carried);
    const std::string_view text(joint.data(), m_carried + head);
    for (std::size_t p = 0; p < std::min(text.size(), m_carried + kMostBeforeP); ++p) {
        if (text[p] == kClueFirst) {
            noteAt(text, p);
        }
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
