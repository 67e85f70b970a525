#include "collect/record_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <tuple>

#include "collect/byte_pair_search.h"

namespace catalog {

namespace {

// Four bytes as one number, the same way in constant expressions as in memory.
constexpr std::uint32_t fourBytes(const char* bytes) {
    return std::bit_cast<std::uint32_t>(
        std::array<char, 4>{bytes[0], bytes[1], bytes[2], bytes[3]});
}

std::uint32_t fourBytesAt(const char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

struct Marker {
    std::string_view text;
    std::size_t quote;    // where its first quote is: every marker has one
    std::uint32_t probe;  // the four bytes after that quote, which tell the markers apart
};

constexpr Marker markerOf(std::string_view text) {
    const std::size_t quote = text.find('\'');
    return {text, quote, quote + 5 <= text.size() ? fourBytes(text.data() + quote + 1) : 0};
}

// Every opener and closer of the rules, once each; the record marker is among them.
constexpr std::array<Marker, 6> kMarkerTable = {
    markerOf(kNameRule.opener),      markerOf(kPriceRule.opener), markerOf(kReferenceRule.opener),
    markerOf(kThumbnailRule.opener), markerOf(kPriceRule.closer), markerOf(kThumbnailRule.closer),
};

constexpr std::size_t indexOf(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::find(kMarkerTable, text, &Marker::text) -
                                    kMarkerTable.begin());
}

constexpr bool tableIsComplete() {
    for (const FieldRule* rule : kColumnRules) {
        if (indexOf(rule->opener) == kMarkerTable.size() ||
            indexOf(rule->closer) == kMarkerTable.size()) {
            return false;
        }
    }
    for (const Marker& marker : kMarkerTable) {
        // Four bytes after the first quote are compared before the whole marker, and tell
        // every marker from the others: a quote starts at most one.
        if (marker.quote + 5 > marker.text.size() ||
            std::ranges::count(kMarkerTable, marker.probe, &Marker::probe) != 1) {
            return false;
        }
    }
    return indexOf(kRecordMarker) < kMarkerTable.size();
}
static_assert(tableIsComplete());

constexpr std::size_t kRecordIndex = indexOf(kRecordMarker);

// A rule with where its markers sit in the table, worked out once rather than on every file.
struct ScannedRule {
    const FieldRule* rule;
    std::size_t opener;
    std::size_t closer;
};

constexpr ScannedRule scannedRule(const FieldRule& rule) {
    return {&rule, indexOf(rule.opener), indexOf(rule.closer)};
}

// In the listing's column order, as a page's finding lists them.
constexpr auto kScannedRules = std::apply(
    [](const auto*... rules) { return std::array{scannedRule(*rules)...}; }, kColumnRules);

// For each byte, the markers whose first quote it can follow, one bit each.
constexpr std::array<unsigned char, 256> kAfterQuote = [] {
    std::array<unsigned char, 256> table{};
    for (std::size_t m = 0; m < kMarkerTable.size(); ++m) {
        const Marker& marker = kMarkerTable[m];
        table[static_cast<unsigned char>(marker.text[marker.quote + 1])] |= 1U << m;
    }
    return table;
}();

// A quote and a byte that follows the first quote of some marker: where a marker may lie; with
// `clues`, also a clue's pair (wrap_clues.h), so that one pass finds both while a page holds no
// record.
constexpr BytePairSearch markerStart(bool clues) {
    std::array<char, 256> firsts{};
    std::array<char, 256> seconds{};
    std::size_t count = 0;
    for (std::size_t byte = 0; byte < kAfterQuote.size(); ++byte) {
        if (kAfterQuote[byte] != 0) {
            firsts[count] = '\'';
            seconds[count++] = static_cast<char>(byte);
        }
    }
    for (std::size_t clue = 0; clues && clue < kClueSeconds.size(); ++clue) {
        firsts[count] = kClueFirsts[clue];
        seconds[count++] = kClueSeconds[clue];
    }
    return BytePairSearch(std::string_view(firsts.data(), clues ? count : 1),
                          std::string_view(seconds.data(), count));
}
constexpr BytePairSearch kMarkerStart = markerStart(false);
constexpr BytePairSearch kMarkerOrClueStart = markerStart(true);

// What settles a record's piece: the cut rules look for these in the text after its marker.
constexpr std::size_t kCloserIndex = indexOf(kThumbnailRule.closer);
constexpr std::size_t kReferenceIndex = indexOf(kReferenceRule.opener);
constexpr std::size_t kNameIndex = indexOf(kNameRule.opener);

constexpr std::uint64_t kNone = UINT64_MAX;

// Occurrences are found in the order of their starts, and a record is settled as soon as the
// next marker starts, only because no marker lies inside another.
constexpr bool noMarkerInsideAnother() {
    return std::ranges::all_of(kMarkerTable, [](const Marker& marker) {
        // Each marker holds itself, and no other.
        return std::ranges::count_if(kMarkerTable, [&marker](const Marker& other) {
                   return other.text.find(marker.text) != std::string_view::npos;
               }) == 1;
    });
}
static_assert(noMarkerInsideAnother());

std::uint64_t endOf(std::size_t marker, std::uint64_t at) {
    return at + kMarkerTable[marker].text.size();
}

bool endsBy(std::size_t marker, std::uint64_t at, std::uint64_t end) {
    return at != kNone && endOf(marker, at) <= end;
}

// The occurrences gathered in `tally` that end by `end`, which the scan has not passed: any
// that does not is the latest of its marker.
RecordScan::Marks endingBy(const RecordScan::Tally& tally, std::uint64_t end) {
    RecordScan::Marks marks;
    for (std::size_t m = 0; m < RecordScan::kMarkers; ++m) {
        marks.first[m] = endsBy(m, tally.first[m], end) ? tally.first[m] : kNone;
        marks.last[m] = endsBy(m, tally.latest[m], end)     ? tally.latest[m]
                        : endsBy(m, tally.previous[m], end) ? tally.previous[m]
                                                            : kNone;
    }
    return marks;
}

// As the field rules find them in a piece holding `marks`.
RecordMatches matchesIn(const RecordScan::Marks& marks) {
    RecordMatches matches;
    for (std::size_t column = 0; column < kScannedRules.size(); ++column) {
        const ScannedRule& scanned = kScannedRules[column];
        const std::uint64_t opener = marks.first[scanned.opener];
        const std::uint64_t closer = marks.last[scanned.closer];
        if (opener == kNone) {
            matches.misses[column] = FieldMiss::NoOpener;
        } else if (closer == kNone || opener + scanned.rule->opener.size() > closer) {
            matches.misses[column] = FieldMiss::NoCloserAfter;
        } else {
            matches.spans[column] = FileSpan{opener, closer + scanned.rule->closer.size()};
            matches.markersOnce[column] =
                opener == marks.last[scanned.opener] && marks.first[scanned.closer] == closer;
        }
    }
    return matches;
}

}  // namespace

RecordScan::Tally RecordScan::Tally::none() {
    Tally tally;
    tally.first.fill(kNone);
    tally.latest.fill(kNone);
    tally.previous.fill(kNone);
    return tally;
}

void RecordScan::Tally::add(std::size_t marker, std::uint64_t at) {
    if (first[marker] == kNone) {
        first[marker] = at;
    }
    previous[marker] = latest[marker];
    latest[marker] = at;
}

RecordScan::RecordScan(ClueSearch* clues) : m_clues(clues) {
    static_assert(kMarkers == kMarkerTable.size());
    static_assert(std::ranges::all_of(
        kMarkerTable, [](const Marker& marker) { return marker.text.size() <= kCarry + 1; }));
}

// Occurrences come in the order of their starts, but one may come twice (see feed): only a
// later one counts.
void RecordScan::found(std::size_t marker, std::uint64_t at, const OnRecord& onRecord) {
    if (at < m_foundUpTo) {
        return;
    }
    m_foundUpTo = at + 1;
    if (marker == kRecordIndex) {
        foundRecord(at, onRecord);
        return;
    }
    if (m_records == 0) {
        m_piece.add(marker, at);  // before the first record nothing can cut
        return;
    }
    const bool inGap = at >= m_gapStart && !holds(kAfterCloser);
    if (inGap && (marker == kReferenceIndex || marker == kNameIndex)) {
        // Taken before the opener is counted: what ends by it is what came before.
        const unsigned slot = marker == kReferenceIndex ? kBeforeReference : kBeforeName;
        if (holds(slot)) {
            makeCut(slot + 1, m_cuts[slot]);  // the latest becomes the one before it
        }
        makeCut(slot, Cut{at, endingBy(m_piece, at), Tally::none()});
    }
    m_piece.add(marker, at);
    for (unsigned made = m_cutsMade; made != 0; made &= made - 1) {
        Cut& cut = m_cuts[static_cast<std::size_t>(std::countr_zero(made))];
        if (at >= cut.at) {
            cut.after.add(marker, at);
        }
    }
    if (inGap && marker == kCloserIndex) {
        // Past the first thumbnail closer after the marker, nothing else decides the cut. No
        // marker holds the closer, so every occurrence so far ends by its end.
        m_cutsMade = 0;
        makeCut(kAfterCloser,
                Cut{endOf(marker, at), {m_piece.first, m_piece.latest}, Tally::none()});
    }
}

void RecordScan::makeCut(unsigned slot, const Cut& cut) {
    m_cuts[slot] = cut;
    m_cutsMade |= 1U << slot;
}

// Of the latest two cuts before one kind of opener, the latest, unless its opener runs into the
// next marker at `next`.
const RecordScan::Cut* RecordScan::latestCut(unsigned slot, std::size_t marker,
                                             std::uint64_t next) const {
    for (const unsigned at : {slot, slot + 1}) {
        if (holds(at) && endOf(marker, m_cuts[at].at) <= next) {
            return &m_cuts[at];
        }
    }
    return nullptr;
}

// The record in hand's piece ends where the rules say, and the next begins there.
void RecordScan::foundRecord(std::uint64_t at, const OnRecord& onRecord) {
    if (m_records > 0) {
        const Cut* cut = holds(kAfterCloser) ? &m_cuts[kAfterCloser] : nullptr;
        cut = cut != nullptr ? cut : latestCut(kBeforeReference, kReferenceIndex, at);
        cut = cut != nullptr ? cut : latestCut(kBeforeName, kNameIndex, at);
        if (cut != nullptr) {
            onRecord(matchesIn(cut->before));
            m_piece = cut->after;
        } else {
            onRecord(matchesIn(endingBy(m_piece, at)));  // right before the marker
            m_piece = Tally::none();
        }
        m_cutsMade = 0;
    }
    m_piece.add(kRecordIndex, at);
    m_gapStart = endOf(kRecordIndex, at);
    ++m_records;
}

// The one marker whose first quote may be the one at `quote`, found by the four bytes after it
// and then checked whole. Inlined into both scans, as it runs at every pair they find.
[[gnu::always_inline]] inline void RecordScan::scanAt(std::string_view window, std::size_t quote,
                                                      std::uint64_t offset,
                                                      const OnRecord& onRecord) {
    const char* const begin = window.data();
    if (quote + 5 > window.size()) {
        return;  // no marker ends here
    }
    const std::uint32_t probe = fourBytesAt(begin + quote + 1);
    for (unsigned candidates = kAfterQuote[static_cast<unsigned char>(begin[quote + 1])];
         candidates != 0; candidates &= candidates - 1) {
        const auto m = static_cast<std::size_t>(std::countr_zero(candidates));
        const Marker& marker = kMarkerTable[m];
        if (probe != marker.probe) {
            continue;
        }
        const std::size_t start = quote - marker.quote;
        if (quote >= marker.quote && start + marker.text.size() <= window.size() &&
            std::memcmp(begin + start, marker.text.data(), marker.text.size()) == 0) {
            found(m, offset + start, onRecord);
        }
        return;
    }
}

// Every marker holds a quote, and the byte after it rules out most quotes at once: one pass
// for the two finds every candidate at vector speed, without looking at the markers one by one.
void RecordScan::scan(std::string_view window, std::uint64_t offset, const OnRecord& onRecord) {
    std::size_t from =
        m_clues != nullptr && m_records == 0 ? scanWithClues(window, offset, onRecord) : 0;
    std::array<std::size_t, 64> quotes;
    while (from < window.size()) {
        const std::size_t count = kMarkerStart.find(window, from, quotes);
        for (std::size_t i = 0; i < count; ++i) {
            scanAt(window, quotes[i], offset, onRecord);
        }
    }
}

// Until the page's first record the same pass finds the clues' pairs: a page without a record is
// read once. Returns where the markers alone are looked for from: a little past the first record,
// the end of the pairs found with it.
std::size_t RecordScan::scanWithClues(std::string_view window, std::uint64_t offset,
                                      const OnRecord& onRecord) {
    // Clues straddling two blocks are in the window that joins them, as markers are.
    static_assert(ClueSearch::kMostBytes <= kCarry + 1);
    std::array<std::size_t, 64> pairs;
    std::size_t from = 0;
    while (from < window.size() && m_records == 0) {
        const std::size_t count = kMarkerOrClueStart.find(window, from, pairs);
        for (std::size_t i = 0; i < count; ++i) {
            if (window[pairs[i]] == '\'') {
                scanAt(window, pairs[i], offset, onRecord);
            } else if (m_records == 0) {
                m_clues->noteAt(window, pairs[i]);
            }
        }
    }
    return from;
}

void RecordScan::keepTail(std::string_view block) {
    if (block.size() >= kCarry) {
        std::memcpy(m_carry.data(), block.data() + block.size() - kCarry, kCarry);
        m_carried = kCarry;
        return;
    }
    const std::size_t kept = std::min(m_carried, kCarry - block.size());
    std::memmove(m_carry.data(), m_carry.data() + m_carried - kept, kept);
    std::memcpy(m_carry.data() + kept, block.data(), block.size());
    m_carried = kept + block.size();
}

void RecordScan::feed(std::string_view block, const OnRecord& onRecord) {
    // Occurrences that begin in the bytes carried over from earlier blocks end within the
    // first kCarry bytes of this one: the two side by side hold them all. One that ends past
    // them is found again later, and only the later finding counts.
    if (m_carried > 0 && !block.empty()) {
        std::array<char, 2 * kCarry> joined{};
        const std::size_t taken = std::min(block.size(), kCarry);
        std::memcpy(joined.data(), m_carry.data(), m_carried);
        std::memcpy(joined.data() + m_carried, block.data(), taken);
        scan({joined.data(), m_carried + taken}, m_fed - m_carried, onRecord);
    }
    scan(block, m_fed, onRecord);
    keepTail(block);
    m_fed += block.size();
}

void RecordScan::finish(const OnRecord& onRecord) {
    if (m_records > 0) {
        onRecord(matchesIn({m_piece.first, m_piece.latest}));  // all end by the page's end
    }
}

namespace {

// Appends the bytes of `span` to `out`, read again from the page.
void appendReadAgain(const FileSpan& span, const PageBytes& page, std::string& out,
                     const StopFlag* stop) {
    const auto length = static_cast<std::size_t>(span.end - span.begin);
    const std::size_t start = out.size();
    out.resize(start + length);
    std::size_t got = 0;
    while (got < length) {
        stopIfRequested(stop);
        const std::size_t piece = page.readAt(span.begin + got, out.data() + start + got,
                                              std::min(length - got, kBytesBetweenStopChecks));
        if (piece == 0) {
            out.resize(start);
            throw FileChanged();
        }
        got += piece;
    }
}

// Appends the bytes of `span` to `out`: from memory when they are all still held, else read again.
void appendSpan(const FileSpan& span, const PageBytes& page, std::string& out,
                const StopFlag* stop) {
    if (span.begin >= page.heldFrom && span.end - page.heldFrom <= page.held.size()) {
        out.append(page.held.data() + (span.begin - page.heldFrom), span.end - span.begin);
    } else {
        appendReadAgain(span, page, out, stop);
    }
}

// As the field rule says: the match, every opener left out, then every closer.
void appendMatchedField(const FieldRule& rule, const std::optional<FileSpan>& span,
                        bool markersOnce, const PageBytes& page, std::string& out,
                        const StopFlag* stop) {
    if (!span) {
        out.append(kMatchFailed);  // it holds no marker
        return;
    }
    if (markersOnce) {
        // What the erasing below leaves: the opener starts the match and the closer ends it,
        // and neither occurs anywhere else.
        appendSpan({span->begin + rule.opener.size(), span->end - rule.closer.size()}, page, out,
                   stop);
        return;
    }
    const std::size_t start = out.size();
    appendSpan(*span, page, out, stop);
    eraseAll(out, rule.opener, start);
    eraseAll(out, rule.closer, start);
}

}  // namespace

FieldLengths appendMatchedRow(const RecordMatches& matches, const PageBytes& page, std::string& out,
                              const StopFlag* stop) {
    // Room for the whole row at once: a value of hundreds of megabytes is then never copied
    // to a larger string as it grows.
    std::uint64_t total = out.size() + kColumnRules.size() - 1 + kLineEnd.size();
    for (const std::optional<FileSpan>& span : matches.spans) {
        total += span ? span->end - span->begin : kMatchFailed.size();
    }
    out.reserve(static_cast<std::size_t>(total));
    FieldLengths lengths{};
    for (std::size_t i = 0; i < kColumnRules.size(); ++i) {
        const std::size_t start = out.size();
        appendMatchedField(*kColumnRules[i], matches.spans[i], matches.markersOnce[i], page, out,
                           stop);
        if (i < lengths.size()) {
            lengths[i] = out.size() - start;
            out.push_back('\t');
        }
    }
    return lengths;
}

}  // namespace catalog
