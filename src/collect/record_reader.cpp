#include "collect/record_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "collect/decoded_rereader.h"
#include "collect/field_extraction.h"
#include "collect/file_kinds.h"
#include "collect/record_scan.h"
#include "collect/unwrapping.h"
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
    Reading(const Folder& folder, const char* name, HeldFileWait* held)
        : m_file(folder, name, held) {}

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
    // The next read() reads from `offset`: a page is read again from its text's start.
    void rewind(std::uint64_t offset) {
        m_position = offset;
        ++m_calls;  // so that the file is asked whether it changed
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
    PageFinding finding(const RecordScan& scan) const {
        return {scan.records(), m_withMiss, {}, FileKind::Text};
    }

private:
    void add(const RecordMatches& matches) {
        const FieldLengths fields = appendMatchedRow(matches, m_bytes, m_sink.rowText(), m_stop);
        m_withMiss += anyMissing(matches.misses) ? 1 : 0;
        m_sink.rowAdded(fields, matches.misses);
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
        const std::string_view block(m_buffer + m_held - length, length);
        scan.feed(block, m_rows.onRecord());
    }
    std::uint64_t textBytes() const { return m_heldFrom + m_held; }
    // The text's first bytes, while the buffer still holds them.
    std::optional<std::string_view> start() const {
        return m_heldFrom == 0 ? std::optional(std::string_view(m_buffer, m_held)) : std::nullopt;
    }

private:
    char* m_buffer;
    PageRows& m_rows;
    std::uint64_t m_heldFrom = 0;
    std::size_t m_held = 0;
};

// A page read through a decoding (TextReading) is read as the text it gives: its raw bytes are
// decoded into the buffer as they come, and a record's matches that are no longer there are
// decoded again from the page. `first` is what was read of the bytes the decoding begins with,
// before the reading was known; the rest are read from the file's position on.
PageFinding readDecodedPage(Reading& file, char* buffer, std::string_view first,
                            const PageText& page, RowSink& sink, Watched watched,
                            ClueSearch* clues = nullptr) {
    constexpr std::size_t kRawBlock = std::size_t{64} * 1024;
    const std::string firstRaw(first);  // the buffer takes the text
    const std::uint64_t start = textStart(page.reading, page.message);
    PageDecoder decoder(page.reading, page.message);
    DecodeScratch scratch;
    DecodedRereader again([&file](std::uint64_t offset, char* into,
                                  std::size_t most) { return file.readAt(offset, into, most); },
                          decoder, start);
    PageRows rows(sink, watched.stop, [&again](std::uint64_t offset, char* into, std::size_t most) {
        return again.readAt(offset, into, most);
    });
    HeldText text(buffer, rows);
    RecordScan scan(clues);
    std::uint64_t rawAt = start;
    const auto decode = [&](std::string_view raw) {
        again.note(text.textBytes(), rawAt, decoder);
        char* const into = text.room(decoder.maxDecoded(raw.size()));
        text.add(decoder.decode(raw, into, scratch), scan);
        rawAt += raw.size();
    };
    for (std::size_t at = 0; at < firstRaw.size(); at += kRawBlock) {
        decode(std::string_view(firstRaw).substr(at, kRawBlock));
    }
    const std::unique_ptr<char[]> raw(new char[kRawBlock]);
    while (const std::size_t got = fill(file, raw.get(), kRawBlock, watched)) {
        decode({raw.get(), got});
    }
    text.add(decoder.finish(text.room(decoder.mostFinished()), scratch), scan);
    scan.finish(rows.onRecord());
    PageFinding finding = rows.finding(scan);
    finding.reading = page.reading;
    return finding;
}

// What `look` finds in the page's first `bytes` (where a single-file save has its header block,
// and a file's first bytes say what it is), from the buffer while it holds them.
template <typename Look>
auto ofHead(Reading& file, std::optional<std::string_view> held, std::size_t bytes, Look look) {
    if (held && held->size() >= std::min<std::uint64_t>(bytes, file.size())) {
        return look(*held);
    }
    std::string head(bytes, '\0');
    head.resize(file.readAt(0, head.data(), head.size()));
    return look(head);
}

// A page read as it stands: its rows, and what tells whether a wrapping may hold its records.
struct AsItStands {
    PageFinding finding;
    WrapClues clues;
    std::optional<MhtmlMessage> message;  // looked for only where the page holds no record
    FileKind headKind = FileKind::Text;   // likewise
};

AsItStands readPage(Reading& file, char* buffer, RowSink& sink, Watched watched, bool unwrap,
                    bool kinds) {
    ClueSearch clues;
    RecordScan scan(unwrap ? &clues : nullptr);
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
            const TextReading reading{encoding};
            const PageFinding finding = readDecodedPage(
                file, buffer, std::string_view(into, got).substr(kByteOrderMarkBytes),
                {reading, std::nullopt}, sink, watched, unwrap ? &clues : nullptr);
            return {finding, clues.clues(), std::nullopt, FileKind::Text};
        }
        text.add(got, scan);
    }
    scan.finish(rows.onRecord());
    AsItStands page{rows.finding(scan), clues.clues(), std::nullopt};
    if (kinds && !page.finding.holdsRecord()) {
        page.headKind = ofHead(file, text.start(), kKindHeadBytes, kindOfHead);
    }
    if (unwrap && !page.finding.holdsRecord()) {
        page.message = ofHead(file, text.start(), kMhtmlHeadBytes, mhtmlMessage);
    }
    return page;
}

// The second reading of a page without a record as it stands: the reading under which it holds
// one, if any.
std::optional<PageText> wrappedText(Reading& file, char* buffer, const AsItStands& page,
                                    Watched watched) {
    const std::vector<Candidate> candidates =
        candidatesFor(page.finding.reading.marked, page.message.has_value(), page.clues);
    if (candidates.empty()) {
        return std::nullopt;
    }
    WrappingChoice choice(candidates, page.message);
    file.rewind(textStart(candidates.front().reading, page.message));
    while (const std::size_t got = fill(file, buffer, kBufferSize, watched)) {
        choice.feed({buffer, got});
        if (choice.settled()) {
            break;
        }
    }
    const std::optional<TextReading> reading = choice.finish();
    return reading ? std::optional(PageText{*reading, page.message}) : std::nullopt;
}

// Said of a page read as UTF-16 from its start: whether it began with UTF-16's mark and a zero
// character, FF FE 00 00, which is kept as bytes as it may be UTF-32's mark.
void noteZeroAfterMark(TextReading& reading, std::string_view head) {
    reading.zeroAfterMark = reading.unmarked == PageEncoding::Utf16LittleEndian &&
                            head.starts_with(std::string_view("\xFF\xFE\0\0", 4));
}

// The whole text of a small page read whole, under `page`'s reading.
std::string decodedWhole(std::string_view content, const PageText& page) {
    const std::string_view raw = content.substr(
        std::min<std::uint64_t>(textStart(page.reading, page.message), content.size()));
    PageDecoder decoder(page.reading, page.message);
    DecodeScratch scratch;
    std::string text(decoder.maxDecoded(raw.size()) + decoder.mostFinished(), '\0');
    std::size_t length = decoder.decode(raw, text.data(), scratch);
    length += decoder.finish(text.data() + length, scratch);
    text.resize(length);
    return text;
}

// The rows of a page's whole text.
PageFinding scanWhole(std::string_view text, RowSink& sink, const StopFlag* stop,
                      ClueSearch* clues = nullptr) {
    RecordScan scan(clues);
    PageRows rows(sink, stop);
    rows.hold(text, 0);
    scan.feed(text, rows.onRecord());
    scan.finish(rows.onRecord());
    return rows.finding(scan);
}

// Turns a page's raw blocks into the text its rows were read from, up to a number of the page's
// bytes: a decoded page's text may be longer than the bytes it comes from.
class TextBlocks {
public:
    TextBlocks(std::uint64_t most, const TextReading& reading, const RecordReader::TextBlock& text)
        : m_left(most), m_reading(reading), m_text(text) {}

    // False once no more is wanted.
    bool add(std::string_view raw) {
        raw = raw.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(raw.size(), m_left)));
        m_left -= raw.size();
        if (m_first && m_reading.decoded()) {
            const std::optional<MhtmlMessage> message =
                m_reading.mhtml ? mhtmlMessage(raw) : std::nullopt;
            m_decoder.emplace(m_reading, message);
            raw.remove_prefix(std::min<std::uint64_t>(textStart(m_reading, message), raw.size()));
        }
        m_first = false;
        std::string_view block = raw;
        if (m_decoder) {
            m_decoded.resize(m_decoder->maxDecoded(raw.size()));
            m_decoded.resize(m_decoder->decode(raw, m_decoded.data(), m_scratch));
            block = m_decoded;
        }
        return m_text(block) && m_left > 0;
    }

private:
    bool m_first = true;
    std::uint64_t m_left;
    TextReading m_reading;
    const RecordReader::TextBlock& m_text;
    std::optional<PageDecoder> m_decoder;
    DecodeScratch m_scratch;
    std::string m_decoded;
};

// Whether the page holds the record marker as UTF-32, read again from its start.
bool holdsUtf32Marker(Reading& file, char* buffer, Watched watched) {
    Utf32MarkerSearch search;
    file.rewind(0);
    while (const std::size_t got = fill(file, buffer, kBufferSize, watched)) {
        search.feed({buffer, got});
        if (search.found()) {
            break;
        }
    }
    return search.found();
}

// What a page that gave no row is. Only a page whose first reading saw UTF-32's clue is read
// again for it.
FileKind kindWithoutRecord(FileKind headKind, const TextReading& reading, bool utf32Clue,
                           const std::function<bool()>& holdsUtf32) {
    if (isBinaryFormat(headKind)) {
        return headKind;
    }
    if (utf32Clue && holdsUtf32()) {
        return FileKind::Utf32;
    }
    // UTF-16 holds zero bytes as text.
    const bool readAsBytes =
        reading.marked == PageEncoding::Bytes && reading.unmarked == PageEncoding::Bytes;
    return headKind == FileKind::NoText && readAsBytes ? FileKind::NoText : FileKind::Text;
}

// Reads a page as it stands and, where it holds no record, through the wrapping that holds one.
PageFinding readWrapped(Reading& file, char* buffer, RowSink& sink, Watched watched,
                        const AsItStands& page) {
    const std::optional<PageText> wrapped = wrappedText(file, buffer, page, watched);
    if (!wrapped) {
        return page.finding;
    }
    PageText text = *wrapped;
    std::array<char, 4> head{};
    noteZeroAfterMark(text.reading, {head.data(), file.readAt(0, head.data(), head.size())});
    file.rewind(textStart(text.reading, text.message));
    return readDecodedPage(file, buffer, {}, text, sink, watched);
}

PageFinding readAllWays(Reading& file, char* buffer, RowSink& sink, Watched watched, bool unwrap,
                        bool kinds) {
    const AsItStands page = readPage(file, buffer, sink, watched, unwrap, kinds);
    if (page.finding.holdsRecord()) {
        return page.finding;
    }
    PageFinding finding = unwrap ? readWrapped(file, buffer, sink, watched, page) : page.finding;
    if (kinds && !finding.holdsRecord()) {
        finding.kind = kindWithoutRecord(page.headKind, finding.reading, page.clues.priceUtf32,
                                         [&] { return holdsUtf32Marker(file, buffer, watched); });
    }
    return finding;
}

// The rows of a file's whole content. `found` hears what the first reading found, for a page
// without a record as it stands.
PageFinding contentRows(std::string_view content, RowSink& sink, const StopFlag* stop, bool unwrap,
                        WrapClues& found) {
    const PageEncoding encoding = encodingOf(content.substr(0, 4));
    const PageText asItStands{TextReading{encoding}, std::nullopt};
    // Read whole, so small: a decoded text is made whole too.
    const std::string decoded =
        encoding != PageEncoding::Bytes ? decodedWhole(content, asItStands) : std::string();
    const std::string_view text =
        encoding != PageEncoding::Bytes ? std::string_view(decoded) : content;
    ClueSearch clues;
    PageFinding finding = scanWhole(text, sink, stop, unwrap ? &clues : nullptr);
    finding.reading = asItStands.reading;
    if (finding.holdsRecord() || !unwrap) {
        return finding;
    }
    found = clues.clues();
    const std::optional<MhtmlMessage> message =
        encoding == PageEncoding::Bytes ? mhtmlMessage(content) : std::nullopt;
    const std::vector<Candidate> candidates =
        candidatesFor(encoding, message.has_value(), clues.clues());
    if (candidates.empty()) {
        return finding;
    }
    WrappingChoice choice(candidates, message);
    choice.feed(content.substr(
        std::min<std::uint64_t>(textStart(candidates.front().reading, message), content.size())));
    const std::optional<TextReading> reading = choice.finish();
    if (!reading) {
        return finding;
    }
    PageText wrapped{*reading, message};
    noteZeroAfterMark(wrapped.reading, content);
    finding = scanWhole(decodedWhole(content, wrapped), sink, stop);
    finding.reading = wrapped.reading;
    return finding;
}

}  // namespace

RecordReader::RecordReader(bool unwrap, HeldFileWait* held, bool kinds)
    : m_storage(new char[kBufferSize + kPageSize]),
      m_buffer(pageIn(m_storage.get())),
      m_unwrap(unwrap),
      m_kinds(kinds),
      m_held(held) {}

// A row mixing two versions of a file would be wrong in a way no one could see: a file changed
// while it was read is read again from its start, and one that never holds still fails. The
// readings of a page without a record as it stands count as one: its rows are from one version.
PageFinding RecordReader::appendRows(const Folder& folder, const char* name, RowSink& sink,
                                     const StopFlag* stop, PageWatch* watch) {
    for (int reading = 0; reading < kMostReadings; ++reading) {
        try {
            Reading file(folder, name, m_held);
            if (watch != nullptr) {
                watch->opened(name, file.size());
            }
            // The watch hears that the page is closed whatever ends the reading.
            const std::unique_ptr<PageWatch, void (*)(PageWatch*)> open(
                watch, [](PageWatch* opened) { opened->closed(); });
            const PageFinding finding =
                readAllWays(file, m_buffer, sink, {stop, watch}, m_unwrap, m_kinds);
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

void RecordReader::readText(const Folder& folder, const char* name, const TextReading& reading,
                            std::uint64_t most, const TextBlock& text, const StopFlag* stop) {
    Reading file(folder, name, m_held);
    TextBlocks blocks(most, reading, text);
    for (std::size_t got = fill(file, m_buffer, kBufferSize, {stop, nullptr});
         got > 0 && blocks.add({m_buffer, got});
         got = fill(file, m_buffer, kBufferSize, {stop, nullptr})) {
    }
}

void RecordReader::readText(std::string_view content, const TextReading& reading,
                            std::uint64_t most, const TextBlock& text) {
    TextBlocks(most, reading, text).add(content);
}

PageFinding RecordReader::appendRows(std::string_view content, RowSink& sink,
                                     const StopFlag* stop) {
    WrapClues clues;
    PageFinding finding = contentRows(content, sink, stop, m_unwrap, clues);
    if (m_kinds && !finding.holdsRecord()) {
        finding.kind =
            kindWithoutRecord(kindOfHead(content), finding.reading, clues.priceUtf32, [content] {
                Utf32MarkerSearch search;
                search.feed(content);
                return search.found();
            });
    }
    return finding;
}

}  // namespace catalog
