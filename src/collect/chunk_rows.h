// The rows of a run's files as the reading threads keep them, in runs of files (chunks), and
// their putting together into one listing in the order of the names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "collect/collection_run.h"
#include "collect/folder_index.h"
#include "collect/record_reader.h"

namespace catalog {

// Files are handed to the reading threads in runs: few enough hand-outs to cost nothing, small
// enough that the threads finish close together; as many as a FileBatch reads together.
inline constexpr std::size_t kChunkFiles = 32;

// A run of whole lines lying back to back in one of a chunk's blocks, which its runs fill in
// turn: a run starts where the one before it in the block ends.
struct LineRun {
    std::uint32_t block = 0;  // in Chunk::blocks
    std::uint32_t lines = 1;  // counted as they are added: values may hold line ends of their own
    std::size_t end = 0;
};

// What reading a run of files gave. Written by the one thread that takes it; the calling thread
// looks at it once the others are joined.
struct Chunk {
    // The listing lines found, back to back, in blocks. A block that holds a megabyte takes no
    // more: a row after a huge one would otherwise grow the block, and copy it all, for a few
    // bytes.
    std::vector<std::string> blocks;
    // Every line on a run of its own when rows keep their details, else the lines of a page
    // that lie together in one run.
    std::vector<LineRun> runs;
    std::vector<FieldLengths> fields;  // per run, with row details only
    // Where each file's runs start (a chunk holds at most a few gigabytes of lines), and one
    // file more's: a file's runs end where the next one's start. Not an allocation a chunk more.
    std::array<std::uint32_t, kChunkFiles + 1> firstRuns{};
    std::vector<std::pair<std::size_t, PageNote>> notes;  // by slot, of pages worth telling
    PageCounts pageCounts;
    std::vector<std::exception_ptr> failures;  // per file, made once one fails
    std::size_t filesRead = 0;                 // as told in the progress
    bool complete = false;                     // every file read, failed or not, or the run stopped
};

// Takes the rows of one file after the other into a chunk.
class ChunkRows final : public RowSink {
public:
    ChunkRows(Chunk& chunk, RowDetails rowDetails, bool pageNotes)
        : m_chunk(chunk), m_rowDetails(rowDetails), m_pageNotes(pageNotes) {
        m_chunk.blocks.emplace_back();
    }

    void beginFile() {
        m_start = {m_chunk.blocks.size(), m_chunk.blocks.back().size(), m_chunk.runs.size()};
        m_record = 0;
        m_missing.clear();
    }

    std::string& rowText() override {
        if (m_chunk.blocks.back().size() >= kBlockBytes) {
            m_chunk.blocks.emplace_back();
        }
        return m_chunk.blocks.back();
    }

    void rowAdded(const FieldLengths& fields, const FieldMisses& misses) override {
        std::string& text = m_chunk.blocks.back();
        text.append(kLineEnd);
        const auto block = static_cast<std::uint32_t>(m_chunk.blocks.size() - 1);
        LineRun* last = m_chunk.runs.size() > m_start.runs ? &m_chunk.runs.back() : nullptr;
        if (m_rowDetails == RowDetails::None && last != nullptr && last->block == block) {
            last->end = text.size();
            ++last->lines;
        } else {
            m_chunk.runs.push_back({block, 1, text.size()});
            if (m_rowDetails != RowDetails::None) {
                m_chunk.fields.push_back(fields);
            }
        }
        if (m_pageNotes && anyMissing(misses)) {
            m_missing.push_back({m_record, misses});
        }
        ++m_record;
    }

    void restartPage() override {
        m_chunk.blocks.resize(m_start.blocks);
        m_chunk.blocks.back().resize(m_start.blockBytes);
        m_chunk.runs.resize(m_start.runs);
        m_chunk.fields.resize(m_rowDetails != RowDetails::None ? m_start.runs : 0);
        m_record = 0;
        m_missing.clear();
    }

    // The file in `slot` is read, and held `finding`. Returns the page's note, if it is one to
    // tell of and notes are kept.
    PageNote* endFile(std::size_t slot, const PageFinding& finding) {
        m_chunk.firstRuns[slot] = static_cast<std::uint32_t>(m_start.runs);
        m_chunk.firstRuns[slot + 1] = static_cast<std::uint32_t>(m_chunk.runs.size());
        m_chunk.pageCounts.add(finding);
        if (!m_pageNotes || !finding.worthTelling()) {
            return nullptr;
        }
        PageNote& note = m_chunk.notes.emplace_back(slot, PageNote{}).second;
        note.records = finding.records;
        note.reading = finding.reading;
        note.kind = finding.kind;
        note.missing = std::move(m_missing);
        m_missing = {};
        return &note;
    }

private:
    // A block that holds a megabyte takes no more rows (see Chunk::blocks).
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

    struct Start {
        std::size_t blocks = 0;
        std::size_t blockBytes = 0;
        std::size_t runs = 0;
    };

    Chunk& m_chunk;
    const RowDetails m_rowDetails;
    const bool m_pageNotes;
    Start m_start;
    std::uint64_t m_record = 0;
    std::vector<RecordNote> m_missing;
};

// Adds the rows of every chunk to `collected` (with its notes), page by page in `nameOrder`, the
// indexes in `files` (file i lies in chunk i / kChunkFiles). Throws the failure of the first
// failing file in that order.
void listInNameOrder(std::vector<Chunk>& chunks, std::span<const std::uint32_t> nameOrder,
                     const FolderIndex& files, RowDetails rowDetails, Collected& collected);

}  // namespace catalog
