#include "collect/collection_run.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <iterator>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "collect/chunk_rows.h"
#include "collect/near_forms.h"
#include "collect/pages_in_hand.h"
#include "collect/record_scan.h"
#include "collect/subfolder_pages.h"
#include "platform/file_batch.h"
#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/held_file_wait.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

// How often the calling thread looks at the helpers' pages while it waits for them: as often as
// the programs redraw their progress.
constexpr auto kLookInterval = std::chrono::milliseconds(100);

// What one thread reads with, made once, on that thread: the system's batches belong to one.
struct ThreadReader {
    // What a page is (RecordReader's `kinds`) is only ever told with the page notes.
    ThreadReader(PageWatch& pageWatch, bool unwrap, bool pageNotes, HeldFileWait& held)
        : page(pageWatch), record(unwrap, &held, pageNotes) {}

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

// Short of memory or descriptors: what another thread may be holding. A bare std::bad_alloc
// is one too: the memory to name the file that ran short may have run out as well.
bool ranShort(const std::exception& failure) {
    const auto* error = dynamic_cast<const FileError*>(&failure);
    return (error != nullptr && isShortage(error->errorNumber())) ||
           dynamic_cast<const std::bad_alloc*>(&failure) != nullptr;
}

// Files are read in the file system's order (see FolderIndex), a chunk at a time, by the calling
// thread and its helpers alike; the names' byte order only matters for the listing, which is
// put in that order at the end. Helpers only ever speed the run up: while other threads may
// hold the memory or the descriptors, a thread that runs short of them leaves its chunk to the
// final pass, where the calling thread, alone, reads every chunk not complete as one thread
// would, and a failure is the run's. So the outcome never depends on the number of threads.
class Collection {
public:
    Collection(const std::string& folderPath, const RunOptions& options)
        : m_requestedStop(options.stop),
          m_rowDetails(options.rowDetails),
          m_pageNotes(options.pageNotes),
          m_unwrap(options.unwrap),
          m_folder(Folder::open(folderPath)),
          m_files(m_folder, [stop = options.stop] { return !(stop && stop->requested()); }),
          m_chunks((m_files.size() + kChunkFiles - 1) / kChunkFiles),
          m_slow(options.slowPageAfter),
          m_held([stop = options.stop] { return stop && stop->requested(); }) {}

    std::size_t chunkCount() const { return m_chunks.size(); }
    // The calling thread's pages are the first; helper `n` (from 1) has the n-th.
    SlowPages& slowPages() { return m_slow; }
    HeldFileWait& heldPages() { return m_held; }

    // A helper's whole life. What it throws (no memory for its buffers, any failure outside a
    // file) stays in its future, unheard: it leaves its share to the others, and its chunk in
    // hand to the final pass, which meets any lasting failure on the calling thread.
    void help(std::size_t helper) {
        ThreadReader reader(m_slow.of(helper), m_unwrap, m_pageNotes, m_held);
        work(reader, nullptr);
    }

    // The calling thread's share beside the helpers: the names' order, then chunks. Short of
    // memory or descriptors, it stops the helpers, which may be holding them, and goes on alone
    // (see bench/README.md).
    void readBesideHelpers(ThreadReader& reader, CollectionClient& client) {
        try {
            m_nameOrder = m_files.nameOrder();
            if (work(reader, &client)) {
                return;
            }
        } catch (const std::bad_alloc&) {
        }
        quit();
    }

    // Until the helpers are done, the calling thread tells `client` how far they are: the
    // files they read and their slow pages.
    void waitFor(std::vector<std::future<void>>& helpers, CollectionClient& client) {
        for (std::future<void>& helper : helpers) {
            while (helper.wait_for(kLookInterval) == std::future_status::timeout) {
                m_slow.report(client);
                const std::size_t done = m_filesRead.load();
                if (done != m_lastReported) {
                    tellFilesRead(client, done);
                }
            }
        }
    }

    // The final pass, once the helpers are joined: the names' order if it is still to be made,
    // then every chunk that no thread completed.
    void readAlone(ThreadReader& reader, CollectionClient& client) {
        if (m_nameOrder.size() != m_files.size()) {
            m_nameOrder = m_files.nameOrder();
        }
        for (std::size_t index = 0; index < m_chunks.size() && !stopRequested(); ++index) {
            if (!m_chunks[index].complete) {
                forget(m_chunks[index]);
                readChunk(index, reader, &client, false);
            }
        }
        if (m_slow.told()) {
            m_slow.report(client);  // the pages are read: the last slow one is over
        }
    }

    // The helpers take no more chunks.
    void quit() { m_quit.store(true); }

    // Once every chunk is read.
    Collected result(CollectionClient& client) {
        stopIfRequested(m_requestedStop);
        Collected collected{
            Listing(m_rowDetails), m_files.size(), !m_folder.isOpen(), {}, {}, {}, 0};
        if (collected.files == 0) {
            const Folder::OtherEntries others = m_folder.countOtherEntries();
            collected.leftovers = {others.subfolders, others.rest};
        }
        listInNameOrder(m_chunks, m_nameOrder, m_files, m_rowDetails, collected);
        tellOfSubfolders(collected);
        if (collected.files > 0 && m_lastReported != collected.files) {
            client.filesRead(collected.files, collected.files);
        }
        return collected;
    }

private:
    // Once the pages are read, so that a subfolder's pages never slow the rows down.
    void tellOfSubfolders(Collected& collected) const {
        const std::vector<SubfolderPages> found =
            subfoldersWithPages(m_folder, m_files.subfolders(), m_unwrap, m_requestedStop);
        collected.subfoldersWithPages = found.size();
        if (m_pageNotes) {
            std::ranges::move(subfolderNotes(found), std::back_inserter(collected.notes));
        }
    }

    bool stopRequested() const { return m_requestedStop && m_requestedStop->requested(); }

    // Takes chunks until none is left or the run is to end; false once this thread ran short.
    // `client` (null on a helper) hears of the progress.
    bool work(ThreadReader& reader, CollectionClient* client) {
        while (!m_quit.load() && !stopRequested()) {
            const std::size_t index = m_nextChunk++;
            if (index >= m_chunks.size()) {
                break;
            }
            if (!readChunk(index, reader, client, true)) {
                return false;
            }
            // A helper may be on a slow page while this thread reads small ones: looked at
            // once a chunk, not once a file.
            if (client != nullptr) {
                m_slow.report(*client);
            }
        }
        return true;
    }

    // The chunk as though no thread had read it: its rows freed, its files no longer counted.
    void forget(Chunk& chunk) noexcept {
        m_filesRead.fetch_sub(chunk.filesRead);
        chunk = Chunk{};
    }

    // Reads the chunk `index`. With `mayDefer`, one short of memory or descriptors is forgotten
    // instead, for the final pass, and the answer is false.
    bool readChunk(std::size_t index, ThreadReader& reader, CollectionClient* client,
                   bool mayDefer) {
        Chunk& chunk = m_chunks[index];
        try {
            chunk.complete = fillChunk(chunk, index, reader, client, mayDefer);
        } catch (const std::bad_alloc&) {
            if (!mayDefer) {
                throw;
            }
        }
        if (!chunk.complete) {
            forget(chunk);
        }
        return chunk.complete;
    }

    // False when a file ran short and `mayDefer`. A failure of a file is kept, and the others
    // are read all the same: files not read yet may hold a failure earlier in name order.
    bool fillChunk(Chunk& chunk, std::size_t index, ThreadReader& reader, CollectionClient* client,
                   bool mayDefer) {
        const std::size_t first = index * kChunkFiles;
        const std::size_t count = std::min(kChunkFiles, m_files.size() - first);
        chunk.runs.reserve(count);  // a run a page, without row details
        const bool batched = readTogether(reader.batch, first, count);
        ChunkRows rows(chunk, m_rowDetails, m_pageNotes);
        chunk.blocks.back().reserve(roomFor(reader.lastRows));
        for (std::size_t slot = 0; slot < count && !stopRequested(); ++slot) {
            try {
                const std::optional<std::string_view> whole =
                    batched ? reader.batch.whole(slot) : std::nullopt;
                if (!readFile(rows, slot, first + slot, reader, whole, mayDefer)) {
                    return false;
                }
            } catch (const std::exception& failure) {
                if (mayDefer && ranShort(failure)) {
                    return false;
                }
                chunk.failures.resize(count);
                chunk.failures[slot] = std::current_exception();
            }
            ++chunk.filesRead;
            const std::size_t done = m_filesRead.fetch_add(1) + 1;
            if (client != nullptr) {
                report(*client, done);
            }
        }
        reader.lastRows = 0;
        for (std::string& block : chunk.blocks) {
            reader.lastRows += block.size();
            block.shrink_to_fit();  // the room left would stay for the whole run
        }
        return true;
    }

    // Folders hold pages much alike, so room for as many bytes of rows as the last chunk took is
    // set aside for the next, which then grows its rows once rather than a dozen times, and
    // holds them with little room to spare. Capped, so that one huge row does not set as much
    // aside for every chunk after it.
    static std::size_t roomFor(std::size_t lastRows) {
        constexpr std::size_t kMostRoom = 64 * 1024;
        return std::min(lastRows + lastRows / 8, kMostRoom);
    }

    // Small files are read together where the system can; the rest, and any file that failed
    // there, are read one by one, which also gives a failing file's exact error.
    bool readTogether(FileBatch& batch, std::size_t first, std::size_t count) {
        if (!batch.active()) {
            return false;
        }
        std::array<const char*, kChunkFiles> names{};
        for (std::size_t slot = 0; slot < count; ++slot) {
            names[slot] = m_files.name(first + slot);
        }
        batch.read(m_folder, std::span(names.data(), count));
        return true;
    }

    // A row too large for the memory left is its file's failure, whatever else the run holds.
    // False when the page's near forms ran short and `mayDefer`.
    bool readFile(ChunkRows& rows, std::size_t slot, std::size_t file, ThreadReader& reader,
                  std::optional<std::string_view> whole, bool mayDefer) {
        const char* const name = m_files.name(file);
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
        return note == nullptr || lookForNearForms(*note, name, reader.record, whole, mayDefer);
    }

    // What the page holds in place of the texts it lacks, read once more, only as far as
    // kMostNearFormBytes. It only adds to what the user is told: a page that can no longer be read,
    // or no memory for it, leaves the plain explanation. But short of memory or descriptors while
    // other threads may hold them, the answer is false, as when reading rows: one thread alone
    // would have had them, and the explanations must not depend on the number of threads.
    bool lookForNearForms(PageNote& note, const char* name, RecordReader& reader,
                          std::optional<std::string_view> whole, bool mayDefer) {
        if (isBinaryFormat(note.kind) || note.kind == FileKind::Utf32) {
            return true;  // told of as what it is, which holds no near form
        }
        try {
            const std::vector<std::string_view> wanted = missingTexts(note);
            if (wanted.empty()) {
                return true;  // rows read through a wrapping, every field found
            }
            NearFormSearch search(wanted, {note.records, note.missing});
            const auto feed = [&search](std::string_view block) {
                search.feed(block);
                return !search.done();
            };
            if (whole) {
                RecordReader::readText(*whole, note.reading, kMostNearFormBytes, feed);
            } else {
                reader.readText(m_folder, name, note.reading, kMostNearFormBytes, feed,
                                m_requestedStop);
            }
            note.nearForms = search.finish();
        } catch (const FileChanged&) {
        } catch (const FileError& failure) {
            return !(mayDefer && isShortage(failure.errorNumber()));
        } catch (const std::bad_alloc&) {
            return !mayDefer;
        }
        return true;
    }

    void report(CollectionClient& client, std::size_t done) {
        if (m_slow.told()) {
            m_slow.report(client);  // the slow page may be the one just read
        }
        tellFilesRead(client, done);
    }
    void tellFilesRead(CollectionClient& client, std::size_t done) {
        client.filesRead(done, m_files.size());
        m_lastReported = done;
    }

    const StopFlag* const m_requestedStop;  // by the caller; may be null
    const RowDetails m_rowDetails;
    const bool m_pageNotes;
    const bool m_unwrap;
    const Folder m_folder;
    const FolderIndex m_files;
    std::vector<Chunk> m_chunks;  // m_chunks[i] holds files i * kChunkFiles ... of m_files
    std::atomic<std::size_t> m_nextChunk{0};
    std::atomic<std::size_t> m_filesRead{0};  // for the progress told while helpers read
    std::atomic<bool> m_quit{false};          // the calling thread failed, or goes on alone
    SlowPages m_slow;                         // the pages in hand, told of by the calling thread
    HeldFileWait m_held;                      // how long pages held open are tried again

    // The calling thread's own.
    std::vector<std::uint32_t> m_nameOrder;
    std::size_t m_lastReported = 0;
};

Collected collect(const std::string& folderPath, CollectionClient& client,
                  const RunOptions& options) {
    Collection collection(folderPath, options);
    stopIfRequested(options.stop);
    const unsigned workers =
        options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    // A folder of one chunk is read by the calling thread alone.
    const std::size_t helperCount =
        std::min<std::size_t>(workers, std::max<std::size_t>(collection.chunkCount(), 1)) - 1;
    collection.slowPages().expect(helperCount + 1);
    // Made before any helper starts, so that no helper takes what the run needs on one thread.
    CallerPage page(collection.slowPages(), client);
    ThreadReader reader(page, options.unwrap, options.pageNotes, collection.heldPages());
    {
        std::vector<std::future<void>> helpers;  // each waits for its thread as it goes
        try {
            helpers.reserve(helperCount);
            while (helpers.size() < helperCount) {
                helpers.push_back(std::async(std::launch::async, &Collection::help, &collection,
                                             helpers.size() + 1));
            }
        } catch (const std::exception&) {
            // Fewer threads than asked for (no memory or no thread left) only make the run slower.
        }
        try {
            if (!helpers.empty()) {
                collection.readBesideHelpers(reader, client);
            }
            collection.waitFor(helpers, client);
        } catch (...) {
            collection.quit();  // the helpers stop after the chunk in hand
            throw;
        }
    }
    collection.readAlone(reader, client);
    return collection.result(client);
}

}  // namespace

Collected runCollection(const std::string& dataFolder, CollectionClient& client,
                        const RunOptions& options) {
    try {
        Collected collected = collect(dataFolder, client, options);
        if (collected.folderMissing && options.requireDataFolder) {
            throw FileError("open data folder", dataFolder, errorNumberOf(Condition::NoSuchFile));
        }
        return collected;
    } catch (const std::bad_alloc&) {
        // Out of memory for the run's own bookkeeping, not for any one file, which names its
        // own path.
        throw FileError("collect", dataFolder, errorNumberOf(Condition::OutOfMemory));
    }
}

}  // namespace catalog
