#include "collect/unwrapping.h"

#include <algorithm>

#include "collect/byte_pair_search.h"
#include "collect/field_extraction.h"

namespace catalog {

namespace {

constexpr std::string_view kPrice = "PRICE";
constexpr std::string_view kPriceLe("P\0R\0I\0C\0E\0", 10);
constexpr std::string_view kPriceBe("\0P\0R\0I\0C\0E", 10);
constexpr std::string_view kPrUtf32Le("P\0\0\0R\0\0\0", 8);
constexpr std::string_view kPrUtf32Be("\0\0\0P\0\0\0R", 8);

// Every clue has a `P` followed by `R` or a zero byte: found without stopping at each `P`.
constexpr BytePairSearch kClueStart('P', std::string_view("R\0", 2));

// Whether `clue`, whose `P` is its byte `before`, is in `text` with its `P` at `p`.
bool holdsAt(std::string_view text, std::size_t p, std::string_view clue, std::size_t before = 0) {
    return p >= before && text.substr(p - before, clue.size()) == clue;
}

}  // namespace

// Looks at a `P` at `p` of `text`.
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
        if (text[p] == 'P') {
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

std::vector<Candidate> candidatesFor(PageEncoding marked, bool mhtml, const WrapClues& clues) {
    using Needs = Candidate::Needs;
    if (marked != PageEncoding::Bytes) {
        // Its UTF-16 is read already: only its escapes may hide a record.
        return clues.price ? std::vector{Candidate{{marked, false, PageEncoding::Bytes, true}}}
                           : std::vector<Candidate>{};
    }
    if (!mhtml && !clues.price && !clues.priceLe && !clues.priceBe) {
        return {};  // most pages without a record: read once only
    }
    std::vector<Candidate> all;
    if (mhtml) {
        all.push_back({{PageEncoding::Bytes, true, PageEncoding::Bytes, false}, Needs::Nothing});
    }
    all.push_back({{PageEncoding::Bytes, mhtml, PageEncoding::Bytes, true}, Needs::Price});
    for (const PageEncoding utf16 :
         {PageEncoding::Utf16LittleEndian, PageEncoding::Utf16BigEndian}) {
        const Needs needs =
            utf16 == PageEncoding::Utf16LittleEndian ? Needs::PriceLe : Needs::PriceBe;
        all.push_back({{PageEncoding::Bytes, mhtml, utf16, false}, needs});
        all.push_back({{PageEncoding::Bytes, mhtml, utf16, true}, needs});
    }
    if (mhtml) {
        return all;  // the clues are those of its text parts, seen in the second reading
    }
    std::erase_if(all, [&clues](const Candidate& candidate) {
        return (candidate.needs == Needs::Price && !clues.price) ||
               (candidate.needs == Needs::PriceLe && !clues.priceLe) ||
               (candidate.needs == Needs::PriceBe && !clues.priceBe);
    });
    for (Candidate& candidate : all) {
        candidate.needs = Needs::Nothing;
    }
    return all;
}

WrappingChoice::WrappingChoice(const std::vector<Candidate>& candidates,
                               const std::optional<MhtmlMessage>& message)
    : m_cluesFromBase(!candidates.empty() && candidates.front().reading.mhtml) {
    m_tried.reserve(candidates.size());
    for (const Candidate& candidate : candidates) {
        m_tried.push_back({candidate, PageDecoder(candidate.reading, message), false, {}});
    }
}

void WrappingChoice::feed(std::string_view bytes) {
    for (Tried& tried : m_tried) {
        const std::size_t carried = tried.text.size();
        tried.text.resize(carried + tried.decoder.maxDecoded(bytes.size()));
        tried.text.resize(carried +
                          tried.decoder.decode(bytes, tried.text.data() + carried, m_scratch));
        search(tried, carried);
    }
}

// Looks for the marker in the text in hand, whose bytes from `from` on are new, and keeps what
// may begin one.
void WrappingChoice::search(Tried& tried, std::size_t from) {
    if (m_cluesFromBase && &tried == &m_tried.front()) {
        m_baseClues.feed(std::string_view(tried.text).substr(from));
    }
    tried.holdsMarker = tried.holdsMarker || tried.text.find(kRecordMarker) != std::string::npos;
    const std::size_t keep = std::min(tried.text.size(), kRecordMarker.size() - 1);
    tried.text.erase(0, tried.text.size() - keep);
}

bool WrappingChoice::settled() const {
    return !m_tried.empty() && m_tried.front().holdsMarker &&
           m_tried.front().candidate.needs == Candidate::Needs::Nothing;
}

bool WrappingChoice::counts(const Tried& tried) const {
    const WrapClues& clues = m_baseClues.clues();
    switch (tried.candidate.needs) {
        case Candidate::Needs::Nothing:
            return true;
        case Candidate::Needs::Price:
            return clues.price;
        case Candidate::Needs::PriceLe:
            return clues.priceLe;
        case Candidate::Needs::PriceBe:
            return clues.priceBe;
    }
    return false;
}

std::optional<TextReading> WrappingChoice::finish() {
    for (Tried& tried : m_tried) {
        if (!settled()) {
            const std::size_t carried = tried.text.size();
            tried.text.resize(carried + tried.decoder.mostFinished());
            tried.text.resize(carried +
                              tried.decoder.finish(tried.text.data() + carried, m_scratch));
            search(tried, carried);
        }
    }
    for (const Tried& tried : m_tried) {
        if (tried.holdsMarker && counts(tried)) {
            return tried.candidate.reading;
        }
    }
    return std::nullopt;
}

}  // namespace catalog
