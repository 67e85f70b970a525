#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace catalog {

// A browser's "single file" save (MHTML) wraps the page in a MIME message: its HTML is one part
// among images and style sheets, written as quoted-printable (`=>` as `=3D>`, long lines broken
// by a trailing `=`) or base64. What such a page holds is the text of its HTML and plain-text
// parts, decoded and joined.

// What the message's header block gives: the boundary between its parts, and where its preamble
// begins, right after the block's empty line.
struct MhtmlMessage {
    static constexpr std::size_t kMostBoundary = 70;

    std::array<char, kMostBoundary> boundary{};
    std::uint8_t boundarySize = 0;
    std::uint64_t bodyFrom = 0;

    std::string_view boundaryText() const { return {boundary.data(), boundarySize}; }
};

// The header block is looked for this far into a page.
inline constexpr std::size_t kMhtmlHeadBytes = std::size_t{64} * 1024;

// The message a page starting with `head` (its first kMhtmlHeadBytes, or all of it) is, if it is
// one: a header block from its start (after a UTF-8 mark) to an empty line, each of its lines a
// header (with a colon) or the continuation of one (starting with a blank), holding `MIME-Version:`
// and a `Content-Type:` of `multipart/` with a `boundary=` of 1 to 70 characters.
std::optional<MhtmlMessage> mhtmlMessage(std::string_view head);

// Turns a message's bytes, from its preamble on (MhtmlMessage::bodyFrom), given block after
// block, into the decoded text of its `text/html` and `text/plain` parts. Parts are parted by
// lines `--BOUNDARY` (trailing blanks and CR ignored; the line break before belongs to it);
// `--BOUNDARY--` ends them. A part's `Content-Transfer-Encoding` may be quoted-printable or
// base64; other parts (images, style sheets, nested multiparts) give nothing. A small value,
// copied to note where a reading stood.
class MhtmlDecoder {
public:
    // A delimiter line is held back until its line ends; one longer than a line may be in a
    // message (998 characters) is none.
    static constexpr std::size_t kMostHeld = 1000;

    explicit MhtmlDecoder(const MhtmlMessage& message);

    // Writes the decoded text of the next `bytes` to `into`, which has room for maxDecoded(),
    // and returns how many bytes it wrote.
    std::size_t decode(std::string_view bytes, char* into);
    // At the message's end: what is held goes to the part in hand, which ends. Writes at most
    // maxDecoded(0).
    std::size_t finish(char* into);

    // Each byte gives at most one: what is held back (a delimiter line's start, a
    // quoted-printable `=X`) is only given later.
    static constexpr std::size_t maxDecoded(std::size_t bytes) { return bytes + kMostHeld + 4; }

private:
    enum class Section : std::uint8_t { Preamble, Headers, Body, Epilogue };
    enum class Delimiter : std::uint8_t { None, Dashes, Tail };
    enum class Encoding : std::uint8_t { Plain, QuotedPrintable, Base64 };

    // A part's headers as their bytes come, lines unfolded: what is kept of each header is its
    // name and its value without the blanks around it, as far as a type or an encoding may
    // reach; a longer value is none of those.
    class PartHeaders {
    public:
        // The next byte of a header line, its line end excluded.
        void add(char byte);
        // The line ends; true when it was the empty line that ends the headers.
        bool lineEnds();
        // Whether the part is text (text/html or text/plain, as a part without a type is), and
        // its transfer encoding: the first header of each counts.
        bool text() const { return m_text; }
        Encoding encoding() const { return m_encoding; }

    private:
        static constexpr std::size_t kMostName = 32;
        static constexpr std::size_t kMostValue = 64;

        void take(char byte);
        void headerEnds();

        std::array<char, kMostName> m_name{};
        std::array<char, kMostValue> m_value{};
        std::uint8_t m_nameSize = 0;
        std::uint8_t m_valueSize = 0;
        bool m_nameLong = false;   // did not fit: no name wanted is that long
        bool m_valueLong = false;  // did not fit: its start is kept, for the type
        bool m_inValue = false;    // past the colon
        std::size_t m_blanks = 0;  // inside the value, not yet known to be trailing
        bool m_crWaits = false;    // may be the CR of the line's CR LF
        bool m_lineBegun = false;
        bool m_sawType = false;
        bool m_sawEncoding = false;
        bool m_text = true;
        Encoding m_encoding = Encoding::Plain;
    };

    static constexpr std::uint8_t kNothingPending = 0;
    static constexpr std::uint8_t kEquals = 1;
    static constexpr std::uint8_t kEqualsCr = 2;
    static constexpr std::uint8_t kEqualsHex = 3;

    char* step(char byte, char* out);
    char* delimiterStep(char byte, char* out);
    char* delimiterFound(char* out);
    char* givePending(char* out);
    char* plain(char byte, char* out);
    char* release(char* out);
    char* partEnds(char* out);
    void startLine();
    void hold(char byte) { m_held[m_heldCount++] = byte; }
    char* body(char byte, char* out);
    char* quotedPrintable(char byte, char* out);
    char* base64(char byte, char* out);

    MhtmlMessage m_message;
    Section m_section = Section::Preamble;
    Delimiter m_delimiter = Delimiter::Dashes;
    std::uint8_t m_closeDashes = 0;
    bool m_padded = false;        // a blank or CR followed the boundary
    bool m_crWaits = false;       // a body's CR that may start the line break before a delimiter
    std::size_t m_lineBreak = 0;  // of the held bytes, those of the line break before them
    std::size_t m_matched = 0;    // bytes of `--BOUNDARY` held
    std::array<char, kMostHeld + 2> m_held{};
    std::size_t m_heldCount = 0;

    PartHeaders m_headers;

    // The body's decoding: a quoted-printable `=` and what follows it, or base64's bits.
    std::uint8_t m_pending = kNothingPending;
    char m_pendingByte = 0;
    std::uint32_t m_bits = 0;
    std::uint8_t m_bitCount = 0;
};

}  // namespace catalog
