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

// The file's first bytes, as many as the buffer holds, each read scanned before the next one:
// its bytes are then still in the core's cache, where a whole buffer's worth would not be. The
// size the system gave is a hint (files in /proc say 0); reading up to it saves the read that
// would only return 0.
std::size_t readHead(Reading& file, char* buffer, RecordScan& scan, const StopFlag* stop) {
    const std::uint64_t expected = file.sizeHint();
    const std::size_t most =
        expected > 0 && expected < kBufferSize ? static_cast<std::size_t>(expected) : kBufferSize;
    std::size_t length = 0;
    while (length < most) {
        const std::size_t got =
            fill(file, buffer + length, std::min(most - length, kBytesBetweenStopChecks), stop);
        if (got == 0) {
            break;
        }
        scan.feed({buffer + length, got});
        length += got;
    }
    return length;
}

bool holdsAll(const Reading& file, std::size_t length) {
    return length < kBufferSize || length == file.sizeHint();
}

// The rest of a file too large to hold is scanned block after block, and then only its matches
// are read again.
PageRow appendStreamedRow(Reading& file, RecordScan& scan, char* buffer, std::string& out,
                          const StopFlag* stop) {
    for (std::size_t got = fill(file, buffer, kBytesBetweenStopChecks, stop); got > 0;
         got = fill(file, buffer, kBytesBetweenStopChecks, stop)) {
        scan.feed({buffer, got});
    }
    PageRow page{scan.finding()};
    if (page.finding.holdsRecord()) {
        const ReadAt readAt = [&file](std::uint64_t offset, char* into, std::size_t most) {
            return file.readAt(offset, into, most);
        };
        page.fields = appendScannedRow(scan, readAt, out, stop);
    }
    return page;
}

PageRow appendHeldRow(const RecordScan& scan, std::string_view text, std::string& out,
                      const StopFlag* stop) {
    PageRow page{scan.finding()};
    if (page.finding.holdsRecord()) {
        page.fields = appendScannedRow(scan, text, out, stop);
    }
    return page;
}

PageRow appendRowOf(Reading& file, char* buffer, std::string& out, const StopFlag* stop) {
    RecordScan scan;
    const std::size_t length = readHead(file, buffer, scan, stop);
    if (!holdsAll(file, length)) {
        return appendStreamedRow(file, scan, buffer, out, stop);
    }
    return appendHeldRow(scan, std::string_view(buffer, length), out, stop);
}

}  // namespace

RecordReader::RecordReader()
    : m_storage(new char[kBufferSize + kPageSize]), m_buffer(pageIn(m_storage.get())) {}

// A row mixing two versions of a file would be wrong in a way no one could see: a file changed
// while it was read is read again from its start, and one that never holds still fails.
PageRow RecordReader::appendRow(const Folder& folder, const char* name, std::string& out,
                                const StopFlag* stop) {
    const std::size_t start = out.size();
    for (int reading = 0; reading < kMostReadings; ++reading) {
        try {
            Reading file(folder, name);
            const PageRow row = appendRowOf(file, m_buffer, out, stop);
            if (file.gaveOneVersion()) {
                return row;
            }
        } catch (const FileChanged&) {
        }
        out.resize(start);
    }
    throw FileError("read", folder.path() + name, errorNumberOf(Condition::Changed),
                    "the file changed while it was read");
}

PageRow RecordReader::appendRow(std::string_view text, std::string& out, const StopFlag* stop) {
    // Scanned once, as streamed files are, rather than searched once for the record marker and
    // twice for each rule.
    RecordScan scan;
    scan.feed(text);
    return appendHeldRow(scan, text, out, stop);
}

}  // namespace catalog
