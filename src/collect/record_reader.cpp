#include "collect/record_reader.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "collect/field_extraction.h"
#include "collect/record_scan.h"
#include "platform/input_file.h"

namespace catalog {

namespace {

// Pages up to this size are held whole and matched in memory, as fast as before; the buffer is
// one per reading thread.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// Most bytes asked for per read: a stop is seen between reads, well within a second.
constexpr std::size_t kMostPerRead = std::size_t{128} * 1024;
// The system copies into a buffer that starts a page several times faster than into one that
// does not.
constexpr std::size_t kPageSize = 4096;

char* pageIn(char* storage) {
    void* start = storage;
    std::size_t space = kBufferSize + kPageSize;
    return static_cast<char*>(std::align(kPageSize, kBufferSize, start, space));
}

// Reads into `buffer` until `most` bytes are there or the file ends.
std::size_t fill(InputFile& file, char* buffer, std::size_t most, const StopFlag* stop) {
    std::size_t length = 0;
    while (length < most) {
        stopIfRequested(stop);
        const std::size_t got = file.read(buffer + length, std::min(most - length, kMostPerRead));
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
std::size_t readHead(InputFile& file, char* buffer, RecordScan& scan, const StopFlag* stop) {
    const std::uint64_t expected = file.sizeHint();
    const std::size_t most =
        expected > 0 && expected < kBufferSize ? static_cast<std::size_t>(expected) : kBufferSize;
    std::size_t length = 0;
    while (length < most) {
        const std::size_t got =
            fill(file, buffer + length, std::min(most - length, kMostPerRead), stop);
        if (got == 0) {
            break;
        }
        scan.feed({buffer + length, got});
        length += got;
    }
    return length;
}

bool holdsAll(const InputFile& file, std::size_t length) {
    return length < kBufferSize || length == file.sizeHint();
}

// A file that changes while it is read gives a row of whatever bytes the reads met: the scan
// sees the blocks as they were read, and a match read again where the file has since ended is
// cut short there. Nothing waits for a file to settle, so a file that grows without end is
// read until the run is stopped.
std::optional<FieldLengths> appendStreamedRow(InputFile& file, RecordScan& scan, char* buffer,
                                              std::string& out, const StopFlag* stop) {
    for (std::size_t got = fill(file, buffer, kMostPerRead, stop); got > 0;
         got = fill(file, buffer, kMostPerRead, stop)) {
        scan.feed({buffer, got});
    }
    if (!scan.holdsRecord()) {
        return std::nullopt;
    }
    const ReadAt readAt = [&file](std::uint64_t offset, char* into, std::size_t most) {
        return file.readAt(offset, into, most);
    };
    return appendScannedRow(scan, readAt, out, stop);
}

}  // namespace

RecordReader::RecordReader()
    : m_storage(new char[kBufferSize + kPageSize]), m_buffer(pageIn(m_storage.get())) {}

std::optional<FieldLengths> RecordReader::appendRow(const Folder& folder, const char* name,
                                                    std::string& out, const StopFlag* stop) {
    InputFile file(folder, name);
    RecordScan scan;
    const std::size_t length = readHead(file, m_buffer, scan, stop);
    if (!holdsAll(file, length)) {
        return appendStreamedRow(file, scan, m_buffer, out, stop);
    }
    if (!scan.holdsRecord()) {
        return std::nullopt;
    }
    return appendScannedRow(scan, std::string_view(m_buffer, length), out, stop);
}

std::optional<FieldLengths> RecordReader::appendRow(std::string_view text, std::string& out,
                                                    const StopFlag* stop) {
    // Scanned once, as streamed files are, rather than searched once for the record marker and
    // twice for each rule.
    RecordScan scan;
    scan.feed(text);
    if (!scan.holdsRecord()) {
        return std::nullopt;
    }
    return appendScannedRow(scan, text, out, stop);
}

}  // namespace catalog
