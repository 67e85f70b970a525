#include "collect/record_collection.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

#include "collect/collection_run.h"
#include "collect/field_extraction.h"
#include "collect/folder_listing.h"
#include "collect/text_files.h"

namespace catalog {

namespace {

// Files are handed out in runs: few enough hand-outs to cost nothing, small enough that the
// workers finish close together.
constexpr std::size_t kChunkFiles = 32;
constexpr std::int32_t kNoRow = -1;

struct Entry {
    std::string name;
    std::uint64_t inode;
};

// What reading a run of files gave. Written by the one worker that takes it; the calling thread
// looks at it once the workers are joined.
struct Chunk {
    Listing rows = Listing::rowsOnly();
    std::vector<std::int32_t> rowOf;           // per file: its row in `rows`, or kNoRow
    std::vector<std::exception_ptr> failures;  // per file, made once one fails
};

// Files are read in the order of their inodes, which keeps the file system's tables warm and
// measured a third faster than the folder's own order; the names' byte order only matters for
// the listing, which is put in that order at the end.
class Collection {
public:
    Collection(const std::string& folderPath, CollectionClient& client)
        : m_folderPath(folderPath), m_folder(openFolder(folderPath)) {
        forEachRegularFile(m_folder.get(), [&](const FolderEntry& entry) {
            m_entries.push_back({entry.name, entry.inode});
            // A huge folder takes a while to list; a window being closed should not wait.
            return m_entries.size() % 4096 != 0 || !client.stopRequested();
        });
        std::sort(m_entries.begin(), m_entries.end(),
                  [](const Entry& a, const Entry& b) { return a.inode < b.inode; });
        m_chunks.resize((m_entries.size() + kChunkFiles - 1) / kChunkFiles);
    }

    std::size_t fileCount() const { return m_entries.size(); }
    std::size_t chunkCount() const { return m_chunks.size(); }

    // The calling thread's share of the order work, done while the helpers read.
    void sortNames() {
        m_nameOrder.reserve(m_entries.size());
        for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
            m_nameOrder.push_back({m_entries[i].name, i});
        }
        std::sort(m_nameOrder.begin(), m_nameOrder.end(),
                  [](const NameRef& a, const NameRef& b) { return a.name < b.name; });
    }

    // Takes chunks until none is left; `reporter` is the client, on the calling thread only.
    void work(CollectionClient* reporter) {
        FileReader reader;
        for (std::size_t chunk = m_nextChunk++; chunk < m_chunks.size() && !m_stop.load();
             chunk = m_nextChunk++) {
            readChunk(chunk, reader, reporter);
        }
    }

    void stop() { m_stop.store(true); }

    // Once every worker is done.
    Collected result(CollectionClient& client) const {
        if (m_stop.load()) {
            throw RunStopped();
        }
        Collected collected{Listing(), m_entries.size()};
        reserveRows(collected.listing);
        for (const auto& [name, entry] : m_nameOrder) {
            const Chunk& chunk = m_chunks[entry / kChunkFiles];
            const std::size_t slot = entry % kChunkFiles;
            if (!chunk.failures.empty() && chunk.failures[slot]) {
                std::rethrow_exception(chunk.failures[slot]);
            }
            if (chunk.rowOf[slot] != kNoRow) {
                collected.listing.addRow(chunk.rows.row(chunk.rowOf[slot]));
            }
        }
        if (collected.files > 0 && m_lastReported != collected.files) {
            client.filesRead(collected.files, collected.files);
        }
        return collected;
    }

private:
    void readChunk(std::size_t index, FileReader& reader, CollectionClient* reporter) {
        Chunk& chunk = m_chunks[index];
        const std::size_t first = index * kChunkFiles;
        const std::size_t count = std::min(kChunkFiles, m_entries.size() - first);
        chunk.rowOf.assign(count, kNoRow);
        for (std::size_t slot = 0; slot < count && !m_stop.load(); ++slot) {
            try {
                readFile(chunk, slot, m_entries[first + slot].name, reader);
            } catch (...) {
                // Files not read yet may hold a failure earlier in name order: go on.
                chunk.failures.resize(count);
                chunk.failures[slot] = std::current_exception();
            }
            const std::size_t done = m_filesRead.fetch_add(1) + 1;
            if (reporter != nullptr) {
                report(*reporter, done);
            }
        }
    }

    void readFile(Chunk& chunk, std::size_t slot, const std::string& name, FileReader& reader) {
        const std::string_view text = reader.read(m_folder.get(), m_folderPath, name);
        if (holdsRecord(text)) {
            chunk.rowOf[slot] = static_cast<std::int32_t>(chunk.rows.rowCount());
            chunk.rows.addRecord(text);
        }
    }

    void report(CollectionClient& client, std::size_t done) {
        client.filesRead(done, m_entries.size());
        m_lastReported = done;
        if (client.stopRequested()) {
            stop();
        }
    }

    void reserveRows(Listing& listing) const {
        std::size_t bytes = 0;
        std::size_t rows = 0;
        for (const Chunk& chunk : m_chunks) {
            bytes += chunk.rows.text().size();
            rows += chunk.rows.rowCount();
        }
        listing.reserve(bytes, rows);
    }

    const std::string& m_folderPath;
    const UniqueFd m_folder;
    std::vector<Entry> m_entries;  // in inode order
    std::vector<Chunk> m_chunks;   // m_chunks[i] holds m_entries[i * kChunkFiles ...]
    std::atomic<std::size_t> m_nextChunk{0};
    std::atomic<std::size_t> m_filesRead{0};
    std::atomic<bool> m_stop{false};

    // The calling thread's own.
    struct NameRef {
        std::string_view name;
        std::uint32_t entry;  // index into m_entries
    };
    std::vector<NameRef> m_nameOrder;  // in name order
    std::size_t m_lastReported = 0;
};

// Each helper gets a file table of its own: opening and closing many files from several threads
// otherwise contends on the lock of the process's shared table; on two cores the read phase
// measured a tenth slower that way.
// The copy holds the table's descriptors until the helper ends, at the end of the run.
void helpWith(Collection& collection) {
    ::unshare(CLONE_FILES);
    collection.work(nullptr);
}

}  // namespace

Collected collectRecords(const std::string& folderPath, CollectionClient& client,
                         unsigned workers) {
    Collection collection(folderPath, client);
    if (client.stopRequested()) {
        throw RunStopped();
    }
    {
        // A folder of one chunk is read by the calling thread alone.
        const std::size_t helperCount =
            std::max<std::size_t>(std::min<std::size_t>(workers, collection.chunkCount()), 1) - 1;
        std::vector<std::jthread> helpers;
        try {
            while (helpers.size() < helperCount) {
                helpers.emplace_back(helpWith, std::ref(collection));
            }
        } catch (const std::system_error&) {
            // Fewer threads than asked for only make the run slower.
        }
        try {
            collection.sortNames();
            collection.work(&client);
        } catch (...) {
            // The helpers are joined on the way out; they stop after the file in hand.
            collection.stop();
            throw;
        }
    }
    return collection.result(client);
}

}  // namespace catalog
