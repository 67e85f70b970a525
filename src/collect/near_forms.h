// Pages that give no row, or a record that lacks a field, often hold the missing text in a form
// close to it: saved by a browser (`=&gt;`), written by another tool (double quotes, keys in lower
// case, one pair a line), or saved as UTF-16 without its mark. Finding that form lets the
// programs say what differs and what to do, where "no `', 'PRICE' => ` in the page" leaves the
// user looking at `'PRICE' => 7.25` in it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collect/page_finding.h"

namespace catalog {

// A page is searched this far at most: a page that holds a near form holds it early.
inline constexpr std::uint64_t kMostNearFormBytes = std::uint64_t{64} << 20;

// The texts of the record format a page may lack, from the note of what it lacks: the record
// marker for a page without a record, and each missing field's opener or closer.
std::vector<std::string_view> missingTexts(const PageNote& note);

// The records of a page, so that a near form is told of the record that holds it: how many the
// page holds, and those that lack a field, in order. A record holds the near forms of the texts
// that lead up to its record marker (the id's and the name's openers) from the marker before on,
// and those of the texts that follow it up to the next marker.
struct SearchedRecords {
    std::uint64_t count = 0;
    std::span<RecordNote> missing;
};

// Looks for near forms of `wanted` in a page's text, given block after block: the first of each,
// and for each record of `records` that lacks a wanted text, the first its own piece holds.
// `wanted` are texts of the record format (missingTexts); any other throws std::invalid_argument.
// What it keeps does not grow with the records: a record's near form is only an index in the
// near forms found, which differ from one another, and are a few dozen at most; a record whose
// own differs from all of those is told of the first the page holds, as found elsewhere.
class NearFormSearch {
public:
    explicit NearFormSearch(std::vector<std::string_view> wanted, SearchedRecords records = {});
    NearFormSearch(const NearFormSearch&) = delete;
    NearFormSearch& operator=(const NearFormSearch&) = delete;

    // The page's next bytes; blocks may be cut anywhere.
    void feed(std::string_view block);
    // Whether every wanted text has its near form, and every record that lacks one has been
    // passed: reading further is no use.
    bool done() const;
    // At the page's end (or where reading stopped): the near forms found, each with what it
    // says to the user, the first of each text first. The records' nearForms index them.
    std::vector<NearForm> finish();

private:
    struct Shape;
    struct Pattern {
        const Shape* shape;
        bool found;
    };
    static const Shape& shapeOf(std::string_view text);
    static constexpr std::size_t kArrow = 0;
    static constexpr std::size_t kBrace = 1;
    static constexpr std::size_t kAnchorCount = 2;
    static constexpr std::uint64_t kNoRecord = UINT64_MAX;
    static constexpr std::size_t kNone = SIZE_MAX;
    // Near forms found, at most: the first of each text, and those of records that differ.
    static constexpr std::size_t kMostNearForms = 32;
    static_assert(kMostNearForms < RecordNote::kNoNearForm);
    void search(std::size_t end);
    void tryAt(std::string_view page, std::size_t anchor, std::size_t kind);
    void noteThumbnailOpener(std::string_view page, std::size_t anchor);
    void countMarker(std::string_view page, std::size_t anchor);
    std::uint64_t markersBefore(std::size_t at, std::size_t kind) const;
    bool settled(std::uint64_t markersBefore) const;
    std::uint64_t recordOf(const Shape& shape, std::uint64_t markersBefore) const;
    RecordNote* lacking(std::uint64_t record, std::string_view text);
    std::size_t sameForm(std::string_view text, std::string_view found) const;
    // `said(own)` tells the near form `found`, as the record's own or as another part's.
    template <typename Said>
    void keep(Pattern& pattern, std::uint64_t record, std::string_view found, const Said& said);

    std::vector<Pattern> m_patterns;
    std::size_t m_mostBefore = 0;  // bytes a near form may hold before its anchor
    std::string m_window;          // the page's bytes still to look at, and those just before
    std::array<std::size_t, kAnchorCount> m_anchorsFrom{};  // where to look for each next, in it
    std::uint64_t m_windowFrom = 0;                         // where the window starts in the page
    const Shape* m_thumbnailOpener = nullptr;               // when its closer is wanted
    std::uint64_t m_thumbnailOpenerAt = UINT64_MAX;         // the first one's anchor, in the page
    std::vector<NearForm> m_found;
    std::vector<std::string> m_foundBytes;  // of each near form found, as the page holds it
    SearchedRecords m_records;
    std::uint64_t m_markers = 0;             // record markers met by the search for arrows
    std::vector<std::size_t> m_markersHere;  // the arrows of those since `search` began, in it
};

}  // namespace catalog
