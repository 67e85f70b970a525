#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "collect/listing.h"
#include "collect/page_finding.h"
#include "collect/stop_flag.h"

namespace catalog {

class Folder;
class HeldFileWait;

// Where the rows of a page go as they are made, one per record.
class RowSink {
public:
    virtual ~RowSink() = default;

    // The text the next row is appended to; it may change between rows, never within one.
    virtual std::string& rowText() = 0;
    // A row, without its line end, was appended to rowText(); what its record lacks.
    virtual void rowAdded(const FieldLengths& fields, const FieldMisses& misses) = 0;
    // Forgets every row added since the page began: it is read again from its start.
    virtual void restartPage() = 0;
};

// Told of a page read from its file, on the thread that reads it: so that a run can tell how
// far a large page has come.
class PageWatch {
public:
    virtual ~PageWatch() = default;

    // The file `name` is open; `size` is its size then, 0 where the system does not say.
    virtual void opened(const char* name, std::uint64_t size) = 0;
    // After each block: `read` bytes of the file have been read since it was opened.
    virtual void blockRead(std::uint64_t read) = 0;
    // The file is closed, read or not.
    virtual void closed() noexcept = 0;
};

// Reads catalog files one after the other through one buffer of its own, reused from file to
// file, and makes the row of each record a file holds. Memory does not grow with a file's size
// or its records: each record's row is made as soon as the scan (RecordScan) has settled it,
// from the buffer where its bytes still lie there, else by reading only its four matches again.
class RecordReader {
public:
    // Without `unwrap`, a page is read as it stands only, as it was before wrappings were read.
    // A page another program holds open is opened again as `held` allows (may be null: never).
    // Without `kinds`, a page without a record is not looked at again for what it is
    // (PageFinding::kind), which only an explanation tells.
    explicit RecordReader(bool unwrap = true, HeldFileWait* held = nullptr, bool kinds = true);

    // Gives `sink` the row of every record of the file `name` in the open folder `folder`, and
    // returns what the file holds. Between blocks it throws RunStopped once `stop` (may be null)
    // is requested, and tells `watch` (may be null) how far it is. Throws FileError and
    // std::bad_alloc.
    PageFinding appendRows(const Folder& folder, const char* name, RowSink& sink,
                           const StopFlag* stop, PageWatch* watch);
    // The same for a file's whole content, already read.
    PageFinding appendRows(std::string_view content, RowSink& sink, const StopFlag* stop);

    // Gives `text` the text of the file `name` in `folder`, or of a file's whole `content`, block
    // after block, as its rows read it (`reading`, the page's PageFinding::reading), up to its
    // first `most` bytes or until `text` returns false. A second look at a page, for what it
    // says to the user: no check that the file held still. Throws FileError and RunStopped.
    using TextBlock = std::function<bool(std::string_view block)>;
    void readText(const Folder& folder, const char* name, const TextReading& reading,
                  std::uint64_t most, const TextBlock& text, const StopFlag* stop);
    static void readText(std::string_view content, const TextReading& reading, std::uint64_t most,
                         const TextBlock& text);

    // Files up to this size are best read whole, several at once where the system can.
    static constexpr std::size_t kSmallFile = std::size_t{64} * 1024;

private:
    std::unique_ptr<char[]> m_storage;
    char* m_buffer;  // in m_storage, at the start of a page
    bool m_unwrap;
    bool m_kinds;
    HeldFileWait* m_held;
};

}  // namespace catalog
