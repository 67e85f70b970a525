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

namespace catalog {

// Bytes [begin, end) of a file.
struct FileSpan {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// What decides the field rules for a file too large to hold, gathered while its bytes pass by
// block after block: whether the record marker occurs, and for every marker of the four rules
// its first and its last occurrence. A rule's match runs from the first occurrence of its
// opener to the end of the last occurrence of its closer, when that opener ends at or before
// that closer starts: exactly the last match of its pattern in the whole text. Occurrences that
// straddle two blocks are found as well; blocks may be of any size, even one byte.
class RecordScan {
public:
    RecordScan();

    // The file's next bytes, right after those fed before.
    void feed(std::string_view block);

    bool holdsRecord() const;
    // How many records the text holds, and why any field's rule finds nothing.
    PageFinding finding() const;
    // The bytes of `rule`'s match, or nullopt when the rule finds nothing. `rule` is one of the
    // four field rules.
    std::optional<FileSpan> matchOf(const FieldRule& rule) const;
    // Whether `rule`'s opener and closer each occur exactly once: its match then holds them
    // only at its two ends.
    bool markersOccurOnce(const FieldRule& rule) const;

private:
    static constexpr std::size_t kMarkers = 6;
    // Long enough to hold every marker but its last byte: all an occurrence can have in the
    // blocks before the one it ends in.
    static constexpr std::size_t kCarry = 31;
    static constexpr std::uint64_t kNone = UINT64_MAX;

    void scan(std::string_view window, std::uint64_t offset);
    void scanAt(std::string_view window, std::size_t quote, std::uint64_t offset);
    void found(std::size_t marker, std::uint64_t at);
    void keepTail(std::string_view block);

    std::array<std::uint64_t, kMarkers> m_first;
    std::array<std::uint64_t, kMarkers> m_last;
    std::array<std::uint64_t, kMarkers> m_count{};
    std::array<char, kCarry> m_carry{};
    std::size_t m_carried = 0;
    std::uint64_t m_fed = 0;
};

// Reads up to `most` bytes at `offset` of the scanned file into `into`; fewer, down to 0, only
// where the file now ends. Throws as the file's reads do.
using ReadAt = std::function<std::size_t(std::uint64_t offset, char* into, std::size_t most)>;

// A match read again came back shorter than the scan saw it: the file changed meanwhile.
class FileChanged : public std::exception {
public:
    const char* what() const noexcept override { return "the file changed while it was read"; }
};

// The row the four field rules make of the whole text, made from the scan of a record and the
// bytes of the four matches read again through `readAt`: only those bytes are ever held.
// Between reads it throws RunStopped once `stop` is requested. A match cut short, where the
// file now ends sooner, throws FileChanged; whether the bytes read are still those scanned is
// the caller's to make sure of.
FieldLengths appendScannedRow(const RecordScan& scan, const ReadAt& readAt, std::string& out,
                              const StopFlag* stop = nullptr);
// The same for the scan of a text held whole.
FieldLengths appendScannedRow(const RecordScan& scan, std::string_view text, std::string& out,
                              const StopFlag* stop = nullptr);

}  // namespace catalog
