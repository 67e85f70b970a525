#include "reference/streamed_rows.h"

#include <algorithm>

#include "collect/record_scan.h"

namespace catalog {

void StringSink::rowAdded(const FieldLengths&, const FieldMisses& missed) {
    rows.append(kLineEnd);
    misses.push_back(missed);
}

void StringSink::restartPage() {
    rows.clear();
    misses.clear();
}

StreamedRows streamedRows(std::string_view text, std::size_t blockSize, std::size_t readable) {
    const std::string_view file = text.substr(0, std::min(readable, text.size()));
    PageBytes bytes;
    bytes.readAt = [file](std::uint64_t offset, char* into, std::size_t most) -> std::size_t {
        const std::string_view rest = file.substr(std::min<std::size_t>(offset, file.size()));
        const std::size_t got = std::min(most, rest.size());
        std::copy_n(rest.data(), got, into);
        return got;
    };
    StringSink sink;
    const OnRecord onRecord = [&](const RecordMatches& matches) {
        appendMatchedRow(matches, bytes, sink.rows);
        sink.rowAdded({}, matches.misses);
    };
    ClueSearch clues;
    RecordScan scan(&clues);
    for (std::size_t at = 0; at < text.size(); at += blockSize) {
        bytes.held = text.substr(at, blockSize);
        bytes.heldFrom = at;
        scan.feed(bytes.held, onRecord);
    }
    scan.finish(onRecord);
    return {std::move(sink.rows), scan.records(), std::move(sink.misses), clues.clues()};
}

}  // namespace catalog
