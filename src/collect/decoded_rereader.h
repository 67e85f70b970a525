#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "collect/text_reading.h"

namespace catalog {

// Reads `most` bytes of a file at `offset` (from the file's start, the mark included) into
// `into` and returns how many it read: fewer, down to 0, only at the file's end. May throw.
using RawReadAt = std::function<std::size_t(std::uint64_t offset, char* into, std::size_t most)>;

// Reads the text of a decoded page (TextReading) again at any offset in that text, by reading
// the page's bytes again and decoding from the nearest place before it that the streaming side
// noted. Memory does not grow with the page: it keeps a fixed number of notes and two buffers.
class DecodedRereader {
public:
    // The page's text begins at its byte `rawStart` (textStart()), where `decoder` begins.
    DecodedRereader(RawReadAt rawReadAt, const PageDecoder& decoder, std::uint64_t rawStart);

    // Notes that decoded offset `decoded` starts at raw offset `raw`, where the decoder was in
    // `state` before decoding the bytes there. The streaming side notes in increasing order, at
    // the start of each block it reads; a note at or before the last one is ignored.
    void note(std::uint64_t decoded, std::uint64_t raw, const PageDecoder& state);

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
        PageDecoder state;
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
    std::uint64_t m_rawAt;
    PageDecoder m_decoder;
    DecodeScratch m_scratch;
    bool m_atEnd = false;  // finish() has given the text's last bytes
};

}  // namespace catalog
