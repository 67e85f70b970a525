// What a page gave besides its row: how many records it holds, and for each field whether its
// markers were found, so that the programs can say why a page gave no row or why a value reads
// "String Matching Failed". Nothing here changes a byte of the listing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "collect/listing.h"

namespace catalog {

// Why a field's rule found nothing.
enum class FieldMiss : std::uint8_t {
    Found,
    NoOpener,       // the text before the value is nowhere in the page
    NoCloserAfter,  // it is, but the text after the value never follows it
};

struct PageFinding {
    // Occurrences of the record marker: a page without one gives no row, and a page with
    // several gives one row whose values run from the first record to the last.
    std::uint64_t records = 0;
    std::array<FieldMiss, kFieldCount> misses{};  // in the listing's column order

    bool holdsRecord() const { return records > 0; }
    bool severalRecords() const { return records > 1; }
    bool fieldNotFound() const;
    // Whether the user would want to hear of the page: every page but one with a plain row.
    bool worthTelling() const { return records != 1 || fieldNotFound(); }
};

// Pages worth telling of, by kind; a page may count under more than one.
struct PageCounts {
    std::size_t withoutRecord = 0;
    std::size_t withFieldNotFound = 0;
    std::size_t withSeveralRecords = 0;

    void add(const PageFinding& finding);
    PageCounts& operator+=(const PageCounts& other);
};

// A page worth telling of, by the name of its file, with the listing row it gave, if any.
struct PageNote {
    static constexpr std::size_t kNoRow = SIZE_MAX;

    std::string file;
    PageFinding finding;
    std::size_t row = kNoRow;
};

// "no `, 'THUMBNAIL' => '` in the page", or "`, 'THUMBNAIL' => '` found, but no `',  }, ` after
// it": the marker that was missing for the field in `column`, in the page's own words.
std::string missReason(std::size_t column, FieldMiss miss);
// "the page holds 2 records: each value runs from the first record to the last".
std::string severalRecordsReason(std::uint64_t records);
// Everything worth telling of one page on one line: no record, the fields not found and why,
// several records.
std::string explanationOf(const PageFinding& finding);

}  // namespace catalog
