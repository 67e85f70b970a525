#include "collect/near_forms.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "collect/byte_pair_search.h"
#include "collect/field_extraction.h"

namespace catalog {

namespace {

// The pieces a text of the record format is made of, each of which tools write their own way.
enum class UnitKind : std::uint8_t { Quote, Blanks, Arrow, Word, Mark };

struct Unit {
    UnitKind kind;
    std::string_view text;  // as the record format writes it
};

// How a quote or an arrow may be written instead: HTML's entities, or double quotes.
struct Spelling {
    std::string_view written;
    bool escaped;
    bool doubled;
};

constexpr std::array kQuoteSpellings{
    Spelling{"'", false, false},     Spelling{"\"", false, true},
    Spelling{"&#039;", true, false}, Spelling{"&#39;", true, false},
    Spelling{"&apos;", true, false}, Spelling{"&#x27;", true, false},
    Spelling{"&quot;", true, true},  Spelling{"&#34;", true, true},
    Spelling{"&#x22;", true, true},
};
constexpr std::array kArrowSpellings{
    Spelling{"=>", false, false},     Spelling{"=&gt;", true, false},
    Spelling{"=&#62;", true, false},  Spelling{"=&#x3e;", true, false},
    Spelling{"=&#x3E;", true, false},
};

// Blanks between two pieces of a near form; more are no near form but another text.
constexpr std::size_t kMostBlanks = 64;
// No near form is longer: a dozen pieces, none longer than its most blanks.
constexpr std::size_t kMostFormBytes = 1024;
constexpr std::size_t kMostUnits = 16;

std::vector<Unit> unitsOf(std::string_view text) {
    std::vector<Unit> units;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        std::size_t length = 1;
        UnitKind kind = UnitKind::Mark;
        if (c == '\'') {
            kind = UnitKind::Quote;
        } else if (c == ' ') {
            kind = UnitKind::Blanks;
            length = text.find_first_not_of(' ', at) - at;
        } else if (text.substr(at, 2) == "=>") {
            kind = UnitKind::Arrow;
            length = 2;
        } else if ((c >= 'A' && c <= 'Z') || c == '_') {
            kind = UnitKind::Word;
            length = text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_", at) - at;
        }
        length = std::min(length, text.size() - at);
        units.push_back({kind, text.substr(at, length)});
        at += length;
    }
    return units;
}

// What a page's text differs in from the record format's, at one place.
struct Differences {
    struct Blanks {
        std::size_t unit;
        std::size_t found;
    };
    std::size_t end = 0;
    // Made for every place tried, so left unset until written.
    std::array<Blanks, kMostUnits> blanks;
    std::size_t blankCount = 0;
    std::array<const Spelling*, kMostUnits> escapes;
    std::size_t escapeCount = 0;
    bool lineBreaks = false;
    bool doubleQuotes = false;
    bool lowerCase = false;  // some letter of a key in lower case
    bool upperCase = false;  // and some in capitals: mixed case
    bool utf16 = false;

    bool any() const {
        return blankCount > 0 || escapeCount > 0 || lineBreaks || doubleQuotes || lowerCase ||
               utf16;
    }
};

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool matchSpelling(std::string_view page, std::size_t& at, std::span<const Spelling> spellings,
                   Differences& differences) {
    for (const Spelling& spelling : spellings) {
        if (page.substr(at, spelling.written.size()) == spelling.written) {
            at += spelling.written.size();
            differences.doubleQuotes |= spelling.doubled && !spelling.escaped;
            if (spelling.escaped && differences.escapeCount < kMostUnits) {
                differences.escapes[differences.escapeCount++] = &spelling;
            }
            return true;
        }
    }
    return false;
}

// Blanks within the text may be any number and may break the line (one pair a line); those
// that end it are counted up to the record format's own, as what follows is the value's.
bool matchBlanks(std::string_view page, std::size_t& at, std::size_t unit, std::size_t expected,
                 bool last, Differences& differences) {
    std::size_t found = 0;
    const std::size_t most = last ? expected : kMostBlanks;
    bool lineBreak = false;
    for (; at < page.size() && found < most; ++at, ++found) {
        const char c = page[at];
        if (c == '\n' || c == '\r') {
            if (last) {
                break;
            }
            lineBreak = true;
        } else if (c != ' ') {
            break;
        }
    }
    if (found == kMostBlanks) {
        return false;
    }
    differences.lineBreaks |= lineBreak;
    if (!lineBreak && found != expected) {
        differences.blanks[differences.blankCount++] = {unit, found};
    }
    return true;
}

bool matchWord(std::string_view page, std::size_t& at, std::string_view word,
               Differences& differences) {
    if (page.size() - at < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i, ++at) {
        const char c = page[at];
        if (upper(c) != word[i]) {
            return false;
        }
        const bool letter = word[i] != '_';
        differences.lowerCase |= letter && c != word[i];
        differences.upperCase |= letter && c == word[i];
    }
    return true;
}

// Whether the text at `at` is a near form of `units`, or the text itself, and what differs.
bool matchAt(std::string_view page, std::size_t at, std::span<const Unit> units,
             Differences& differences) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const Unit& unit = units[i];
        bool matched = false;
        switch (unit.kind) {
            case UnitKind::Quote:
                matched = matchSpelling(page, at, kQuoteSpellings, differences);
                break;
            case UnitKind::Arrow:
                matched = matchSpelling(page, at, kArrowSpellings, differences);
                break;
            case UnitKind::Blanks:
                matched =
                    matchBlanks(page, at, i, unit.text.size(), i + 1 == units.size(), differences);
                break;
            case UnitKind::Word:
                matched = matchWord(page, at, unit.text, differences);
                break;
            case UnitKind::Mark:
                matched = at < page.size() && page[at] == unit.text[0];
                at += matched ? 1 : 0;
                break;
        }
        if (!matched) {
            return false;
        }
    }
    if (!differences.lowerCase) {
        differences.upperCase = false;
    }
    differences.end = at;
    return true;
}

// Where a near form whose `units` come right before `anchor` would start: the pieces matched
// backwards, which is unambiguous, as no spelling of a quote ends as another does and no blanks
// border on blanks. A place to try matchAt at, or none.
std::optional<std::size_t> startBefore(std::string_view page, std::size_t anchor,
                                       std::span<const Unit> units) {
    std::size_t at = anchor;
    for (auto unit = units.rbegin(); unit != units.rend(); ++unit) {
        if (unit->kind == UnitKind::Blanks) {
            for (std::size_t blanks = 0;
                 at > 0 && blanks < kMostBlanks &&
                 (page[at - 1] == ' ' || page[at - 1] == '\n' || page[at - 1] == '\r');
                 ++blanks) {
                --at;
            }
            continue;
        }
        const auto ends = [&](std::string_view text, bool anyCase) {
            const bool same =
                at >= text.size() &&
                std::equal(
                    text.begin(), text.end(), page.begin() + (at - text.size()),
                    [anyCase](char wanted, char c) { return (anyCase ? upper(c) : c) == wanted; });
            at -= same ? text.size() : 0;
            return same;
        };
        const bool matched = unit->kind == UnitKind::Quote
                                 ? std::any_of(kQuoteSpellings.begin(), kQuoteSpellings.end(),
                                               [&](const Spelling& spelling) {
                                                   return ends(spelling.written, false);
                                               })
                                 : ends(unit->text, unit->kind == UnitKind::Word);
        if (!matched) {
            return std::nullopt;
        }
    }
    return at;
}

// Whether the text at `at` is one of `utf16`'s.
bool matchUtf16(std::string_view page, std::size_t at, const std::array<std::string, 2>& utf16,
                Differences& differences) {
    // Either of the first two bytes is zero in both.
    if (page.size() - at < 2 || (page[at] != '\0' && page[at + 1] != '\0')) {
        return false;
    }
    for (const std::string& encoded : utf16) {
        if (page.substr(at, encoded.size()) == encoded) {
            differences.utf16 = true;
            differences.end = at + encoded.size();
            return true;
        }
    }
    return false;
}

// A near form is looked for around each `=` of an arrow (`=>`, `=&gt;`, UTF-16's `=` and a
// zero), or, for the thumbnail's closer, which has no arrow, each `},`. Such pairs are rare in a
// page, and a vector search passes over the bytes between, so that a page without a row costs
// little more to look at again than to read.
constexpr std::array kAnchors{BytePairSearch("=", std::string_view(">&\0", 3)),
                              BytePairSearch("}", std::string_view(",\0", 2))};

std::size_t mostBytesOf(const Unit& unit) {
    return unit.kind == UnitKind::Quote    ? 6  // "&#039;"
           : unit.kind == UnitKind::Arrow  ? 7  // "=&#x3e;"
           : unit.kind == UnitKind::Blanks ? kMostBlanks
                                           : unit.text.size();
}

// The text as UTF-16 without its mark: each byte beside a zero.
std::string utf16Of(std::string_view text, bool bigEndian) {
    std::string encoded;
    for (const char c : text) {
        encoded.append(bigEndian ? std::string{'\0', c} : std::string{c, '\0'});
    }
    return encoded;
}

std::string countWord(std::size_t count) {
    static constexpr std::array<std::string_view, 11> kWords{
        "no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
    return count < kWords.size() ? std::string(kWords[count]) : std::to_string(count);
}

std::string blanksCounted(std::size_t count) {
    return countWord(count).append(count == 1 || count == 0 ? " blank" : " blanks");
}

std::string blanksWhere(std::span<const Unit> units, std::size_t unit) {
    return unit + 1 < units.size() ? "before " + quoted(units[unit + 1].text) : "at its end";
}

// What an escaped spelling stands for, and what is told of it: of an arrow, whose `=` is as it
// should be, only its `>`.
std::pair<std::string_view, std::string_view> escapeOf(const Spelling& spelling) {
    const bool arrow = spelling.written[0] == '=';
    return {arrow ? ">" : "'", spelling.written.substr(arrow ? 1 : 0)};
}

// Where a near form lies, from the point of view of the record told of (or of a page without
// a record, whose near forms are its own).
enum class Place : std::uint8_t { Own, OtherRecord, OutsideRecords };

std::string_view recordAt(Place place) {
    static constexpr std::array<std::string_view, 3> kRecords{"the record", "another record",
                                                              "a text outside its records"};
    return kRecords[static_cast<std::size_t>(place)];
}

std::string escapesSaid(const Differences& differences, Place place) {
    std::string said = "the page holds " + std::string(recordAt(place)) + " with ";
    std::vector<std::pair<std::string_view, std::string_view>> seen;
    for (std::size_t i = 0; i < differences.escapeCount; ++i) {
        const auto escape = escapeOf(*differences.escapes[i]);
        if (std::ranges::find(seen, escape) == seen.end()) {
            seen.push_back(escape);
            said += (seen.size() > 1 ? " and " : "") + quoted(escape.first) + " written as " +
                    quoted(escape.second);
        }
    }
    const bool onlyArrows =
        std::ranges::all_of(seen, [](const auto& escape) { return escape.first == ">"; });
    return said.append(onlyArrows ? ", as a browser saves a page's text: save the page as 'HTML "
                                    "only' or its source"
                                  : ", as HTML escapes them: save the page's source, or ask for "
                                    "the records unescaped");
}

// Differences a user can mend by hand, each with the record format's own.
std::string textDifferencesSaid(std::string_view found, std::span<const Unit> units,
                                const Differences& differences, Place place) {
    std::vector<std::string> parts;
    if (differences.doubleQuotes) {
        parts.emplace_back("double quotes where the record format has single ones");
    }
    if (differences.lowerCase) {
        parts.emplace_back(differences.upperCase ? "its key in mixed case"
                                                 : "its key in lower case");
        parts.back().append(" where the record format has it in capitals");
    }
    for (std::size_t i = 0; i < differences.blankCount; ++i) {
        const auto& blanks = differences.blanks[i];
        parts.push_back(blanksCounted(blanks.found) + " " + blanksWhere(units, blanks.unit) +
                        (i == 0 ? " where the record format has " : " where it has ") +
                        countWord(units[blanks.unit].text.size()));
    }
    std::string said =
        place == Place::Own ? quoted(found).append(" has ")
        : place == Place::OtherRecord
            ? "the page holds " + quoted(found).append(" in another record, with ")
            : "the page holds " + quoted(found).append(" outside its records, with ");
    for (std::size_t i = 0; i < parts.size(); ++i) {
        said.append(i == 0 ? "" : ", and ").append(parts[i]);
    }
    return said;
}

std::string said(std::string_view found, std::span<const Unit> units,
                 const Differences& differences, Place place) {
    if (differences.utf16) {
        return "the page is UTF-16 text without a byte order mark (every other byte is zero): "
               "save it as UTF-8, or as UTF-16 with its mark (Notepad's \"Unicode\")";
    }
    if (differences.escapeCount > 0) {
        return escapesSaid(differences, place);
    }
    if (differences.lineBreaks) {
        return "the page holds " + std::string(recordAt(place)) +
               " one pair a line, as PHP's var_export writes it, where the record format has a "
               "whole record on one line: ask for the page with each record on one line";
    }
    return textDifferencesSaid(found, units, differences, place);
}

}  // namespace

// A text of the record format, taken apart once for every search.
struct NearFormSearch::Shape {
    std::string_view text;
    std::vector<Unit> units;
    std::array<std::string, 2> utf16;   // little and big endian
    std::size_t anchor = kAnchorCount;  // kArrow or kBrace
    std::size_t anchorUnit = 0;         // in units
    std::size_t anchorAt = 0;           // in text
    std::size_t mostBefore = 0;         // bytes a near form may hold before its anchor
    bool leadsToMarker = false;         // it stands before its record's marker, not after it

    Shape(std::string_view formatText, bool beforeMarker)
        : text(formatText),
          units(unitsOf(text)),
          utf16{utf16Of(text, false), utf16Of(text, true)},
          leadsToMarker(beforeMarker) {
        std::size_t before = 0;
        for (const Unit& unit : units) {
            if (unit.kind == UnitKind::Arrow || unit.text == "}") {
                anchor = unit.kind == UnitKind::Arrow ? kArrow : kBrace;
                anchorUnit = static_cast<std::size_t>(&unit - units.data());
                anchorAt = static_cast<std::size_t>(unit.text.data() - text.data());
                mostBefore = std::max(before, 2 * anchorAt + 1);
                return;
            }
            before += mostBytesOf(unit);
        }
    }
};

const NearFormSearch::Shape& NearFormSearch::shapeOf(std::string_view text) {
    static const std::array<Shape, 6> kShapes{
        Shape(kReferenceRule.opener, true),  Shape(kNameRule.opener, true),
        Shape(kRecordMarker, false),         Shape(kPriceRule.closer, false),
        Shape(kThumbnailRule.opener, false), Shape(kThumbnailRule.closer, false)};
    const auto* const shape = std::ranges::find(kShapes, text, &Shape::text);
    if (shape == kShapes.end()) {
        throw std::invalid_argument("not a text of the record format");
    }
    return *shape;
}

std::vector<std::string_view> missingTexts(const PageNote& note) {
    std::vector<std::string_view> texts;
    const auto add = [&texts](std::string_view text) {
        if (std::ranges::find(texts, text) == texts.end()) {
            texts.push_back(text);
        }
    };
    if (note.records == 0) {
        add(kRecordMarker);
    }
    for (const RecordNote& record : note.missing) {
        for (std::size_t column = 0; column < kFieldCount; ++column) {
            if (record.misses[column] != FieldMiss::Found) {
                add(missingText(column, record.misses[column]));
            }
        }
        if (texts.size() == 2 * kFieldCount) {
            break;  // every text there is: a page of millions of records need not be gone through
        }
    }
    return texts;
}

NearFormSearch::NearFormSearch(std::vector<std::string_view> wanted, SearchedRecords records)
    : m_records(records) {
    for (const std::string_view text : wanted) {
        const Shape& shape = shapeOf(text);
        m_patterns.push_back({&shape, false});
        m_mostBefore = std::max(m_mostBefore, shape.mostBefore);
    }
    // Record markers are counted at their arrows.
    m_mostBefore = std::max(m_mostBefore, shapeOf(kRecordMarker).anchorAt);
    if (std::ranges::find(wanted, kThumbnailRule.closer) != wanted.end()) {
        m_thumbnailOpener = &shapeOf(kThumbnailRule.opener);
        m_mostBefore = std::max(m_mostBefore, m_thumbnailOpener->anchorAt);
    }
}

void NearFormSearch::feed(std::string_view block) {
    m_window.append(block);
    if (m_window.size() > kMostFormBytes + m_mostBefore) {
        search(m_window.size() - kMostFormBytes);
    }
}

bool NearFormSearch::done() const {
    return settled(m_markers);
}

// Whether nothing is left to find past a place with `markersBefore` record markers before it.
bool NearFormSearch::settled(std::uint64_t markersBefore) const {
    return std::ranges::all_of(m_patterns, &Pattern::found) &&
           (m_records.missing.empty() || markersBefore > m_records.missing.back().record + 1);
}

// The arrows are searched before the braces, so the record markers before a brace are those
// before the stretch searched and those met in it before the brace.
std::uint64_t NearFormSearch::markersBefore(std::size_t at, std::size_t kind) const {
    if (kind == kArrow) {
        return m_markers;
    }
    const auto here = std::lower_bound(m_markersHere.begin(), m_markersHere.end(), at);
    return m_markers - static_cast<std::uint64_t>(m_markersHere.end() - here);
}

void NearFormSearch::countMarker(std::string_view page, std::size_t anchor) {
    static const std::size_t arrowAt = shapeOf(kRecordMarker).anchorAt;
    if (anchor >= arrowAt && page.substr(anchor - arrowAt, kRecordMarker.size()) == kRecordMarker) {
        ++m_markers;
        m_markersHere.push_back(anchor);
    }
}

std::uint64_t NearFormSearch::recordOf(const Shape& shape, std::uint64_t markersBefore) const {
    if (!shape.leadsToMarker) {
        if (markersBefore == 0) {
            return kNoRecord;
        }
        --markersBefore;  // the record of the marker before
    }
    return markersBefore < m_records.count ? markersBefore : kNoRecord;
}

// The record's note, if it lacks `text` and has no near form of it yet.
RecordNote* NearFormSearch::lacking(std::uint64_t record, std::string_view text) {
    const auto note = std::ranges::lower_bound(m_records.missing, record, {}, &RecordNote::record);
    if (note == m_records.missing.end() || note->record != record) {
        return nullptr;
    }
    for (std::size_t column = 0; column < kFieldCount; ++column) {
        if (note->misses[column] != FieldMiss::Found &&
            note->nearForms[column] == RecordNote::kNoNearForm &&
            missingText(column, note->misses[column]) == text) {
            return &*note;
        }
    }
    return nullptr;
}

// The near form of `text` found before as `found`, or kNone.
std::size_t NearFormSearch::sameForm(std::string_view text, std::string_view found) const {
    for (std::size_t i = 0; i < m_found.size(); ++i) {
        if (m_found[i].text == text && m_foundBytes[i] == found) {
            return i;
        }
    }
    return kNone;
}

std::vector<NearForm> NearFormSearch::finish() {
    search(m_window.size());
    m_window.clear();
    return std::move(m_found);
}

// Looks at the anchors before `end`, and at where a near form around each would start. All bytes
// a form there may take are in the window, as `end` stops short of its end by the longest form
// unless the page ends there. What no later anchor can reach is then let go.
void NearFormSearch::search(std::size_t end) {
    const std::string_view page = m_window;
    m_markersHere.clear();
    for (std::size_t anchor = 0; anchor < kAnchorCount; ++anchor) {
        std::size_t& from = m_anchorsFrom[anchor];
        std::array<std::size_t, 64> hits{};
        while (from < end && !settled(markersBefore(from, anchor))) {
            const std::size_t count = kAnchors[anchor].find(page.substr(0, end + 1), from, hits);
            for (std::size_t i = 0; i < count; ++i) {
                tryAt(page, hits[i], anchor);
            }
        }
        // Every place before `end` was looked at, and none after: the search stops a byte
        // past, where a pair cannot start.
        from = end;
    }
    const std::size_t gone = end > m_mostBefore ? end - m_mostBefore : 0;
    m_window.erase(0, gone);
    m_windowFrom += gone;
    for (std::size_t& from : m_anchorsFrom) {
        from -= gone;
    }
}

// The thumbnail's closer holds no key to tell it from the `', },` or `',` and `},` on two lines
// of a page's scripts, which often come before its records: a near form of it counts only after
// the thumbnail's opener, which the record that lacks the closer holds as it stands.
void NearFormSearch::noteThumbnailOpener(std::string_view page, std::size_t anchor) {
    const Shape* const opener = m_thumbnailOpener;
    if (opener != nullptr && m_thumbnailOpenerAt == UINT64_MAX && anchor >= opener->anchorAt &&
        page.substr(anchor - opener->anchorAt, opener->text.size()) == opener->text) {
        m_thumbnailOpenerAt = m_windowFrom + anchor;
    }
}

// A near form found in `record`: kept when it is the first of its text, or when the record
// lacks the text and no near form found before reads the same.
template <typename Said>
void NearFormSearch::keep(Pattern& pattern, std::uint64_t record, std::string_view found,
                          const Said& said) {
    const Shape& shape = *pattern.shape;
    RecordNote* const note = lacking(record, shape.text);
    if (pattern.found && note == nullptr) {
        return;
    }
    std::size_t index = sameForm(shape.text, found);
    if (index == kNone && (!pattern.found || m_found.size() < kMostNearForms)) {
        index = m_found.size();
        m_found.push_back({shape.text, said(true), pattern.found ? std::string() : said(false)});
        m_foundBytes.emplace_back(found);
        pattern.found = true;
    }
    for (std::size_t column = 0; note != nullptr && index != kNone && column < kFieldCount;
         ++column) {
        if (note->misses[column] != FieldMiss::Found &&
            missingText(column, note->misses[column]) == shape.text) {
            note->nearForms[column] = static_cast<std::uint8_t>(index);
        }
    }
}

void NearFormSearch::tryAt(std::string_view page, std::size_t anchor, std::size_t kind) {
    if (kind == kArrow) {
        noteThumbnailOpener(page, anchor);
        countMarker(page, anchor);
    } else if (m_windowFrom + anchor < m_thumbnailOpenerAt) {
        return;
    }
    for (Pattern& pattern : m_patterns) {
        const Shape& shape = *pattern.shape;
        if (shape.anchor != kind) {
            continue;
        }
        Differences differences;
        for (std::size_t bigEndian = 0; bigEndian < 2 && !differences.utf16; ++bigEndian) {
            matchUtf16(page, anchor - std::min(anchor, 2 * shape.anchorAt + bigEndian), shape.utf16,
                       differences);
        }
        std::optional<std::size_t> start;
        if (differences.utf16 ||
            ((start = startBefore(page, anchor, std::span(shape.units).first(shape.anchorUnit))) &&
             matchAt(page, *start, shape.units, differences) && differences.any())) {
            const std::size_t from = start.value_or(differences.end - shape.utf16[0].size());
            const std::uint64_t record = recordOf(shape, markersBefore(anchor, kind));
            const std::string_view found = page.substr(from, differences.end - from);
            const Place elsewhere =
                record == kNoRecord ? Place::OutsideRecords : Place::OtherRecord;
            keep(pattern, record, found, [&](bool own) {
                return said(found, shape.units, differences, own ? Place::Own : elsewhere);
            });
        }
    }
}

}  // namespace catalog
