#include "collect/record_collection.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "collect/folder_index.h"
#include "collect/listing.h"
#include "collect/record_reader.h"
#include "platform/file_batch.h"
#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

// Files are handed out in runs: few enough hand-outs to cost nothing, small enough that the
// workers finish close together.
constexpr std::size_t kChunkFiles = 32;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

struct LineSpan {
    std::uint32_t block = 0;  // in Chunk::blocks
    // The page is worth telling of: its finding is in Chunk::notes. Kept here, beside what the
    // listing's order reads anyway, rather than in an array of its own to look up for every file.
    bool noted = false;
    std::size_t offset = 0;
    std::size_t length = kNoLine;

    static constexpr std::size_t kNoLine = SIZE_MAX;
};

// What a window needs besides the line and the file's name; kept apart, so that a run without
// row details does not carry it through the cache.
struct RowDetails {
    FieldLengths fields{};
};

// What reading a run of files gave. Written by the one worker that takes it; the calling thread
// looks at it once the workers are joined.
struct Chunk {
    // The listing lines found, back to back, in blocks. A block that holds a megabyte takes no
    // more: a row after a huge one would otherwise grow the block, and copy it all, for a few
    // bytes.
    std::vector<std::string> blocks;
    std::vector<LineSpan> lineOf;                            // per file
    std::vector<RowDetails> details;                         // per file, with row details only
    std::vector<std::pair<std::size_t, PageFinding>> notes;  // by slot, of pages worth telling
    PageCounts pageCounts;
    std::vector<std::exception_ptr> failures;  // per file, made once one fails
    std::size_t rowCount = 0;
    std::size_t filesRead = 0;  // as told in the progress
};

// What one thread reads with, made once, on that thread: the system's batches belong to one.
struct ThreadReader {
    RecordReader record;
    FileBatch batch{kChunkFiles, RecordReader::kSmallFile};
    std::size_t lastRows = 0;  // the bytes of rows of its last chunk
};

// Who reads a chunk. Helpers only ever speed the run up: short of memory or descriptors, a
// helper gives its chunk back and leaves, and so does the calling thread while helpers may be
// what took them. What fails on the calling thread alone fails the run, as with one thread.
enum class Role { Helper, Caller, Alone };

// The chunk was given back, to be read again by the calling thread alone.
struct GivenBack {};

bool ranShort(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return true;
    }
    const auto* error = dynamic_cast<const FileError*>(&failure);
    return error != nullptr && isShortage(error->errorNumber());
}

// Files are read in the file system's order (see FolderIndex); the names' byte order only
// matters for the listing, which is put in that order at the end.
class Collection {
public:
    Collection(const std::string& folderPath, const RunOptions& options)
        : m_requestedStop(options.stop),
          m_rowDetails(options.rowDetails),
          m_pageNotes(options.pageNotes),
          m_folder(Folder::open(folderPath)),
          m_files(std::in_place, m_folder,
                  [stop = options.stop] { return !(stop && stop->requested()); }),
          m_fileCount(m_files->size()),
          m_chunks((m_fileCount + kChunkFiles - 1) / kChunkFiles) {}

    std::size_t chunkCount() const { return m_chunks.size(); }

    // Room for every chunk that `helpers` and the calling thread may give back, made before
    // they start: giving back must not need memory.
    void expectHelpers(std::size_t helpers) { m_givenBack.reserve(helpers + 1); }

    // The calling thread's share of the order work, done while the helpers read. False when
    // there was no memory for it: the calling thread then goes on alone, which sorts them.
    bool trySortNames() {
        try {
            m_nameOrder = m_files->nameOrder();
            return true;
        } catch (const std::bad_alloc&) {
            m_alone.store(true);
            return false;
        }
    }

    // A helper's whole life. Nothing thrown leaves: out of a helper thread, an exception would
    // end the process.
    void help() noexcept {
        try {
            ThreadReader reader;
            work(reader, nullptr, Role::Helper);
        } catch (const std::bad_alloc&) {
            // No memory for its buffers: it leaves its share to the others.
        } catch (...) {
            fail(std::current_exception());
        }
    }

    // The calling thread's reading beside the helpers, until no chunk is left or it must go on
    // alone; `client` hears of the progress.
    void readBesideHelpers(ThreadReader& reader, CollectionClient& client) {
        work(reader, &client, Role::Caller);
    }

    // Once the helpers are joined: the names' order if it is still to be made, the chunks
    // given back, then any not taken.
    void finishAlone(ThreadReader& reader, CollectionClient& client) {
        if (m_nameOrder.size() != m_fileCount) {
            m_nameOrder = m_files->nameOrder();
        }
        m_alone.store(true);
        for (const std::size_t chunk : m_givenBack) {
            if (!stopped()) {
                readChunkAs(chunk, reader, &client, Role::Alone);
            }
        }
        work(reader, &client, Role::Alone);
    }

    void stop() { m_stop.store(true); }
    bool stopped() const {
        return m_stop.load() || (m_requestedStop && m_requestedStop->requested());
    }

    // Once every worker is done.
    Collected result(CollectionClient& client) {
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        if (stopped()) {
            throw RunStopped();
        }
        Collected collected{Listing(m_rowDetails), m_fileCount, !m_folder.isOpen(), {}, {}, {}};
        if (m_fileCount == 0) {
            const Folder::OtherEntries others = m_folder.countOtherEntries();
            collected.leftovers = {others.subfolders, others.rest};
        }
        std::vector<std::string_view> blocks;
        std::vector<std::size_t> firstBlock;  // per chunk, in `blocks`
        blocks.reserve(m_chunks.size());
        firstBlock.reserve(m_chunks.size());
        std::size_t rows = 0;
        for (Chunk& chunk : m_chunks) {
            firstBlock.push_back(blocks.size());
            for (std::string& block : chunk.blocks) {
                blocks.push_back(collected.listing.hold(std::move(block)));
            }
            rows += chunk.rowCount;
            collected.pageCounts += chunk.pageCounts;
        }
        collected.listing.reserveLines(rows, m_files->nameBytes());
        for (const std::uint32_t file : m_nameOrder) {
            const Chunk& chunk = m_chunks[file / kChunkFiles];
            const std::size_t slot = file % kChunkFiles;
            if (!chunk.failures.empty() && chunk.failures[slot]) {
                std::rethrow_exception(chunk.failures[slot]);
            }
            const LineSpan line = chunk.lineOf[slot];
            if (line.noted && m_pageNotes) {
                addNote(collected, chunk, slot, file, line);
            }
            if (line.length == LineSpan::kNoLine) {
                continue;
            }
            const std::string_view text =
                blocks[firstBlock[file / kChunkFiles] + line.block].substr(line.offset,
                                                                           line.length);
            if (m_rowDetails) {
                collected.listing.addLine(text, chunk.details[slot].fields,
                                          m_files->nameView(file));
            } else {
                collected.listing.addLine(text);
            }
        }
        m_files.reset();
        if (collected.files > 0 && m_lastReported != collected.files) {
            client.filesRead(collected.files, collected.files);
        }
        return collected;
    }

private:
    void addNote(Collected& collected, const Chunk& chunk, std::size_t slot, std::uint32_t file,
                 const LineSpan& line) const {
        const auto note = std::find_if(chunk.notes.begin(), chunk.notes.end(),
                                       [slot](const auto& noted) { return noted.first == slot; });
        const std::size_t row =
            line.length == LineSpan::kNoLine ? PageNote::kNoRow : collected.listing.rowCount();
        collected.notes.push_back({std::string(m_files->nameView(file)), note->second, row});
    }

    // Takes chunks until none is left, or until this thread gives one back. A failure outside
    // any one file (the bookkeeping's memory, the client) ends the run.
    void work(ThreadReader& reader, CollectionClient* reporter, Role role) {
        try {
            while (!stopped() && !(role == Role::Helper && m_alone.load())) {
                const std::size_t chunk = m_nextChunk++;
                if (chunk >= m_chunks.size() || !readChunkAs(chunk, reader, reporter, role)) {
                    return;
                }
            }
        } catch (...) {
            fail(std::current_exception());
        }
    }

    // False when the chunk was given back.
    bool readChunkAs(std::size_t index, ThreadReader& reader, CollectionClient* reporter,
                     Role role) {
        try {
            reader.lastRows = readChunk(index, reader, reporter, role);
            return true;
        } catch (const GivenBack&) {
        } catch (const std::bad_alloc&) {
            if (role == Role::Alone) {
                throw;
            }
        }
        giveBack(index);
        if (role == Role::Caller) {
            m_alone.store(true);
        }
        return false;
    }

    void giveBack(std::size_t index) {
        Chunk& chunk = m_chunks[index];
        m_filesRead.fetch_sub(chunk.filesRead);
        chunk = Chunk{};
        const std::lock_guard lock(m_givenBackMutex);
        m_givenBack.push_back(index);
    }

    // Returns the bytes of rows the chunk took: folders hold pages much alike, so room for as
    // much is set aside for the next chunk, which then grows its rows once rather than a dozen
    // times. Capped, so that one huge row does not set as much aside for every chunk after it.
    std::size_t readChunk(std::size_t index, ThreadReader& reader, CollectionClient* reporter,
                          Role role) {
        constexpr std::size_t kMostRoom = 64 * 1024;
        Chunk& chunk = m_chunks[index];
        const std::size_t first = index * kChunkFiles;
        const std::size_t count = std::min(kChunkFiles, m_fileCount - first);
        chunk.lineOf.resize(count);
        if (m_rowDetails) {
            chunk.details.resize(count);
        }
        chunk.blocks.emplace_back().reserve(
            std::min(reader.lastRows + reader.lastRows / 8, kMostRoom));
        const bool batched = readTogether(reader.batch, first, count);
        for (std::size_t slot = 0; slot < count && !stopped(); ++slot) {
            try {
                const std::optional<std::string_view> whole =
                    batched ? reader.batch.whole(slot) : std::nullopt;
                readFile(chunk, slot, first + slot, reader.record, whole);
            } catch (const std::exception& failure) {
                if (role != Role::Alone && ranShort(failure)) {
                    throw GivenBack();
                }
                // Files not read yet may hold a failure earlier in name order: go on.
                chunk.failures.resize(count);
                chunk.failures[slot] = std::current_exception();
            }
            ++chunk.filesRead;
            const std::size_t done = m_filesRead.fetch_add(1) + 1;
            if (reporter != nullptr) {
                report(*reporter, done);
            }
        }
        std::size_t bytes = 0;
        for (const std::string& block : chunk.blocks) {
            bytes += block.size();
        }
        return bytes;
    }

    // Small files are read together where the system can; the rest, and any file that failed
    // there, are read one by one, which also gives a failing file's exact error.
    bool readTogether(FileBatch& batch, std::size_t first, std::size_t count) {
        if (!batch.active()) {
            return false;
        }
        std::array<const char*, kChunkFiles> names{};
        for (std::size_t slot = 0; slot < count; ++slot) {
            names[slot] = m_files->name(first + slot);
        }
        batch.read(m_folder, std::span(names.data(), count));
        return true;
    }

    // A row too large for the memory left is its file's failure, whatever else the run holds.
    void readFile(Chunk& chunk, std::size_t slot, std::size_t file, RecordReader& reader,
                  std::optional<std::string_view> whole) {
        const char* const name = m_files->name(file);
        if (chunk.blocks.back().size() >= kBlockBytes) {
            chunk.blocks.emplace_back();
        }
        std::string& rows = chunk.blocks.back();
        const std::size_t offset = rows.size();
        try {
            const PageRow page = whole ? reader.appendRow(*whole, rows, m_requestedStop)
                                       : reader.appendRow(m_folder, name, rows, m_requestedStop);
            if (page.finding.worthTelling()) {
                note(chunk, slot, page.finding);
            }
            if (!page.finding.holdsRecord()) {
                return;
            }
            rows.append(kLineEnd);
            if (m_rowDetails) {
                chunk.details[slot] = {page.fields};
            }
        } catch (const std::bad_alloc&) {
            rows.resize(offset);
            throw FileError("read", m_folder.path() + name, errorNumberOf(Condition::OutOfMemory));
        }
        LineSpan& line = chunk.lineOf[slot];
        line.block = static_cast<std::uint32_t>(chunk.blocks.size() - 1);
        line.offset = offset;
        line.length = rows.size() - offset;
        ++chunk.rowCount;
    }

    static void note(Chunk& chunk, std::size_t slot, const PageFinding& finding) {
        chunk.notes.emplace_back(slot, finding);
        chunk.pageCounts.add(finding);
        chunk.lineOf[slot].noted = true;
    }

    void fail(std::exception_ptr failure) noexcept {
        if (!m_failed.exchange(true)) {
            m_failure = std::move(failure);
        }
        stop();
    }

    void report(CollectionClient& client, std::size_t done) {
        client.filesRead(done, m_fileCount);
        m_lastReported = done;
    }

    const StopFlag* const m_requestedStop;  // by the caller; may be null
    const bool m_rowDetails;
    const bool m_pageNotes;
    const Folder m_folder;
    std::optional<const FolderIndex> m_files;  // until the workers are done
    const std::size_t m_fileCount;
    std::vector<Chunk> m_chunks;  // m_chunks[i] holds files i * kChunkFiles ... of m_files
    std::atomic<std::size_t> m_nextChunk{0};
    std::atomic<std::size_t> m_filesRead{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_alone{false};  // helpers take no more chunks
    std::atomic<bool> m_failed{false};
    std::exception_ptr m_failure;  // set once, by the thread that set m_failed
    std::mutex m_givenBackMutex;
    std::vector<std::size_t> m_givenBack;  // chunks for the calling thread alone

    // The calling thread's own.
    std::vector<std::uint32_t> m_nameOrder;
    std::size_t m_lastReported = 0;
};

}  // namespace

Collected collectRecords(const std::string& folderPath, CollectionClient& client, unsigned workers,
                         const RunOptions& options) {
    Collection collection(folderPath, options);
    stopIfRequested(options.stop);
    // Made before any helper starts, so that no helper takes what the run needs on one thread.
    ThreadReader reader;
    {
        // A folder of one chunk is read by the calling thread alone.
        const std::size_t helperCount =
            std::max<std::size_t>(std::min<std::size_t>(workers, collection.chunkCount()), 1) - 1;
        collection.expectHelpers(helperCount);
        std::vector<std::jthread> helpers;
        try {
            helpers.reserve(helperCount);
            while (helpers.size() < helperCount) {
                helpers.emplace_back(&Collection::help, &collection);
            }
        } catch (const std::exception&) {
            // Fewer threads than asked for (no memory or no thread left) only make the run
            // slower.
        }
        try {
            if (collection.trySortNames() && !helpers.empty()) {
                collection.readBesideHelpers(reader, client);
            }
        } catch (...) {
            // The helpers are joined on the way out; they stop after the file in hand.
            collection.stop();
            throw;
        }
    }
    collection.finishAlone(reader, client);
    return collection.result(client);
}

}  // namespace catalog
