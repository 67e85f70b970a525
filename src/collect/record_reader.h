#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "collect/listing.h"
#include "collect/page_finding.h"
#include "collect/stop_flag.h"

namespace catalog {

class Folder;

// What reading one page gave: what it holds, and its row's fields when it holds a record.
struct PageRow {
    PageFinding finding;
    FieldLengths fields{};
};

// Reads catalog files one after the other through one buffer of its own, reused from file to
// file, and makes the row of each file that holds a record. Memory does not grow with a file's
// size: a file that fits in the buffer is matched there whole; a larger one is scanned block
// after block (RecordScan), and only the bytes of its four matches are read again.
class RecordReader {
public:
    RecordReader();

    // Appends the row of the file `name` in the open folder `folder` to `out`, when the file
    // holds a record, and returns what it found; without a record `out` stays as it was.
    // Between blocks it throws RunStopped once `stop` (may be null) is requested. Throws
    // FileError and std::bad_alloc.
    PageRow appendRow(const Folder& folder, const char* name, std::string& out,
                      const StopFlag* stop);
    // The same for a file's whole text, already read.
    PageRow appendRow(std::string_view text, std::string& out, const StopFlag* stop);

    // Files up to this size are best read whole, several at once where the system can.
    static constexpr std::size_t kSmallFile = std::size_t{64} * 1024;

private:
    std::unique_ptr<char[]> m_storage;
    char* m_buffer;  // in m_storage, at the start of a page
};

}  // namespace catalog
