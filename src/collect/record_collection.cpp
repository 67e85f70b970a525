#include "collect/record_collection.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <fcntl.h>
#include <system_error>
#include <thread>
#include <vector>

#include "collect/collection_run.h"
#include "collect/field_extraction.h"
#include "collect/text_files.h"

namespace catalog {

namespace {

// Files are handed out in runs of consecutive names: few enough hand-outs to cost nothing,
// small enough that two workers finish close together.
constexpr std::size_t kChunkFiles = 32;

struct Chunk {
    Listing rows = Listing::rowsOnly();
    std::exception_ptr failure;
};

// One run's shared state. Each chunk is written by the one worker that took it; the atomics
// carry the rest, and the threads' joining makes the chunks visible to the calling thread.
class Collection {
public:
    Collection(const FolderContents& contents, const std::string& folderPath)
        : m_contents(contents),
          m_folderPath(folderPath),
          m_chunks((contents.names.size() + kChunkFiles - 1) / kChunkFiles) {}

    std::size_t chunkCount() const { return m_chunks.size(); }

    // Takes chunks until none is left; `reporter` is the client, on the calling thread only.
    void work(CollectionClient* reporter) {
        FileReader reader;
        const UniqueFd folder(
            ::openat(m_contents.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (;;) {
            const std::size_t chunk = m_nextChunk.fetch_add(1);
            // Chunks past a failed one would be thrown away: the run ends with that failure.
            if (chunk >= m_chunks.size() || chunk > m_failedChunk.load() || m_stop.load()) {
                return;
            }
            collectChunk(chunk, folder.get(), reader, reporter);
        }
    }

    Listing result(CollectionClient& client) {
        if (m_stop.load()) {
            throw RunStopped();
        }
        Listing listing;
        for (const Chunk& chunk : m_chunks) {
            if (chunk.failure) {
                std::rethrow_exception(chunk.failure);
            }
            listing.append(chunk.rows);
        }
        const std::size_t total = m_contents.names.size();
        if (m_lastReported != total) {
            client.filesRead(total, total);
        }
        return listing;
    }

private:
    void collectChunk(std::size_t chunk, int folder, FileReader& reader,
                      CollectionClient* reporter) {
        const std::size_t end = std::min(m_contents.names.size(), (chunk + 1) * kChunkFiles);
        for (std::size_t i = chunk * kChunkFiles; i < end && !m_stop.load(); ++i) {
            try {
                collectFile(folder, m_contents.names[i], reader, m_chunks[chunk].rows);
            } catch (...) {
                m_chunks[chunk].failure = std::current_exception();
                lowerFailedChunk(chunk);
                return;
            }
            const std::size_t done = m_filesRead.fetch_add(1) + 1;
            if (reporter != nullptr) {
                report(*reporter, done);
            }
        }
    }

    void collectFile(int folder, const std::string& name, FileReader& reader, Listing& rows) const {
        const std::string_view text = reader.read(folder, m_folderPath, name);
        if (holdsRecord(text)) {
            rows.add(extractRecord(text));
        }
    }

    void report(CollectionClient& client, std::size_t done) {
        client.filesRead(done, m_contents.names.size());
        m_lastReported = done;
        if (client.stopRequested()) {
            m_stop.store(true);
        }
    }

    void lowerFailedChunk(std::size_t chunk) {
        std::size_t failed = m_failedChunk.load();
        while (chunk < failed && !m_failedChunk.compare_exchange_weak(failed, chunk)) {
        }
    }

    const FolderContents& m_contents;
    const std::string& m_folderPath;
    std::vector<Chunk> m_chunks;
    std::atomic<std::size_t> m_nextChunk{0};
    std::atomic<std::size_t> m_failedChunk{SIZE_MAX};
    std::atomic<std::size_t> m_filesRead{0};
    std::atomic<bool> m_stop{false};
    std::size_t m_lastReported = 0;
};

}  // namespace

Listing collectRecords(const FolderContents& contents, const std::string& folderPath,
                       CollectionClient& client, unsigned workers) {
    Collection collection(contents, folderPath);
    // A folder of one chunk is read by the calling thread alone.
    const std::size_t helpers = std::min<std::size_t>(
        std::max(workers, 1u) - 1, std::max<std::size_t>(collection.chunkCount(), 1) - 1);
    {
        std::vector<std::jthread> threads;
        threads.reserve(helpers);
        try {
            while (threads.size() < helpers) {
                threads.emplace_back([&collection] { collection.work(nullptr); });
            }
        } catch (const std::system_error&) {
            // Fewer threads than asked for only make the run slower.
        }
        collection.work(&client);
    }
    return collection.result(client);
}

}  // namespace catalog
