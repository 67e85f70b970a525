#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace catalog {

// How a page's bytes are read. Pages saved as "Unicode" by Windows Notepad are UTF-16 behind a
// byte order mark and are read as the UTF-8 text they hold; every other page is read as the
// bytes it holds, a UTF-8 mark included.
enum class PageEncoding { Bytes, Utf16LittleEndian, Utf16BigEndian };

// The UTF-16 mark that starts such a page is not part of its text.
inline constexpr std::size_t kByteOrderMarkBytes = 2;

// The encoding of a page that starts with `head`: its first 4 bytes, or all of it when shorter.
// FF FE 00 00 is the UTF-32 little-endian mark, which is not taken for UTF-16: such a page stays
// bytes.
PageEncoding encodingOf(std::string_view head);

// Turns a UTF-16 page, given block after block, into UTF-8. A code unit or a surrogate pair cut
// by the end of a block waits inside for the next one, so blocks may be cut anywhere. It is a
// small value, copied to note where a reading stood so that it can resume from there later.
class Utf16Decoder {
public:
    // What finish() may write at most: a high surrogate and an odd byte left waiting.
    static constexpr std::size_t kMostFinishBytes = 6;

    // `encoding` is one of the UTF-16 ones; Bytes, which needs no decoding, reads as
    // little-endian.
    explicit Utf16Decoder(PageEncoding encoding)
        : m_bigEndian(encoding == PageEncoding::Utf16BigEndian) {}

    // Writes the UTF-8 of the page's next `bytes` (after the mark, following those given
    // before) to `into`, which has room for maxDecoded(bytes.size()) bytes, and returns how
    // many it wrote. A surrogate without its other half becomes U+FFFD; U+0000 is the byte 00.
    std::size_t decode(std::string_view bytes, char* into);
    // At the page's end: what still waits, a high surrogate or an odd byte, becomes one U+FFFD
    // each. `into` has room for kMostFinishBytes; returns how many bytes it wrote.
    std::size_t finish(char* into);

    // The most decode() writes for `bytes` bytes, those waiting from earlier calls included:
    // each code unit, the one an odd byte left waiting completes included, gives at most 3
    // bytes (a pair gives 4 for 2 units), and a high surrogate waiting from an earlier call
    // may turn into U+FFFD.
    static constexpr std::size_t maxDecoded(std::size_t bytes) { return 3 * ((bytes + 1) / 2) + 3; }

private:
    template <bool kBigEndian>
    std::size_t decodeAs(std::string_view bytes, char* into);

    bool m_bigEndian;
    bool m_holdsByte = false;
    unsigned char m_heldByte = 0;
    std::uint16_t m_heldHigh = 0;  // a high surrogate waiting for its low half; 0 when none
};

// Reads `most` bytes of a file at `offset` (from the file's start, the mark included) into
// `into` and returns how many it read: fewer, down to 0, only at the file's end. May throw.
using RawReadAt = std::function<std::size_t(std::uint64_t offset, char* into, std::size_t most)>;

// Reads the decoded text of a UTF-16 page again at any offset in that text, by reading the
// page's bytes again and decoding from the nearest place before it that the streaming side
// noted. Memory does not grow with the page: it keeps a fixed number of notes and two buffers.
class DecodedRereader {
public:
    DecodedRereader(RawReadAt rawReadAt, PageEncoding encoding);

    // Notes that decoded offset `decoded` starts at raw offset `raw`, where the decoder was in
    // `state` before decoding the bytes there. The streaming side notes in increasing order, at
    // the start of each block it reads; a note at or before the last one is ignored.
    void note(std::uint64_t decoded, std::uint64_t raw, const Utf16Decoder& state);

    // Reads `most` bytes of the decoded text at decoded offset `offset` (a byte offset in the
    // UTF-8, so it may fall inside a character) into `into` and returns how many it read:
    // fewer, down to 0, only where the text ends, what finish() gives at the page's end
    // included. Throws what the raw reader throws. A read that goes on from where the last one
    // ended decodes nothing again, so a long value read in pieces costs one reading of it.
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t most);

    // Notes kept at most. The latest kRecentNotes are kept as they come, as a record that
    // straddles the reuse of the reader's buffer is read again from just before it; older ones
    // are spread over the page, thinned to half of them when full.
    static constexpr std::size_t kMostNotes = 64;
    static constexpr std::size_t kRecentNotes = 16;
    // The raw bytes read again at a time.
    static constexpr std::size_t kRawBlock = std::size_t{64} * 1024;

private:
    // A decoded offset, the raw offset of the bytes that start it, and the decoder before them.
    struct Place {
        std::uint64_t decoded;
        std::uint64_t raw;
        Utf16Decoder state;
    };

    const Place& nearestNote(std::uint64_t offset) const;
    void restartAt(const Place& place);
    void keepOrDropOldestRecent();
    bool decodeNextBlock();

    RawReadAt m_rawReadAt;
    std::vector<Place> m_notes;  // the spread ones, then the recent ones
    std::size_t m_spread = 1;    // the first note, at the text's start, is always kept
    // Notes closer to the last spread one than this, in raw bytes, are not kept among them,
    // which keeps them even once thinned.
    std::uint64_t m_leastGap = 0;

    // The cursor: m_decoded holds the decoded text from m_decodedAt on, m_decodedEnd bytes of
    // it, which the raw bytes before m_rawAt decoded by m_decoder gave. Reading on from there
    // decodes nothing twice.
    std::vector<char> m_raw;
    std::vector<char> m_decoded;
    std::uint64_t m_decodedAt = 0;
    std::size_t m_decodedEnd = 0;
    std::uint64_t m_rawAt = kByteOrderMarkBytes;
    Utf16Decoder m_decoder;
    bool m_atEnd = false;  // finish() has given the text's last bytes
};

}  // namespace catalog
