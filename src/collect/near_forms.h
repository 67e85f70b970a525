// Pages that give no row, or a record that lacks a field, often hold the missing text in a form
// close to it: saved by a browser (`=&gt;`), written by another tool (double quotes, keys in lower
// case, one pair a line), or saved as UTF-16 without its mark. Finding that form lets the
// programs say what differs and what to do, where "no `', 'PRICE' => ` in the page" leaves the
// user looking at `'PRICE' => 7.25` in it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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

// Looks for near forms of `wanted` in a page's text, given block after block, and tells the first
// it finds of each. `wanted` are texts of the record format (missingTexts); any other throws
// std::invalid_argument.
class NearFormSearch {
public:
    explicit NearFormSearch(std::vector<std::string_view> wanted);
    NearFormSearch(const NearFormSearch&) = delete;
    NearFormSearch& operator=(const NearFormSearch&) = delete;

    // The page's next bytes; blocks may be cut anywhere.
    void feed(std::string_view block);
    // Whether every wanted text has its near form: reading further is no use.
    bool done() const;
    // At the page's end (or where reading stopped): the near forms found, each with what it
    // says to the user.
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
    void search(std::size_t end);
    void tryAt(std::string_view page, std::size_t anchor, std::size_t kind);
    void noteThumbnailOpener(std::string_view page, std::size_t anchor);

    std::vector<Pattern> m_patterns;
    std::size_t m_mostBefore = 0;  // bytes a near form may hold before its anchor
    std::string m_window;          // the page's bytes still to look at, and those just before
    std::array<std::size_t, kAnchorCount> m_anchorsFrom{};  // where to look for each next, in it
    std::uint64_t m_windowFrom = 0;                         // where the window starts in the page
    const Shape* m_thumbnailOpener = nullptr;               // when its closer is wanted
    std::uint64_t m_thumbnailOpenerAt = UINT64_MAX;         // the first one's anchor, in the page
    std::vector<NearForm> m_found;
};

}  // namespace catalog
