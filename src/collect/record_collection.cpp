#include "collect/record_collection.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
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
#include "collect/near_forms.h"
#include "collect/pages_in_hand.h"
#include "collect/record_reader.h"
#include "collect/record_scan.h"
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
// How often the calling thread looks at the helpers' pages while it waits for them: as often as
// the programs redraw their progress.
constexpr auto kLookInterval = std::chrono::milliseconds(100);

// A run of whole lines lying back to back in one of a chunk's blocks.
struct LineRun {
    std::uint32_t block = 0;  // in Chunk::blocks
    std::uint32_t lines = 1;  // counted as they are added: values may hold line ends of their own
    std::size_t offset = 0;
    std::size_t length = 0;
};

// Where a file's lines are among its chunk's runs. Kept beside what the listing's order reads
// anyway, rather than in an array of its own to look up for every file, is whether the page is
// worth telling of: its note is then in Chunk::notes.
struct FileLines {
    std::uint32_t firstRun = 0;  // a chunk holds at most a few gigabytes of lines
    std::uint32_t runs = 0;
    bool noted = false;
};

// What reading a run of files gave. Written by the one worker that takes it; the calling thread
// looks at it once the workers are joined.
struct Chunk {
    // The listing lines found, back to back, in blocks. A block that holds a megabyte takes no
    // more: a row after a huge one would otherwise grow the block, and copy it all, for a few
    // bytes.
    std::vector<std::string> blocks;
    // Every line on a run of its own when rows keep their details, else the lines of a page
    // that lie together in one run.
    std::vector<LineRun> runs;
    std::vector<FieldLengths> fields;                     // per run, with row details only
    std::vector<FileLines> filesLines;                    // per file
    std::vector<std::pair<std::size_t, PageNote>> notes;  // by slot, of pages worth telling
    PageCounts pageCounts;
    std::vector<std::exception_ptr> failures;  // per file, made once one fails
    std::size_t filesRead = 0;                 // as told in the progress
};

// Takes the rows of one file after the other into a chunk.
class ChunkRows final : public RowSink {
public:
    ChunkRows(Chunk& chunk, bool rowDetails, bool pageNotes)
        : m_chunk(chunk), m_rowDetails(rowDetails), m_pageNotes(pageNotes) {}

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

    void rowAdded(std::size_t start, const FieldLengths& fields,
                  const FieldMisses& misses) override {
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

    void restartPage() override {
        m_chunk.blocks.resize(m_start.blocks);
        m_chunk.blocks.back().resize(m_start.blockBytes);
        m_chunk.runs.resize(m_start.runs);
        m_chunk.fields.resize(m_rowDetails ? m_start.runs : 0);
        m_record = 0;
        m_missing.clear();
    }

    // The file in `slot` is read, and held `finding`. Returns the page's note, if it is one
    // to tell of and notes are kept.
    PageNote* endFile(std::size_t slot, const PageFinding& finding) {
        m_chunk.filesLines[slot] = {static_cast<std::uint32_t>(m_start.runs),
                                    static_cast<std::uint32_t>(m_chunk.runs.size() - m_start.runs),
                                    false};
        m_chunk.pageCounts.add(finding);
        if (!finding.worthTelling()) {
            return nullptr;
        }
        m_chunk.filesLines[slot].noted = true;
        if (!m_pageNotes) {
            return nullptr;
        }
        PageNote& note = m_chunk.notes.emplace_back(slot, PageNote{}).second;
        note.records = finding.records;
        note.missing = std::move(m_missing);
        m_missing = {};
        return &note;
    }

private:
    struct Start {
        std::size_t blocks = 0;
        std::size_t blockBytes = 0;
        std::size_t runs = 0;
    };

    Chunk& m_chunk;
    const bool m_rowDetails;
    const bool m_pageNotes;
    Start m_start;
    std::uint64_t m_record = 0;
    std::vector<RecordNote> m_missing;
};

// What one thread reads with, made once, on that thread: the system's batches belong to one.
struct ThreadReader {
    explicit ThreadReader(PageWatch& pageWatch) : page(pageWatch) {}

    PageWatch& page;  // told of each page read block by block
    RecordReader record;
    FileBatch batch{kChunkFiles, RecordReader::kSmallFile};
    std::size_t lastRows = 0;  // the bytes of rows of its last chunk
};

// The calling thread's own page: besides publishing it, the calling thread tells of the slow
// pages between its blocks.
class CallerPage final : public PageWatch {
public:
    CallerPage(SlowPages& slow, CollectionClient& client)
        : m_page(slow.of(0)), m_slow(slow), m_client(client) {}

    void opened(const char* name, std::uint64_t size) override { m_page.opened(name, size); }
    void blockRead(std::uint64_t read) override {
        m_page.blockRead(read);
        if (m_page.seen()) {
            m_slow.report(m_client);
        }
    }
    void closed() noexcept override { m_page.closed(); }

private:
    PageInHand& m_page;
    SlowPages& m_slow;
    CollectionClient& m_client;
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
          m_chunks((m_fileCount + kChunkFiles - 1) / kChunkFiles),
          m_slow(options.slowPageAfter) {}

    std::size_t chunkCount() const { return m_chunks.size(); }

    // Room for every chunk that `helpers` and the calling thread may give back, and for their
    // pages in hand, made before they start: giving back must not need memory.
    void expectHelpers(std::size_t helpers) {
        m_givenBack.reserve(helpers + 1);
        m_slow.expect(helpers + 1);
    }
    // The calling thread's pages are the first; helper `n` (from 1) has the n-th.
    SlowPages& slowPages() { return m_slow; }

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
    void help(std::size_t helper) noexcept {
        try {
            ThreadReader reader(m_slow.of(helper));
            work(reader, nullptr, Role::Helper);
        } catch (const std::bad_alloc&) {
            // No memory for its buffers: it leaves its share to the others.
        } catch (...) {
            fail(std::current_exception());
        }
        {
            const std::lock_guard lock(m_helpersMutex);
            ++m_helpersDone;
        }
        m_helperDone.notify_all();
    }

    // The calling thread's reading beside the helpers, until no chunk is left or it must go on
    // alone; `client` hears of the progress.
    void readBesideHelpers(ThreadReader& reader, CollectionClient& client) {
        work(reader, &client, Role::Caller);
    }

    // Until the `helpers` started are done, the calling thread tells `client` how far they
    // are: the files they read and their slow pages. Their threads are joined after it.
    void waitForHelpers(std::size_t helpers, CollectionClient& client) {
        std::unique_lock lock(m_helpersMutex);
        while (
            !m_helperDone.wait_for(lock, kLookInterval, [&] { return m_helpersDone == helpers; })) {
            lock.unlock();
            m_slow.report(client);
            const std::size_t done = m_filesRead.load();
            if (done != m_lastReported) {
                tellFilesRead(client, done);
            }
            lock.lock();
        }
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
        if (m_slow.told()) {
            m_slow.report(client);  // the pages are read: the last slow one is over
        }
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
        std::size_t lines = 0;  // a line for each run: rows without details share them
        for (Chunk& chunk : m_chunks) {
            firstBlock.push_back(blocks.size());
            for (std::string& block : chunk.blocks) {
                blocks.push_back(collected.listing.hold(std::move(block)));
            }
            lines += chunk.runs.size();
            collected.pageCounts += chunk.pageCounts;
        }
        collected.listing.reserveLines(lines, m_fileCount, m_files->nameBytes());
        for (const std::uint32_t file : m_nameOrder) {
            Chunk& chunk = m_chunks[file / kChunkFiles];
            const std::size_t slot = file % kChunkFiles;
            if (!chunk.failures.empty() && chunk.failures[slot]) {
                std::rethrow_exception(chunk.failures[slot]);
            }
            const FileLines& lines = chunk.filesLines[slot];
            if (lines.noted && m_pageNotes) {
                addNote(collected, chunk, slot, m_files->nameView(file), lines.runs > 0);
            }
            if (lines.runs > 0 && m_rowDetails) {
                collected.listing.addPage(m_files->nameView(file));
            }
            const std::span<const std::string_view> chunkBlocks =
                std::span(blocks).subspan(firstBlock[file / kChunkFiles]);
            for (std::size_t run = lines.firstRun; run < lines.firstRun + lines.runs; ++run) {
                const LineRun& line = chunk.runs[run];
                const std::string_view text =
                    chunkBlocks[line.block].substr(line.offset, line.length);
                if (m_rowDetails) {
                    collected.listing.addLine(text, chunk.fields[run]);
                } else {
                    collected.listing.addLines(text, line.lines);
                }
            }
        }
        m_files.reset();
        if (collected.files > 0 && m_lastReported != collected.files) {
            client.filesRead(collected.files, collected.files);
        }
        return collected;
    }

private:
    // Taken from the chunk, as a page's notes may be many.
    static void addNote(Collected& collected, Chunk& chunk, std::size_t slot, std::string_view file,
                        bool hasRows) {
        const auto note = std::find_if(chunk.notes.begin(), chunk.notes.end(),
                                       [slot](const auto& noted) { return noted.first == slot; });
        PageNote& added = collected.notes.emplace_back(std::move(note->second));
        added.file = file;
        added.firstRow = hasRows ? collected.listing.rowCount() : PageNote::kNoRow;
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
                // A helper may be on a slow page while this thread reads small ones: looked at
                // once a chunk, not once a file.
                if (role == Role::Caller) {
                    m_slow.report(*reporter);
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
        chunk.filesLines.resize(count);
        chunk.blocks.emplace_back().reserve(
            std::min(reader.lastRows + reader.lastRows / 8, kMostRoom));
        const bool batched = readTogether(reader.batch, first, count);
        ChunkRows rows(chunk, m_rowDetails, m_pageNotes);
        for (std::size_t slot = 0; slot < count && !stopped(); ++slot) {
            try {
                const std::optional<std::string_view> whole =
                    batched ? reader.batch.whole(slot) : std::nullopt;
                readFile(rows, slot, first + slot, reader, whole, role);
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
    void readFile(ChunkRows& rows, std::size_t slot, std::size_t file, ThreadReader& reader,
                  std::optional<std::string_view> whole, Role role) {
        const char* const name = m_files->name(file);
        rows.beginFile();
        PageNote* note = nullptr;
        try {
            const PageFinding finding =
                whole
                    ? reader.record.appendRows(*whole, rows, m_requestedStop)
                    : reader.record.appendRows(m_folder, name, rows, m_requestedStop, &reader.page);
            note = rows.endFile(slot, finding);
        } catch (const std::bad_alloc&) {
            rows.restartPage();
            throw FileError("read", m_folder.path() + name, errorNumberOf(Condition::OutOfMemory));
        } catch (...) {
            rows.restartPage();
            throw;
        }
        if (note != nullptr) {
            lookForNearForms(*note, name, reader.record, whole, role);
        }
    }

    // What the page holds in place of the texts it lacks, read once more, only as far as
    // kMostNearFormBytes. It only adds to what the user is told: a page that can no longer be
    // read, or no memory for it, leaves the plain explanation. But a helper short of memory or
    // descriptors gives its chunk back, as when reading rows: one thread alone would have had
    // them, and the explanations must not depend on the number of threads.
    void lookForNearForms(PageNote& note, const char* name, RecordReader& reader,
                          std::optional<std::string_view> whole, Role role) {
        try {
            NearFormSearch search(missingTexts(note));
            const auto feed = [&search](std::string_view block) {
                search.feed(block);
                return !search.done();
            };
            if (whole) {
                RecordReader::readText(*whole, kMostNearFormBytes, feed);
            } else {
                reader.readText(m_folder, name, kMostNearFormBytes, feed, m_requestedStop);
            }
            note.nearForms = search.finish();
        } catch (const FileChanged&) {
        } catch (const FileError& failure) {
            giveBackIfShort(failure, role);
        } catch (const std::bad_alloc& failure) {
            giveBackIfShort(failure, role);
        }
    }

    static void giveBackIfShort(const std::exception& failure, Role role) {
        if (role != Role::Alone && ranShort(failure)) {
            throw GivenBack();
        }
    }

    void fail(std::exception_ptr failure) noexcept {
        if (!m_failed.exchange(true)) {
            m_failure = std::move(failure);
        }
        stop();
    }

    void report(CollectionClient& client, std::size_t done) {
        if (m_slow.told()) {
            m_slow.report(client);  // the slow page may be the one just read
        }
        tellFilesRead(client, done);
    }
    void tellFilesRead(CollectionClient& client, std::size_t done) {
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
    SlowPages m_slow;                      // the pages in hand, told of by the calling thread
    std::mutex m_helpersMutex;
    std::condition_variable m_helperDone;
    std::size_t m_helpersDone = 0;  // under m_helpersMutex

    // The calling thread's own.
    std::vector<std::uint32_t> m_nameOrder;
    std::size_t m_lastReported = 0;
};

}  // namespace

Collected collectRecords(const std::string& folderPath, CollectionClient& client, unsigned workers,
                         const RunOptions& options) {
    Collection collection(folderPath, options);
    stopIfRequested(options.stop);
    // A folder of one chunk is read by the calling thread alone.
    const std::size_t helperCount =
        std::max<std::size_t>(std::min<std::size_t>(workers, collection.chunkCount()), 1) - 1;
    collection.expectHelpers(helperCount);
    // Made before any helper starts, so that no helper takes what the run needs on one thread.
    CallerPage page(collection.slowPages(), client);
    ThreadReader reader(page);
    {
        std::vector<std::jthread> helpers;
        try {
            helpers.reserve(helperCount);
            while (helpers.size() < helperCount) {
                helpers.emplace_back(&Collection::help, &collection, helpers.size() + 1);
            }
        } catch (const std::exception&) {
            // Fewer threads than asked for (no memory or no thread left) only make the run
            // slower.
        }
        try {
            if (collection.trySortNames() && !helpers.empty()) {
                collection.readBesideHelpers(reader, client);
            }
            collection.waitForHelpers(helpers.size(), client);
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
