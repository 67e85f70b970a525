#include "collect/stored_zip.h"

#include <cassert>
#include <chrono>
#include <stdexcept>

#include "collect/crc32.h"

namespace catalog {

namespace {

// Where a size or an offset takes a ZIP64 field: the 32-bit field then holds this mark.
constexpr std::uint64_t kZip64Mark = 0xFFFFFFFF;
constexpr std::uint16_t kPlainVersion = 20;
constexpr std::uint16_t kZip64Version = 45;

void append16(std::string& out, std::uint64_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void append32(std::string& out, std::uint64_t value) {
    append16(out, value & 0xFFFF);
    append16(out, (value >> 16) & 0xFFFF);
}

void append64(std::string& out, std::uint64_t value) {
    append32(out, value & 0xFFFFFFFF);
    append32(out, value >> 32);
}

// A value for a 32-bit field, or the mark that sends the reader to the ZIP64 field.
std::uint64_t field32(std::uint64_t value) {
    return value >= kZip64Mark ? kZip64Mark : value;
}

// The time the entries are said to be made, in the MS-DOS form a zip keeps (UTC: a zip names
// no time zone).
std::pair<std::uint16_t, std::uint16_t> dosTimeAndDate() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(floor<seconds>(now - day));
    const int year = std::max(static_cast<int>(date.year()), 1980);
    return {
        static_cast<std::uint16_t>(time.hours().count() << 11 | time.minutes().count() << 5 |
                                   time.seconds().count() / 2),
        static_cast<std::uint16_t>((year - 1980) << 9 | static_cast<unsigned>(date.month()) << 5 |
                                   static_cast<unsigned>(date.day()))};
}

}  // namespace

StoredZip::StoredZip(std::vector<std::unique_ptr<ZipEntry>> entries, std::function<void()> between)
    : m_entries(std::move(entries)), m_between(std::move(between)) {
    std::tie(m_dosTime, m_dosDate) = dosTimeAndDate();
    m_written.reserve(m_entries.size());
}

std::span<const std::string_view> StoredZip::next() {
    m_offset += m_buffer.size();
    m_buffer.clear();
    while (m_buffer.size() < kMadePieceBytes && !m_finished) {
        step();
    }
    return m_piece.of(m_buffer);
}

void StoredZip::step() {
    if (m_entry == m_entries.size()) {
        appendCentralDirectory();
        m_finished = true;
    } else if (!m_inEntry) {
        beginEntry();
    } else if (!m_entries[m_entry]->more(m_buffer)) {
        endEntry();
    }
}

// The entry is made once for its CRC-32 and size, then its header written and its making begun
// again.
void StoredZip::beginEntry() {
    ZipEntry& entry = *m_entries[m_entry];
    Written written{0, 0, m_offset + m_buffer.size()};
    std::string part;
    entry.restart();
    while (entry.more(part)) {
        written.crc = crc32(written.crc, part);
        written.size += part.size();
        part.clear();
        if (m_between) {
            m_between();
        }
    }
    const bool zip64 = written.size >= kZip64Mark;
    append32(m_buffer, 0x04034B50);
    appendEntryFields(written, entry.name().size(), zip64);
    append16(m_buffer, zip64 ? 20 : 0);
    m_buffer.append(entry.name());
    if (zip64) {
        append16(m_buffer, 0x0001);
        append16(m_buffer, 16);
        append64(m_buffer, written.size);
        append64(m_buffer, written.size);
    }
    m_written.push_back(written);
    m_entryStart = m_offset + m_buffer.size();
    entry.restart();
    m_inEntry = true;
}

// What a local header and the central directory's entry share, from the version needed on: a
// stored entry, without flags.
void StoredZip::appendEntryFields(const Written& written, std::size_t nameSize, bool zip64) {
    append16(m_buffer, zip64 ? kZip64Version : kPlainVersion);
    append16(m_buffer, 0);  // no flags
    append16(m_buffer, 0);  // stored
    append16(m_buffer, m_dosTime);
    append16(m_buffer, m_dosDate);
    append32(m_buffer, written.crc);
    append32(m_buffer, field32(written.size));
    append32(m_buffer, field32(written.size));
    append16(m_buffer, nameSize);
}

// A second making that gave other bytes would leave a zip whose readers fail on it.
void StoredZip::endEntry() {
    if (m_offset + m_buffer.size() - m_entryStart != m_written.back().size) {
        throw std::logic_error("a zip entry changed between its two makings");
    }
    m_inEntry = false;
    ++m_entry;
}

void StoredZip::appendCentralDirectory() {
    const std::uint64_t start = m_offset + m_buffer.size();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Written& written = m_written[i];
        std::string extra;
        if (written.size >= kZip64Mark) {
            append64(extra, written.size);
            append64(extra, written.size);
        }
        if (written.offset >= kZip64Mark) {
            append64(extra, written.offset);
        }
        const bool zip64 = !extra.empty();
        append32(m_buffer, 0x02014B50);
        append16(m_buffer, kZip64Version);  // made by: the version, on MS-DOS
        appendEntryFields(written, m_entries[i]->name().size(), zip64);
        append16(m_buffer, zip64 ? extra.size() + 4 : 0);
        append16(m_buffer, 0);  // no comment
        append16(m_buffer, 0);  // on the first disk
        append16(m_buffer, 0);  // no internal attributes
        append32(m_buffer, 0);  // no external attributes
        append32(m_buffer, field32(written.offset));
        m_buffer.append(m_entries[i]->name());
        if (zip64) {
            append16(m_buffer, 0x0001);
            append16(m_buffer, extra.size());
            m_buffer.append(extra);
        }
    }
    const std::uint64_t end = m_offset + m_buffer.size();
    const std::uint64_t size = end - start;
    assert(m_entries.size() < 0xFFFF);
    if (start >= kZip64Mark || size >= kZip64Mark) {
        append32(m_buffer, 0x06064B50);
        append64(m_buffer, 44);  // the record's size past this field
        append16(m_buffer, kZip64Version);
        append16(m_buffer, kZip64Version);
        append32(m_buffer, 0);
        append32(m_buffer, 0);
        append64(m_buffer, m_entries.size());
        append64(m_buffer, m_entries.size());
        append64(m_buffer, size);
        append64(m_buffer, start);
        append32(m_buffer, 0x07064B50);
        append32(m_buffer, 0);
        append64(m_buffer, end);
        append32(m_buffer, 1);
    }
    append32(m_buffer, 0x06054B50);
    append16(m_buffer, 0);
    append16(m_buffer, 0);
    append16(m_buffer, m_entries.size());
    append16(m_buffer, m_entries.size());
    append32(m_buffer, field32(size));
    append32(m_buffer, field32(start));
    append16(m_buffer, 0);  // no comment
}

}  // namespace catalog
