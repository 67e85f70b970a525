#include "collect/chunk_rows.h"

#include <algorithm>
#include <string_view>

namespace catalog {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// Taken from the chunk, as a page's notes may be many.
void addNote(Collected& collected, Chunk& chunk, std::size_t slot, std::string_view file,
             bool hasRows) {
    const auto note = std::find_if(chunk.notes.begin(), chunk.notes.end(),
                                   [slot](const auto& noted) { return noted.first == slot; });
    PageNote& added = collected.notes.emplace_back(std::move(note->second));
    added.file = file;
    added.firstRow = hasRows ? collected.listing.rowCount() : PageNote::kNoRow;
}

}  // namespace

ChunkRows::ChunkRows(Chunk& chunk, bool rowDetails, bool pageNotes)
    : m_chunk(chunk), m_rowDetails(rowDetails), m_pageNotes(pageNotes) {
    m_chunk.blocks.emplace_back();
}

void ChunkRows::beginFile() {
    m_start = {m_chunk.blocks.size(), m_chunk.blocks.back().size(), m_chunk.runs.size()};
    m_record = 0;
    m_missing.clear();
}

std::string& ChunkRows::rowText() {
    if (m_chunk.blocks.back().size() >= kBlockBytes) {
        m_chunk.blocks.emplace_back();
    }
    return m_chunk.blocks.back();
}

void ChunkRows::rowAdded(std::size_t start, const FieldLengths& fields, const FieldMisses& misses) {
    std::string& text = m_chunk.blocks.back();
    text.append(kLineEnd);
    const auto block = static_cast<std::uint32_t>(m_chunk.blocks.size() - 1);
    LineRun* last = m_chunk.runs.size() > m_start.runs ? &m_chunk.runs.back() : nullptr;
    if (!m_rowDetails && last != nullptr && last->block == block &&
        last->offset + last->length == start) {
        last->length = text.size() - last->offset;
        ++last->lines;
    } else {
        m_chunk.runs.push_back({block, 1, start, text.size() - start});
        if (m_rowDetails) {
            m_chunk.fields.push_back(fields);
        }
    }
    if (m_pageNotes && anyMissing(misses)) {
        m_missing.push_back({m_record, misses});
    }
    ++m_record;
}

void ChunkRows::restartPage() {
    m_chunk.blocks.resize(m_start.blocks);
    m_chunk.blocks.back().resize(m_start.blockBytes);
    m_chunk.runs.resize(m_start.runs);
    m_chunk.fields.resize(m_rowDetails ? m_start.runs : 0);
    m_record = 0;
    m_missing.clear();
}

PageNote* ChunkRows::endFile(std::size_t slot, const PageFinding& finding) {
    m_chunk.filesLines[slot] = {static_cast<std::uint32_t>(m_start.runs),
                                static_cast<std::uint32_t>(m_chunk.runs.size() - m_start.runs),
                                m_pageNotes && finding.worthTelling()};
    m_chunk.pageCounts.add(finding);
    if (!m_chunk.filesLines[slot].noted) {
        return nullptr;
    }
    PageNote& note = m_chunk.notes.emplace_back(slot, PageNote{}).second;
    note.records = finding.records;
    note.missing = std::move(m_missing);
    m_missing = {};
    return &note;
}

void listInNameOrder(std::vector<Chunk>& chunks, std::span<const std::uint32_t> nameOrder,
                     const FolderIndex& files, bool rowDetails, Collected& collected) {
    std::vector<std::string_view> blocks;
    std::vector<std::size_t> firstBlock;  // per chunk, in `blocks`
    blocks.reserve(chunks.size());
    firstBlock.reserve(chunks.size());
    std::size_t lines = 0;  // a line for each run: rows without details share them
    for (Chunk& chunk : chunks) {
        firstBlock.push_back(blocks.size());
        for (std::string& block : chunk.blocks) {
            blocks.push_back(collected.listing.hold(std::move(block)));
        }
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
        const FileLines& lines = chunk.filesLines[slot];
        if (lines.noted) {
            addNote(collected, chunk, slot, files.nameView(file), lines.runs > 0);
        }
        if (lines.runs > 0 && rowDetails) {
            collected.listing.addPage(files.nameView(file));
        }
        const std::span<const std::string_view> chunkBlocks =
            std::span(blocks).subspan(firstBlock[file / kChunkFiles]);
        for (std::size_t run = lines.firstRun; run < lines.firstRun + lines.runs; ++run) {
            const LineRun& line = chunk.runs[run];
            const std::string_view text = chunkBlocks[line.block].substr(line.offset, line.length);
            if (rowDetails) {
                collected.listing.addLine(text, chunk.fields[run]);
            } else {
                collected.listing.addLines(text, line.lines);
            }
        }
    }
}

}  // namespace catalog
