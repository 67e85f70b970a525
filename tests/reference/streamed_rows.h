// The rows the programs' streamed scan makes of a text, driven the plain way for the tests and
// the fuzzer to compare with the reference routines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "collect/page_finding.h"
#include "collect/record_reader.h"
#include "collect/wrap_clues.h"

namespace catalog {

// Takes rows into one string, each ended by CR LF, keeping what the records lack.
class StringSink final : public RowSink {
public:
    std::string rows;
    std::vector<FieldMisses> misses;  // per row

    std::string& rowText() override { return rows; }
    void rowAdded(const FieldLengths&, const FieldMisses& missed) override;
    void restartPage() override;
};

struct StreamedRows {
    std::string rows;  // the listing lines, each ended by CR LF
    std::uint64_t records = 0;
    std::vector<FieldMisses> misses;  // per row
    WrapClues clues;                  // what the scan saw of them, of a page without a record
};

// `text` fed to the scan in blocks of `blockSize` bytes, each row made from the last block alone
// where it lies there, else from its matches read again from `text` cut to `readable` bytes (a
// file that shrank since it was scanned).
StreamedRows streamedRows(std::string_view text, std::size_t blockSize,
                          std::size_t readable = SIZE_MAX);

}  // namespace catalog
