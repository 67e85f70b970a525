#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/wtf8.h"

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

    // `encoding` is one of the UTF-16 ones; Bytes, which needs no decoding, reads as little-endian.
    explicit Utf16Decoder(PageEncoding encoding)
        : m_bigEndian(encoding == PageEncoding::Utf16BigEndian) {}

    // Writes the UTF-8 of the page's next `bytes` (after the mark, following those given
    // before) to `into`, which has room for maxDecoded(bytes.size()) bytes, and returns how
    // many it wrote. A surrogate without its other half becomes U+FFFD; U+0000 is the byte 00.
    std::size_t decode(std::string_view bytes, char* into);
    // At the page's end: what still waits, a high surrogate or an odd byte, becomes one U+FFFD
    // each. `into` has room for kMostFinishBytes; returns how many bytes it wrote.
    std::size_t finish(char* into);

    // The most decode() writes for `bytes` bytes, those waiting from earlier calls included: each
    // code unit, the one an odd byte left waiting completes included, gives at most 3 bytes (a pair
    // gives 4 for 2 units), and a high surrogate waiting from an earlier call may turn into U+FFFD.
    static constexpr std::size_t maxDecoded(std::size_t bytes) { return 3 * ((bytes + 1) / 2) + 3; }

private:
    template <bool kBigEndian>
    std::size_t decodeAs(std::string_view bytes, char* into);

    bool m_bigEndian;
    bool m_holdsByte = false;
    unsigned char m_heldByte = 0;
    std::uint16_t m_heldHigh = 0;  // a high surrogate waiting for its low half; 0 when none
};

}  // namespace catalog
