// What a page gave besides its rows: how many records it holds, and for each record whether the
// markers of every field were found, so that the programs can say why a page gave no row or why
// a value reads "String Matching Failed". Nothing here changes a byte of the listing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collect/file_kinds.h"
#include "collect/listing.h"
#include "collect/text_reading.h"

namespace catalog {

// Why a field's rule found nothing.
enum class FieldMiss : std::uint8_t {
    Found,
    NoOpener,       // the text before the value is nowhere in the record
    NoCloserAfter,  // it is, but the text after the value never follows it
};

// For each field of a record, in the listing's column order, whether it was found.
using FieldMisses = std::array<FieldMiss, kFieldCount>;

bool anyMissing(const FieldMisses& misses);

struct PageFinding {
    std::uint64_t records = 0;  // occurrences of the record marker: the page's rows
    std::uint64_t recordsWithFieldNotFound = 0;
    TextReading reading;             // how its text was read
    FileKind kind = FileKind::Text;  // what it is, told for a page without a record

    bool holdsRecord() const { return records > 0; }
    bool fieldNotFound() const { return recordsWithFieldNotFound > 0; }
    // Whether the user would want to hear of the page: no row, a value not found, or rows read
    // through a wrapping.
    bool worthTelling() const { return !holdsRecord() || fieldNotFound() || reading.wrapped(); }
};

// Pages by kind; a page may count under more than one.
struct PageCounts {
    std::size_t withoutRecord = 0;
    std::size_t withFieldNotFound = 0;  // in any of its records
    std::size_t withSeveralRecords = 0;
    std::size_t readThroughWrapping = 0;

    void add(const PageFinding& finding);
    PageCounts& operator+=(const PageCounts& other);
};

// A record of a page with a field not found: which record (from 0), what it lacks, and, for each
// field not found, the near form of the missing text that the record itself holds: an index in
// its page's nearForms, or kNoNearForm.
struct RecordNote {
    static constexpr std::uint8_t kNoNearForm = UINT8_MAX;

    std::uint64_t record = 0;
    FieldMisses misses{};
    std::array<std::uint8_t, kFieldCount> nearForms = [] {
        std::array<std::uint8_t, kFieldCount> none{};
        none.fill(kNoNearForm);
        return none;
    }();
};

// A text of the record format that a page lacks, and what the page holds in its place, said for
// a user: "`'PRICE'  => ` has two blanks before `=>` where the record format has one" of the
// record that holds it (or of a page without a record), and "the page holds `'PRICE'  => ` in
// another record, with two blanks ..." of a record that lacks the text and holds no near form.
struct NearForm {
    std::string_view text;  // one of the record format's own texts, which live for ever
    std::string explanation;
    std::string elsewhere;  // of the first near form of each text only
};

// A page worth telling of, by the name of its file, with the listing row of its first record,
// if it has any, and its records that lack a field, in order.
struct PageNote {
    static constexpr std::size_t kNoRow = SIZE_MAX;

    std::string file;
    std::uint64_t records = 0;
    std::size_t firstRow = kNoRow;
    std::vector<RecordNote> missing;
    std::vector<NearForm> nearForms;  // of the texts it lacks, where the page holds one
    TextReading reading;
    FileKind kind = FileKind::Text;
    // Of a subfolder: its pages that give rows; of the subfolders not named, how many.
    std::size_t kindCount = 0;
};

// How a row names its page: the file's name alone when the page holds one record, and which of
// its records it is when more: "garden-bundle.html (2 of 3)". `record` counts from 0.
std::string recordName(std::string_view file, std::uint64_t record, std::uint64_t records);

// A text of the record format, or a page's, as the explanations quote it: "`'PRICE' => `".
std::string quoted(std::string_view text);

// The text of the record format whose absence made the field in `column` not found.
std::string_view missingText(std::size_t column, FieldMiss miss);

// "no `, 'THUMBNAIL' => '` in the record", or "`, 'THUMBNAIL' => '` found, but no `',  }, `
// after it": the marker that was missing for the field in `column` of `record`, in the page's
// own words; or, where the record or else another part of the page holds a near form of it
// (`near`, its page's), what differs.
std::string missReason(const RecordNote& record, std::size_t column,
                       std::span<const NearForm> near = {});
// How a page read through a wrapping was read, for a user: "read as UTF-16 without a byte order
// mark"; empty for a page read as it stands.
std::string readingDescription(const TextReading& reading);

// The lines telling of a page: one for a page without a record, else one for each record with a
// field not found, each starting with the page's or record's name; a page read through a wrapping
// says so first. Made one at a time, as a page may hold millions.
std::size_t explanationLineCount(const PageNote& note);
std::string explanationLine(const PageNote& note, std::size_t line);

}  // namespace catalog
