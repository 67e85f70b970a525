// Which wrapping a page without a record is read through. The first reading of a page looks, as it
// passes, for the bytes `PRICE` (plain, or as UTF-16 of either byte order; and `PR` as UTF-32,
// which is not read but named), and only a page that holds them, or a single-file save, is read
// again: an image or an archive never is. That second reading decodes every wrapping at once and
// looks for the record marker under each; the first wrapping, in a fixed order, under which the
// page holds one is the page's reading, and a third reading then makes its rows.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/record_scan.h"
#include "collect/text_reading.h"
#include "collect/wrap_clues.h"

namespace catalog {

// The readings of a page that gave no record as it stands, in the order they are tried, each
// with the clue its page's text must hold for it to count.
struct Candidate {
    enum class Needs { Nothing, Price, PriceLe, PriceBe };
    TextReading reading;
    Needs needs = Needs::Nothing;
};

// `marked` is the page's UTF-16 mark, if any; `mhtml` whether it is a single-file save; `clues`
// what its first reading found, which for a single-file save are looked for again in its text
// parts. Empty when no reading may give a record: the page is not read again.
std::vector<Candidate> candidatesFor(PageEncoding marked, bool mhtml, const WrapClues& clues);

// The second reading: the page's bytes from textStart() on, block after block, decoded under
// every candidate at once, each searched for the record marker.
class WrappingChoice {
public:
    WrappingChoice(const std::vector<Candidate>& candidates,
                   const std::optional<MhtmlMessage>& message);
    // Its scan holds its clues by address.
    WrappingChoice(const WrappingChoice&) = delete;
    WrappingChoice& operator=(const WrappingChoice&) = delete;

    void feed(std::string_view bytes);
    // The first candidate holds a marker: reading on can change nothing.
    bool settled() const;
    // At the page's end (or once settled): the reading to make its rows with, if any.
    std::optional<TextReading> finish();

private:
    struct Tried {
        Candidate candidate;
        PageDecoder decoder;
        bool holdsMarker = false;
        std::string text;  // the tail of the text decoded so far, then the next block's
    };

    void search(Tried& tried, std::size_t from);

    std::vector<Tried> m_tried;
    // Of the first candidate's text, a single-file save's text parts, until it holds a record:
    // then it is the reading, whatever its clues.
    ClueSearch m_baseClues;
    RecordScan m_baseScan{&m_baseClues};
    bool m_cluesFromBase;
    DecodeScratch m_scratch;
};

}  // namespace catalog
