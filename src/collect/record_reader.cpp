#include "collect/record_reader.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "collect/field_extraction.h"
#include "collect/record_scan.h"
#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/input_file.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

// Pages up to this size are held whole and matched in memory, without reading any bytes twice;
// the buffer is one per reading thread.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// The system copies into a buffer that starts a page several times faster than into one that
// does not.
constexpr std::size_t kPageSize = 4096;

// A file that keeps changing while it is read is read from its start this many times at most.
constexpr int kMostReadings = 3;

char* pageIn(char* storage) {
    void* start = storage;
    std::size_t space = kBufferSize + kPageSize;
    return static_cast<char*>(std::align(kPageSize, kBufferSize, start, space));
}

// One reading of a file from its start. What one call of the system gave, the whole file, is one
// version of it; what several gave, or a file that ended sooner than it said, is one only if the
// file has not changed since it was opened, which is asked once, after the last read: so the
// many small files read in one call pay nothing for it. A file is read up to the size it had
// when opened, since bytes past it can only belong to a later version: a file that grows
// without end (a log) then fails as changed rather than being read for ever. Files that say
// they are empty (those in /proc) are read to their end.
class Reading {
public:
    Reading(const Folder& folder, const char* name) : m_file(folder, name) {}

    std::uint64_t sizeHint() const { return m_file.sizeHint(); }
    std::size_t read(char* into, std::size_t most) {
        const std::uint64_t size = m_file.sizeHint();
        if (size > 0) {
            most = static_cast<std::size_t>(std::min<std::uint64_t>(most, size - m_position));
            if (most == 0) {
                return 0;
            }
        }
        const std::size_t got = m_file.read(into, most);
        m_calls += got > 0 ? 1 : 0;
        m_position += got;
        return got;
    }
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t most) {
        ++m_calls;
        return m_file.readAt(offset, into, most);
    }
    bool gaveOneVersion() const {
        const bool oneWholeRead =
            m_calls <= 1 && (m_file.sizeHint() == 0 || m_position == m_file.sizeHint());
        return oneWholeRead || !m_file.changedSinceOpened();
    }

private:
    InputFile m_file;
    std::uint64_t m_position = 0;
    int m_calls = 0;  // that gave bytes
};

// Reads into `buffer` until `most` bytes are there or the file ends.
std::size_t fill(Reading& file, char* buffer, std::size_t most, const StopFlag* stop) {
    std::size_t length = 0;
    while (length < most) {
        stopIfRequested(stop);
        const std::size_t got =
            file.read(buffer + length, std::min(most - length, kBytesBetweenStopChecks));
        if (got == 0) {
            break;
        }
        length += got;
    }
    return length;
}

// Makes the row of each record as the scan settles it, and counts what the records lack.
class PageRows {
public:
    PageRows(RowSink& sink, const StopFlag* stop, ReadAt readAt = {})
        : m_sink(sink),
          m_stop(stop),
          m_onRecord([this](const RecordMatches& matches) { add(matches); }) {
        m_bytes.readAt = std::move(readAt);
    }

    const OnRecord& onRecord() const { return m_onRecord; }
    // The page's bytes from `from` on are now those of `held`.
    void hold(std::string_view held, std::uint64_t from) {
        m_bytes.held = held;
        m_bytes.heldFrom = from;
    }
    PageFinding finding(const RecordScan& scan) const { return {scan.records(), m_withMiss}; }

private:
    void add(const RecordMatches& matches) {
        std::string& out = m_sink.rowText();
        const std::size_t start = out.size();
        const FieldLengths fields = appendMatchedRow(matches, m_bytes, out, m_stop);
        m_withMiss += anyMissing(matches.misses) ? 1 : 0;
        m_sink.rowAdded(start, fields, matches.misses);
    }

    RowSink& m_sink;
    const StopFlag* m_stop;
    PageBytes m_bytes;
    std::uint64_t m_withMiss = 0;
    OnRecord m_onRecord;
};

// The file's bytes pass through the buffer block after block, each scanned as soon as it is
// read: its bytes are then still in the core's cache. The buffer fills up before it is reused
// from its start, so that most records' bytes are still there when the scan settles them; the
// few that started before it was reused are read again.
PageFinding readPage(Reading& file, char* buffer, RowSink& sink, const StopFlag* stop) {
    RecordScan scan;
    PageRows rows(sink, stop, [&file](std::uint64_t offset, char* into, std::size_t most) {
        return file.readAt(offset, into, most);
    });
    std::uint64_t heldFrom = 0;
    std::size_t held = 0;
    for (;;) {
        if (held == kBufferSize) {
            heldFrom += held;
            held = 0;
        }
        const std::size_t got =
            fill(file, buffer + held, std::min(kBytesBetweenStopChecks, kBufferSize - held), stop);
        if (got == 0) {
            break;
        }
        held += got;
        rows.hold({buffer, held}, heldFrom);
        scan.feed({buffer + held - got, got}, rows.onRecord());
    }
    scan.finish(rows.onRecord());
    return rows.finding(scan);
}

}  // namespace

RecordReader::RecordReader()
    : m_storage(new char[kBufferSize + kPageSize]), m_buffer(pageIn(m_storage.get())) {}

RecordReader::~RecordReader() = default;

// A row mixing two versions of a file would be wrong in a way no one could see: a file changed
// while it was read is read again from its start, and one that never holds still fails.
PageFinding RecordReader::appendRows(const Folder& folder, const char* name, RowSink& sink,
                                     const StopFlag* stop) {
    for (int reading = 0; reading < kMostReadings; ++reading) {
        try {
            Reading file(folder, name);
            const PageFinding finding = readPage(file, m_buffer, sink, stop);
            if (file.gaveOneVersion()) {
                return finding;
            }
        } catch (const FileChanged&) {
        }
        sink.restartPage();
    }
    throw FileError("read", folder.path() + name, errorNumberOf(Condition::Changed),
                    "the file changed while it was read");
}

PageFinding RecordReader::appendRows(std::string_view content, RowSink& sink,
                                     const StopFlag* stop) {
    RecordScan scan;
    PageRows rows(sink, stop);
    rows.hold(content, 0);
    scan.feed(content, rows.onRecord());
    scan.finish(rows.onRecord());
    return rows.finding(scan);
}

}  // namespace catalog
