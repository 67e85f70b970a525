#include "collect/unwrapping.h"

#include <algorithm>

#include "collect/field_extraction.h"

namespace catalog {

namespace {

// Whether the clues seen let a candidate's reading count.
bool allowedBy(const WrapClues& clues, Candidate::Needs needs) {
    using Needs = Candidate::Needs;
    return needs == Needs::Nothing || (needs == Needs::Price && clues.price) ||
           (needs == Needs::PriceLe && clues.priceLe) || (needs == Needs::PriceBe && clues.priceBe);
}

}  // namespace

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
    std::erase_if(
        all, [&clues](const Candidate& candidate) { return !allowedBy(clues, candidate.needs); });
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
        m_baseScan.feed(std::string_view(tried.text).substr(from), [](const RecordMatches&) {});
    }
    tried.holdsMarker = tried.holdsMarker || tried.text.find(kRecordMarker) != std::string::npos;
    const std::size_t keep = std::min(tried.text.size(), kRecordMarker.size() - 1);
    tried.text.erase(0, tried.text.size() - keep);
}

bool WrappingChoice::settled() const {
    return !m_tried.empty() && m_tried.front().holdsMarker &&
           m_tried.front().candidate.needs == Candidate::Needs::Nothing;
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
        if (tried.holdsMarker && allowedBy(m_baseClues.clues(), tried.candidate.needs)) {
            return tried.candidate.reading;
        }
    }
    return std::nullopt;
}

}  // namespace catalog
