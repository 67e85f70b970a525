// A zip file of stored (uncompressed) entries, made as it is written: what a workbook is, with
// no compression library, which the systems' builds do not all have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collect/handed_piece.h"

namespace catalog {

// One entry's bytes, made twice: once for its size and CRC-32, which the entry's header gives
// before them, and once to be written. Both times must give the same bytes.
class ZipEntry {
public:
    virtual ~ZipEntry() = default;
    virtual std::string_view name() const = 0;
    // From the entry's first byte again.
    virtual void restart() = 0;
    // Appends the entry's next bytes to `out`, some hundred kilobytes at most; false once it has
    // given them all, appending nothing.
    virtual bool more(std::string& out) = 0;
};

// The entries' bytes one after the other, each after a local header that holds its CRC-32 and
// size (no data descriptors, which some readers refuse after stored entries), then the central
// directory; ZIP64 records where an entry, or the file, passes 4 GiB.
class StoredZip {
public:
    // `between` is called between every two parts of an entry's first making (it may throw to
    // give the write up): a workbook of millions of rows is made for a while before its first
    // byte is written.
    StoredZip(std::vector<std::unique_ptr<ZipEntry>> entries, std::function<void()> between);

    // The next piece of the file, valid until asked again; none once all was given.
    std::span<const std::string_view> next();

private:
    struct Written {
        std::uint32_t crc = 0;
        std::uint64_t size = 0;
        std::uint64_t offset = 0;
    };

    void step();
    void beginEntry();
    void endEntry();
    void appendEntryFields(const Written& written, std::size_t nameSize, bool zip64);
    void appendCentralDirectory();

    std::vector<std::unique_ptr<ZipEntry>> m_entries;
    std::function<void()> m_between;
    std::vector<Written> m_written;
    std::size_t m_entry = 0;
    bool m_inEntry = false;
    bool m_finished = false;
    std::uint64_t m_offset = 0;  // bytes given before m_buffer
    std::uint64_t m_entryStart = 0;
    std::uint16_t m_dosTime = 0;
    std::uint16_t m_dosDate = 0;
    std::string m_buffer;
    HandedPiece m_piece;
};

}  // namespace catalog
