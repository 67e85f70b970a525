#include "collect/record_reader.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "collect/field_extraction.h"
#include "collect/record_scan.h"
#include "collect/utf16_text.h"
#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/input_file.h"
#include "platform/system_error.h"

namespace catalog {

namespace {

// A page's text passes through a buffer of this size, one per reading thread: a page that fits
// is held whole, and a record whose bytes still lie there is made without reading any again.
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

    std::size_t read(char* into, std::size_t most) {
        const std::uint64_t size = m_file.sizeHint();
        if (size > 0) {
            most = static_cast<std::size_t>(std::min<std::uint64_t>(most, size - m_position));
            if (most == 0) {
                return 0;
            }
        }
        // At its own place: a record read again in between moves a Windows file's pointer.
        const std::size_t got = m_file.readAt(m_position, into, most);
        m_calls += got > 0 ? 1 : 0;
        m_position += got;
        return got;
    }
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t most) {
        ++m_calls;
        return m_file.readAt(offset, into, most);
    }
    std::uint64_t size() const { return m_file.sizeHint(); }
    std::uint64_t position() const { return m_position; }
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

// What a page is read with besides its buffer: the stop to look at between blocks and who is
// told how far the page has come. Either may be null.
struct Watched {
    const StopFlag* stop;
    PageWatch* watch;
};

// Reads into `buffer` until `most` bytes are there or the file ends.
std::size_t fill(Reading& file, char* buffer, std::size_t most, Watched watched) {
    std::size_t length = 0;
    while (length < most) {
        stopIfRequested(watched.stop);
        const std::size_t got =
            file.read(buffer + length, std::min(most - length, kBytesBetweenStopChecks));
        if (got == 0) {
            break;
        }
        length += got;
    }
    if (length > 0 && watched.watch != nullptr) {
        watched.watch->blockRead(file.position());
    }
    return length;
}

// Makes the row of each record as the scan settles it, and counts what the records lack.
class PageRows {
public:
    PageRows(RowSink& sink, const StopFlag* stop, ReadAt readAt = {})
        : m_sink(sink),
          m_stop(stop),
          m_bytes{{}, 0, std::move(readAt)},
          m_onRecord([this](const RecordMatches& matches) { add(matches); }) {}
    // The callback made here calls this very object.
    PageRows(const PageRows&) = delete;
    PageRows& operator=(const PageRows&) = delete;

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

// Where the page's text passes through the buffer, block after block, each scanned as soon as it
// is there: its bytes are then still in the core's cache. The buffer fills up before it is
// reused from its start, so that most records' bytes are still there when the scan settles
// them; the few that started before it was reused are read again.
class HeldText {
public:
    HeldText(char* buffer, PageRows& rows) : m_buffer(buffer), m_rows(rows) {}

    // Where the next `most` bytes of text go.
    char* room(std::size_t most) {
        if (m_held + most > kBufferSize) {
            m_heldFrom += m_held;
            m_held = 0;
        }
        return m_buffer + m_held;
    }
    // The `length` bytes put in room() are the page's next text.
    void add(std::size_t length, RecordScan& scan) {
        m_held += length;
        m_rows.hold({m_buffer, m_held}, m_heldFrom);
        scan.feed({m_buffer + m_held - length, length}, m_rows.onRecord());
    }
    std::uint64_t textBytes() const { return m_heldFrom + m_held; }

private:
    char* m_buffer;
    PageRows& m_rows;
    std::uint64_t m_heldFrom = 0;
    std::size_t m_held = 0;
};

// A UTF-16 page is read as the UTF-8 text it holds: its raw bytes are decoded into the buffer
// as they come, and a record's matches that are no longer there are decoded again from the
// page. `first` is what was read of it before its mark was seen.
PageFinding readUtf16Page(Reading& file, char* buffer, std::string_view first,
                          PageEncoding encoding, RowSink& sink, Watched watched) {
    constexpr std::size_t kRawBlock = std::size_t{64} * 1024;
    const std::string firstRaw(first.substr(kByteOrderMarkBytes));  // the buffer takes its text
    DecodedRereader again([&file](std::uint64_t offset, char* into,
                                  std::size_t most) { return file.readAt(offset, into, most); },
                          encoding);
    PageRows rows(sink, watched.stop, [&again](std::uint64_t offset, char* into, std::size_t most) {
        return again.readAt(offset, into, most);
    });
    HeldText text(buffer, rows);
    RecordScan scan;
    Utf16Decoder decoder(encoding);
    std::uint64_t rawAt = kByteOrderMarkBytes;
    const auto decode = [&](std::string_view raw) {
        again.note(text.textBytes(), rawAt, decoder);
        char* const into = text.room(Utf16Decoder::maxDecoded(raw.size()));
        text.add(decoder.decode(raw, into), scan);
        rawAt += raw.size();
    };
    for (std::size_t at = 0; at < firstRaw.size(); at += kRawBlock) {
        decode(std::string_view(firstRaw).substr(at, kRawBlock));
    }
    const std::unique_ptr<char[]> raw(new char[kRawBlock]);
    while (const std::size_t got = fill(file, raw.get(), kRawBlock, watched)) {
        decode({raw.get(), got});
    }
    text.add(decoder.finish(text.room(Utf16Decoder::kMostFinishBytes)), scan);
    scan.finish(rows.onRecord());
    return rows.finding(scan);
}

PageFinding readPage(Reading& file, char* buffer, RowSink& sink, Watched watched) {
    RecordScan scan;
    PageRows rows(sink, watched.stop, [&file](std::uint64_t offset, char* into, std::size_t most) {
        return file.readAt(offset, into, most);
    });
    HeldText text(buffer, rows);
    for (bool first = true;; first = false) {
        char* const into = text.room(kBytesBetweenStopChecks);
        const std::size_t got = fill(file, into, kBytesBetweenStopChecks, watched);
        if (got == 0) {
            break;
        }
        const PageEncoding encoding =
            first ? encodingOf({into, std::min<std::size_t>(got, 4)}) : PageEncoding::Bytes;
        if (encoding != PageEncoding::Bytes) {
            return readUtf16Page(file, buffer, {into, got}, encoding, sink, watched);
        }
        text.add(got, scan);
    }
    scan.finish(rows.onRecord());
    return rows.finding(scan);
}

// Turns a page's raw blocks into its text, up to a number of the page's bytes: a UTF-16 page's
// text may be longer than the bytes it comes from.
class TextBlocks {
public:
    TextBlocks(std::uint64_t most, const RecordReader::TextBlock& text)
        : m_left(most), m_text(text) {}

    // False once no more is wanted.
    bool add(std::string_view raw) {
        raw = raw.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(raw.size(), m_left)));
        m_left -= raw.size();
        if (m_first) {
            m_first = false;
            const PageEncoding encoding = encodingOf(raw.substr(0, 4));
            if (encoding != PageEncoding::Bytes) {
                m_decoder.emplace(encoding);
                raw.remove_prefix(kByteOrderMarkBytes);
            }
        }
        std::string_view block = raw;
        if (m_decoder) {
            m_decoded.resize(Utf16Decoder::maxDecoded(raw.size()));
            m_decoded.resize(m_decoder->decode(raw, m_decoded.data()));
            block = m_decoded;
        }
        return m_text(block) && m_left > 0;
    }

private:
    bool m_first = true;
    std::uint64_t m_left;
    const RecordReader::TextBlock& m_text;
    std::optional<Utf16Decoder> m_decoder;
    std::string m_decoded;
};

}  // namespace

RecordReader::RecordReader()
    : m_storage(new char[kBufferSize + kPageSize]), m_buffer(pageIn(m_storage.get())) {}

// A row mixing two versions of a file would be wrong in a way no one could see: a file changed
// while it was read is read again from its start, and one that never holds still fails.
PageFinding RecordReader::appendRows(const Folder& folder, const char* name, RowSink& sink,
                                     const StopFlag* stop, PageWatch* watch) {
    for (int reading = 0; reading < kMostReadings; ++reading) {
        try {
            Reading file(folder, name);
            if (watch != nullptr) {
                watch->opened(name, file.size());
            }
            // The watch hears that the page is closed whatever ends the reading.
            const std::unique_ptr<PageWatch, void (*)(PageWatch*)> open(
                watch, [](PageWatch* opened) { opened->closed(); });
            const PageFinding finding = readPage(file, m_buffer, sink, {stop, watch});
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

void RecordReader::readText(const Folder& folder, const char* name, std::uint64_t most,
                            const TextBlock& text, const StopFlag* stop) {
    Reading file(folder, name);
    TextBlocks blocks(most, text);
    for (std::size_t got = fill(file, m_buffer, kBufferSize, {stop, nullptr});
         got > 0 && blocks.add({m_buffer, got});
         got = fill(file, m_buffer, kBufferSize, {stop, nullptr})) {
    }
}

void RecordReader::readText(std::string_view content, std::uint64_t most, const TextBlock& text) {
    TextBlocks(most, text).add(content);
}

PageFinding RecordReader::appendRows(std::string_view content, RowSink& sink,
                                     const StopFlag* stop) {
    const PageEncoding encoding = encodingOf(content.substr(0, 4));
    if (encoding != PageEncoding::Bytes) {
        // Read whole, so small: its text is made whole too.
        Utf16Decoder decoder(encoding);
        const std::string_view raw = content.substr(kByteOrderMarkBytes);
        std::string text(Utf16Decoder::maxDecoded(raw.size()) + Utf16Decoder::kMostFinishBytes,
                         '\0');
        std::size_t length = decoder.decode(raw, text.data());
        length += decoder.finish(text.data() + length);
        text.resize(length);
        return appendRows(text, sink, stop);
    }
    RecordScan scan;
    PageRows rows(sink, stop);
    rows.hold(content, 0);
    scan.feed(content, rows.onRecord());
    scan.finish(rows.onRecord());
    return rows.finding(scan);
}

}  // namespace catalog
