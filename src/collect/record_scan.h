#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "collect/field_extraction.h"
#include "collect/listing.h"
#include "collect/page_finding.h"
#include "collect/stop_flag.h"
#include "collect/wrap_clues.h"

namespace catalog {

// Bytes [begin, end) of a file.
struct FileSpan {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// What the four field rules find in one record's piece of a page: for each, in the listing's
// column order, the bytes of its match, whether its markers occur only at the match's two ends,
// and why it found nothing.
struct RecordMatches {
    std::array<std::optional<FileSpan>, kFieldCount> spans;
    std::array<bool, kFieldCount> markersOnce{};
    std::array<FieldMiss, kFieldCount> misses{};
};

// Called with each record of a page as soon as the scan knows where its piece ends.
using OnRecord = std::function<void(const RecordMatches&)>;

// Cuts a page into its records as its bytes pass by, block after block, and finds the field
// rules' matches in each record's piece. A page holds as many records as the record marker
// occurs; neighbouring records are parted, in the text between their markers, after the first
// thumbnail closer, else before the last reference opener, else before the last name opener,
// else right before the later marker. Each piece then gives what the rules give on it as a text
// of its own: a rule's match runs from the first occurrence of its opener to the end of the last
// occurrence of its closer. A record is settled when the next marker is met, so what the scan
// keeps does not grow with the page or its records. Occurrences that straddle two blocks are
// found as well; blocks may be of any size, even one byte.
class RecordScan {
public:
    // `clues`, if given, hears of the clues to a wrapping in the page's bytes, found in the same
    // pass, for as long as the page holds no record: what follows the first is not needed.
    explicit RecordScan(ClueSearch* clues = nullptr);

    // The page's next bytes, right after those fed before; `onRecord` hears of every record
    // settled by them.
    void feed(std::string_view block, const OnRecord& onRecord);
    // At the page's end: `onRecord` hears of its last record.
    void finish(const OnRecord& onRecord);

    std::uint64_t records() const { return m_records; }

    static constexpr std::size_t kMarkers = 6;
    using Positions = std::array<std::uint64_t, kMarkers>;

    // The occurrences of every marker since a place in the page: the first, the latest and the
    // one before it. No two occurrences of one marker straddle one place, so these tell which
    // of them end by any place the scan has not passed.
    struct Tally {
        Positions first;
        Positions latest;
        Positions previous;

        static Tally none();
        void add(std::size_t marker, std::uint64_t at);
    };
    // The first and the last occurrence of every marker lying wholly in a piece.
    struct Marks {
        Positions first;
        Positions last;
    };
    // A place where the piece of the record in hand may end: what the piece then holds, and what
    // the next one has gathered since.
    struct Cut {
        std::uint64_t at;
        Marks before;
        Tally after;
    };

private:
    // Long enough to hold every marker but its last byte: all an occurrence can have in the
    // blocks before the one it ends in.
    static constexpr std::size_t kCarry = 31;

    void scan(std::string_view window, std::uint64_t offset, const OnRecord& onRecord);
    std::size_t scanWithClues(std::string_view window, std::uint64_t offset,
                              const OnRecord& onRecord);
    void scanAt(std::string_view window, std::size_t quote, std::uint64_t offset,
                const OnRecord& onRecord);
    void found(std::size_t marker, std::uint64_t at, const OnRecord& onRecord);
    void foundRecord(std::uint64_t at, const OnRecord& onRecord);
    void keepTail(std::string_view block);

    // The places where the piece in hand may end, each made when the scan meets it: after the
    // first thumbnail closer, before the latest reference opener and the one before it, and the
    // same for the name opener. Only those in m_cutsMade hold one.
    enum CutSlot : unsigned { kAfterCloser, kBeforeReference, kBeforeName = kBeforeReference + 2 };
    static constexpr std::size_t kCutSlots = kBeforeName + 2;

    bool holds(unsigned slot) const { return (m_cutsMade >> slot & 1U) != 0; }
    void makeCut(unsigned slot, const Cut& cut);
    const Cut* latestCut(unsigned slot, std::size_t marker, std::uint64_t next) const;

    Tally m_piece = Tally::none();  // since the piece in hand began
    std::array<Cut, kCutSlots> m_cuts;
    unsigned m_cutsMade = 0;
    std::uint64_t m_records = 0;
    std::uint64_t m_gapStart = 0;      // where the text after the record in hand's marker starts
    std::uint64_t m_foundUpTo = 0;     // occurrences starting before it were found already
    std::array<char, kCarry> m_carry;  // m_carried bytes of it
    std::size_t m_carried = 0;
    std::uint64_t m_fed = 0;
    ClueSearch* m_clues;
};

// Reads up to `most` bytes at `offset` of the scanned file into `into`; fewer, down to 0, only
// where the file now ends. Throws as the file's reads do.
using ReadAt = std::function<std::size_t(std::uint64_t offset, char* into, std::size_t most)>;

// A match read again came back shorter than the scan saw it: the file changed meanwhile.
class FileChanged : public std::exception {
public:
    const char* what() const noexcept override { return "the file changed while it was read"; }
};

// The bytes of a page from which a record's row is made: those still held in memory, from
// `heldFrom` on, and the rest read again through `readAt` (may be empty when all are held).
struct PageBytes {
    std::string_view held;
    std::uint64_t heldFrom = 0;
    ReadAt readAt;
};

// The row the four field rules make of a record's piece, made from its matches: only their
// bytes are ever read. Between reads it throws RunStopped once `stop` is requested. A match cut
// short, where the file now ends sooner, throws FileChanged; whether the bytes read are still
// those scanned is the caller's to make sure of.
FieldLengths appendMatchedRow(const RecordMatches& matches, const PageBytes& page, std::string& out,
                              const StopFlag* stop = nullptr);

}  // namespace catalog
