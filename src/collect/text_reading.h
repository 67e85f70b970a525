// How a page's bytes become the text its records are read from. Most pages are read as the
// bytes they hold. Notepad's "Unicode" pages are UTF-16 behind a byte order mark. And a page that
// holds no record as it stands may hold its records under a wrapping that the tool that saved it
// added: a browser's single-file save (MHTML), a shop's HTML escapes (`&#039;REFERENCE&#039;
// =&gt;`), UTF-16 without its mark. Such a page is read through the first wrapping under which
// it holds a record, by the same rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "collect/html_refs.h"
#include "collect/mhtml_text.h"
#include "collect/utf16_text.h"

namespace catalog {

// The steps from a page's bytes to its text, in the order they are taken.
struct TextReading {
    PageEncoding marked = PageEncoding::Bytes;    // UTF-16 behind its byte order mark
    bool mhtml = false;                           // the text parts of a single-file save
    PageEncoding unmarked = PageEncoding::Bytes;  // UTF-16 without a mark, from the page's start
    bool refs = false;                            // HTML escapes decoded
    // Said to the user only: the page began FF FE 00 00, UTF-16's mark then a zero character,
    // which is also UTF-32's mark and so was not taken for UTF-16 at first.
    bool zeroAfterMark = false;

    // Read through a wrapping, which the programs tell the user of.
    bool wrapped() const { return mhtml || unmarked != PageEncoding::Bytes || refs; }
    bool decoded() const { return marked != PageEncoding::Bytes || wrapped(); }
    bool operator==(const TextReading&) const = default;
};

// A page's reading, with the message header it needs where it reads a single-file save.
struct PageText {
    TextReading reading;
    std::optional<MhtmlMessage> message;
};

// Where a page's bytes the reading decodes begin: after a UTF-16 mark, after a message's header
// block, else at the start.
std::uint64_t textStart(const TextReading& reading, const std::optional<MhtmlMessage>& message);

// Where the stages of a decoding put their text on its way: owned by whoever decodes, so that
// the decoder itself stays a small value, copied to note where a reading stood.
struct DecodeScratch {
    std::array<std::string, 2> buffers;
};

// Turns a page's bytes, from textStart() on and given block after block, into the text a
// TextReading reads. What a block cuts waits inside for the next one.
class PageDecoder {
public:
    // `message` is the page's own where the reading is of a single-file save.
    PageDecoder(const TextReading& reading, const std::optional<MhtmlMessage>& message);

    // Writes the text of the page's next `bytes` to `into`, which has room for
    // maxDecoded(bytes.size()), and returns how many bytes it wrote.
    std::size_t decode(std::string_view bytes, char* into, DecodeScratch& scratch);
    // At the page's end: what still waits. `into` has room for mostFinished().
    std::size_t finish(char* into, DecodeScratch& scratch);

    std::size_t maxDecoded(std::size_t bytes) const;
    std::size_t mostFinished() const { return maxDecoded(kFinishAllowance); }

private:
    // What the stages give at the end is no more than they give for this many bytes more.
    static constexpr std::size_t kFinishAllowance = 2 * MhtmlDecoder::maxDecoded(0);
    enum Stage : std::size_t { kMhtml, kUtf16, kRefs, kStages };

    bool has(std::size_t stage) const;
    std::size_t stageBound(std::size_t stage, std::size_t bytes) const;
    std::size_t stageDecode(std::size_t stage, std::string_view bytes, char* into);
    std::size_t stageFinish(std::size_t stage, char* into);
    std::size_t pass(std::size_t first, std::string_view bytes, char* into, DecodeScratch& scratch);

    std::optional<MhtmlDecoder> m_mhtml;
    std::optional<Utf16Decoder> m_utf16;
    std::optional<HtmlRefDecoder> m_refs;
};

}  // namespace catalog
