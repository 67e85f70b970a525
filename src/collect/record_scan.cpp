#include "collect/record_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

// Every opener and closer of the four rules, once each; the record marker is among them.
constexpr std::array<Marker, 6> kMarkerTable = {
    markerOf(kNameRule.opener),      markerOf(kPriceRule.opener), markerOf(kReferenceRule.opener),
    markerOf(kThumbnailRule.opener), markerOf(kPriceRule.closer), markerOf(kThumbnailRule.closer),
};

constexpr std::size_t indexOf(std::string_view text) {
    std::size_t index = 0;
    while (index < kMarkerTable.size() && kMarkerTable[index].text != text) {
        ++index;
    }
    return index;
}

constexpr bool tableIsComplete() {
    for (const FieldRule& rule : {kNameRule, kPriceRule, kReferenceRule, kThumbnailRule}) {
        if (indexOf(rule.opener) == kMarkerTable.size() ||
            indexOf(rule.closer) == kMarkerTable.size()) {
            return false;
        }
    }
    for (const Marker& marker : kMarkerTable) {
        // Four bytes after the first quote are compared before the whole marker, and tell
        // every marker from the others: a quote starts at most one.
        if (marker.quote + 5 > marker.text.size()) {
            return false;
        }
        for (const Marker& other : kMarkerTable) {
            if (&other != &marker && other.probe == marker.probe) {
                return false;
            }
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
constexpr std::array<ScannedRule, kColumnRules.size()> kScannedRules = {
    scannedRule(*kColumnRules[0]), scannedRule(*kColumnRules[1]), scannedRule(*kColumnRules[2]),
    scannedRule(*kColumnRules[3])};

const ScannedRule& scannedRuleOf(const FieldRule& rule) {
    std::size_t index = 0;
    while (index + 1 < kScannedRules.size() && kScannedRules[index].rule != &rule) {
        ++index;
    }
    return kScannedRules[index];
}

// For each byte, the markers whose first quote it can follow, one bit each.
constexpr std::array<unsigned char, 256> kAfterQuote = [] {
    std::array<unsigned char, 256> table{};
    for (std::size_t m = 0; m < kMarkerTable.size(); ++m) {
        const Marker& marker = kMarkerTable[m];
        table[static_cast<unsigned char>(marker.text[marker.quote + 1])] |= 1U << m;
    }
    return table;
}();

// A quote and a byte that follows the first quote of some marker: where a marker may lie.
constexpr BytePairSearch kMarkerStart = [] {
    std::array<char, 256> seconds{};
    std::size_t count = 0;
    for (std::size_t byte = 0; byte < kAfterQuote.size(); ++byte) {
        if (kAfterQuote[byte] != 0) {
            seconds[count++] = static_cast<char>(byte);
        }
    }
    return BytePairSearch('\'', std::string_view(seconds.data(), count));
}();

constexpr std::size_t longestMarker() {
    std::size_t longest = 0;
    for (const Marker& marker : kMarkerTable) {
        longest = std::max(longest, marker.text.size());
    }
    return longest;
}

}  // namespace

RecordScan::RecordScan() {
    static_assert(kMarkers == kMarkerTable.size());
    static_assert(kCarry + 1 >= longestMarker());
    m_first.fill(kNone);
    m_last.fill(kNone);
}

// Occurrences come in the order of the text, but one may come twice (see scan): only a later
// one counts.
void RecordScan::found(std::size_t marker, std::uint64_t at) {
    if (m_first[marker] == kNone) {
        m_first[marker] = at;
    }
    if (m_last[marker] == kNone || at > m_last[marker]) {
        m_last[marker] = at;
        ++m_count[marker];
    }
}

// Every marker holds a quote, and the byte after it rules out most quotes at once: one pass
// for the two finds every candidate at vector speed, without looking at the markers one by one.
// Occurrences found twice (a window may overlap what was scanned before) change nothing.
void RecordScan::scan(std::string_view window, std::uint64_t offset) {
    std::array<std::size_t, 64> quotes;
    for (std::size_t from = 0; from < window.size();) {
        const std::size_t count = kMarkerStart.find(window, from, quotes);
        for (std::size_t i = 0; i < count; ++i) {
            scanAt(window, quotes[i], offset);
        }
    }
}

// The one marker whose first quote may be the one at `quote`, found by the four bytes after it
// and then checked whole.
void RecordScan::scanAt(std::string_view window, std::size_t quote, std::uint64_t offset) {
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
            found(m, offset + start);
        }
        return;
    }
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

void RecordScan::feed(std::string_view block) {
    // Occurrences that begin in the bytes carried over from earlier blocks end within the
    // first kCarry bytes of this one: the two side by side hold them all.
    if (m_carried > 0 && !block.empty()) {
        std::array<char, 2 * kCarry> joined{};
        const std::size_t taken = std::min(block.size(), kCarry);
        std::memcpy(joined.data(), m_carry.data(), m_carried);
        std::memcpy(joined.data() + m_carried, block.data(), taken);
        scan({joined.data(), m_carried + taken}, m_fed - m_carried);
    }
    scan(block, m_fed);
    keepTail(block);
    m_fed += block.size();
}

bool RecordScan::holdsRecord() const {
    return m_first[kRecordIndex] != kNone;
}

bool RecordScan::markersOccurOnce(const FieldRule& rule) const {
    const ScannedRule& scanned = scannedRuleOf(rule);
    return m_first[scanned.opener] != kNone && m_first[scanned.opener] == m_last[scanned.opener] &&
           m_first[scanned.closer] != kNone && m_first[scanned.closer] == m_last[scanned.closer];
}

PageFinding RecordScan::finding() const {
    PageFinding finding;
    finding.records = m_count[kRecordIndex];
    for (std::size_t column = 0; column < kScannedRules.size(); ++column) {
        const ScannedRule& scanned = kScannedRules[column];
        const std::uint64_t opener = m_first[scanned.opener];
        const std::uint64_t closer = m_last[scanned.closer];
        if (opener == kNone) {
            finding.misses[column] = FieldMiss::NoOpener;
        } else if (closer == kNone || opener + scanned.rule->opener.size() > closer) {
            finding.misses[column] = FieldMiss::NoCloserAfter;
        }
    }
    return finding;
}

std::optional<FileSpan> RecordScan::matchOf(const FieldRule& rule) const {
    const ScannedRule& scanned = scannedRuleOf(rule);
    const std::uint64_t opener = m_first[scanned.opener];
    const std::uint64_t closer = m_last[scanned.closer];
    if (opener == kNone || closer == kNone || opener + rule.opener.size() > closer) {
        return std::nullopt;
    }
    return FileSpan{opener, closer + rule.closer.size()};
}

namespace {

// Appends the bytes of `span` to `out`.
void appendSpan(const FileSpan& span, const ReadAt& readAt, std::string& out,
                const StopFlag* stop) {
    const std::size_t start = out.size();
    const auto length = static_cast<std::size_t>(span.end - span.begin);
    out.resize(start + length);
    std::size_t got = 0;
    while (got < length) {
        stopIfRequested(stop);
        const std::size_t piece = readAt(span.begin + got, out.data() + start + got,
                                         std::min(length - got, kBytesBetweenStopChecks));
        if (piece == 0) {
            out.resize(start);
            throw FileChanged();
        }
        got += piece;
    }
}

// The same from a text held whole, cut short where it ends.
void appendSpan(const FileSpan& span, std::string_view text, std::string& out, const StopFlag*) {
    const std::uint64_t begin = std::min<std::uint64_t>(span.begin, text.size());
    const std::uint64_t end = std::min<std::uint64_t>(span.end, text.size());
    out.append(text.substr(begin, end - begin));
}

// As the field rule says: the match, every opener left out, then every closer.
template <typename Source>
void appendScannedField(const FieldRule& rule, const std::optional<FileSpan>& span,
                        const RecordScan& scan, const Source& source, std::string& out,
                        const StopFlag* stop) {
    if (!span) {
        out.append(kMatchFailed);  // it holds no marker
        return;
    }
    if (scan.markersOccurOnce(rule)) {
        // What the erasing below leaves: the opener starts the match and the closer ends it,
        // and neither occurs anywhere else.
        appendSpan({span->begin + rule.opener.size(), span->end - rule.closer.size()}, source, out,
                   stop);
        return;
    }
    const std::size_t start = out.size();
    appendSpan(*span, source, out, stop);
    eraseAll(out, rule.opener, start);
    eraseAll(out, rule.closer, start);
}

template <typename Source>
FieldLengths appendRowFrom(const RecordScan& scan, const Source& source, std::string& out,
                           const StopFlag* stop) {
    // Room for the whole row at once: a value of hundreds of megabytes is then never copied
    // to a larger string as it grows.
    std::uint64_t total = out.size() + std::size(kColumnRules) - 1 + kLineEnd.size();
    std::array<std::optional<FileSpan>, std::size(kColumnRules)> spans;
    for (std::size_t i = 0; i < std::size(kColumnRules); ++i) {
        spans[i] = scan.matchOf(*kColumnRules[i]);
        total += spans[i] ? spans[i]->end - spans[i]->begin : kMatchFailed.size();
    }
    out.reserve(static_cast<std::size_t>(total));
    FieldLengths lengths{};
    for (std::size_t i = 0; i < std::size(kColumnRules); ++i) {
        const std::size_t start = out.size();
        appendScannedField(*kColumnRules[i], spans[i], scan, source, out, stop);
        if (i < lengths.size()) {
            lengths[i] = out.size() - start;
            out.push_back('\t');
        }
    }
    return lengths;
}

}  // namespace

FieldLengths appendScannedRow(const RecordScan& scan, const ReadAt& readAt, std::string& out,
                              const StopFlag* stop) {
    return appendRowFrom(scan, readAt, out, stop);
}

FieldLengths appendScannedRow(const RecordScan& scan, std::string_view text, std::string& out,
                              const StopFlag* stop) {
    return appendRowFrom(scan, text, out, stop);
}

}  // namespace catalog
