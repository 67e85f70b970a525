#include "collect/chunk_rows.h"

#include <algorithm>
#include <string_view>

namespace catalog {

namespace {

// The note of the page in `slot`, if it has one (none without page notes), taken from the chunk,
// as a page's notes may be many.
void addNote(Collected& collected, Chunk& chunk, std::size_t slot, std::string_view file,
             bool hasRows) {
    const auto note =
        std::ranges::find(chunk.notes, slot, &std::pair<std::size_t, PageNote>::first);
    if (note == chunk.notes.end()) {
        return;
    }
    PageNote& added = collected.notes.emplace_back(std::move(note->second));
    added.file = file;
    added.firstRow = hasRows ? collected.listing.rowCount() : PageNote::kNoRow;
}

}  // namespace

void listInNameOrder(std::vector<Chunk>& chunks, std::span<const std::uint32_t> nameOrder,
                     const FolderIndex& files, RowDetails rowDetails, Collected& collected) {
    std::vector<std::string_view> blocks;
    std::vector<std::size_t> firstBlock;                // per chunk, in `blocks`
    std::vector<std::span<const FieldLengths>> fields;  // per chunk
    blocks.reserve(chunks.size());
    fields.reserve(chunks.size());
    firstBlock.reserve(chunks.size());
    std::size_t lines = 0;  // a line for each run: rows without details share them
    for (Chunk& chunk : chunks) {
        firstBlock.push_back(blocks.size());
        for (std::string& block : chunk.blocks) {
            blocks.push_back(collected.listing.hold(std::move(block)));
        }
        fields.push_back(collected.listing.holdFields(std::move(chunk.fields)));
        lines += chunk.runs.size();
        collected.pageCounts += chunk.pageCounts;
    }
    collected.listing.reserveLines(lines, nameOrder.size(), files.nameBytes());
    for (const std::uint32_t file : nameOrder) {
        Chunk& chunk = chunks[file / kChunkFiles];
        const std::size_t slot = file % kChunkFiles;
        if (!chunk.failures.empty() && chunk.failures[slot]) {
            std::rethrow_exception(chunk.failures[slot]);
        }
        const std::uint32_t firstRun = chunk.firstRuns[slot];
        const std::uint32_t endRun = chunk.firstRuns[slot + 1];
        addNote(collected, chunk, slot, files.nameView(file), endRun > firstRun);
        if (endRun > firstRun && rowDetails == RowDetails::All) {
            collected.listing.addPage(files.nameView(file));
        }
        const std::span<const std::string_view> chunkBlocks =
            std::span(blocks).subspan(firstBlock[file / kChunkFiles]);
        for (std::size_t run = firstRun; run < endRun; ++run) {
            const LineRun& line = chunk.runs[run];
            const LineRun* before = run > 0 ? &chunk.runs[run - 1] : nullptr;
            const std::size_t start = before && before->block == line.block ? before->end : 0;
            const std::string_view text = chunkBlocks[line.block].substr(start, line.end - start);
            if (rowDetails != RowDetails::None) {
                collected.listing.addLine(text, fields[file / kChunkFiles][run]);
            } else {
                collected.listing.addLines(text, line.lines);
            }
        }
    }
}

}  // namespace catalog
