#include "collect/decoded_rereader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace catalog {

DecodedRereader::DecodedRereader(RawReadAt rawReadAt, const PageDecoder& decoder,
                                 std::uint64_t rawStart)
    : m_rawReadAt(std::move(rawReadAt)), m_rawAt(rawStart), m_decoder(decoder) {
    m_notes.reserve(kMostNotes);
    // The text's start needs no note of the streaming side: nothing is decoded there yet.
    m_notes.push_back(Place{0, rawStart, decoder});
}

void DecodedRereader::note(std::uint64_t decoded, std::uint64_t raw, const PageDecoder& state) {
    if (decoded <= m_notes.back().decoded || raw <= m_notes.back().raw) {
        return;
    }
    m_notes.push_back(Place{decoded, raw, state});
    if (m_notes.size() - m_spread > kRecentNotes) {
        keepOrDropOldestRecent();
    }
}

// The oldest of the recent notes joins those spread over the page, unless it is closer to the
// last of them than they are to each other.
void DecodedRereader::keepOrDropOldestRecent() {
    const auto oldest = m_notes.begin() + static_cast<std::ptrdiff_t>(m_spread);
    if (oldest->raw - m_notes[m_spread - 1].raw < m_leastGap) {
        m_notes.erase(oldest);
        return;
    }
    if (++m_spread < kMostNotes - kRecentNotes) {
        return;
    }
    // Every other spread note goes, the first stays; from then on they are at least as far
    // apart as those kept, so that they stay evenly spread and the bytes decoded again from
    // one stay a fraction of the page.
    std::size_t kept = 0;
    for (std::size_t at = 0; at < m_spread; at += 2) {
        m_notes[kept++] = m_notes[at];
    }
    m_notes.erase(m_notes.begin() + static_cast<std::ptrdiff_t>(kept),
                  m_notes.begin() + static_cast<std::ptrdiff_t>(m_spread));
    m_leastGap = (m_notes[kept - 1].raw - m_notes.front().raw) / (kept - 1);
    m_spread = kept;
}

const DecodedRereader::Place& DecodedRereader::nearestNote(std::uint64_t offset) const {
    // The first note, at 0, is at or before any offset.
    return *(std::ranges::upper_bound(m_notes, offset, {}, &Place::decoded) - 1);
}

void DecodedRereader::restartAt(const Place& place) {
    m_decodedAt = place.decoded;
    m_decodedEnd = 0;
    m_rawAt = place.raw;
    m_decoder = place.state;
    m_atEnd = false;
}

std::size_t DecodedRereader::readAt(std::uint64_t offset, char* into, std::size_t most) {
    // Going on from the cursor decodes nothing twice, unless a note lies between it and
    // `offset`; behind the cursor, only a note has the decoder's state.
    const Place& note = nearestNote(offset);
    if (offset < m_decodedAt || note.decoded > m_decodedAt + m_decodedEnd) {
        restartAt(note);
    }
    std::size_t read = 0;
    while (read < most) {
        if (offset >= m_decodedAt + m_decodedEnd) {
            if (!decodeNextBlock()) {
                break;
            }
            continue;
        }
        const auto from = static_cast<std::size_t>(offset - m_decodedAt);
        const std::size_t count = std::min(most - read, m_decodedEnd - from);
        std::memcpy(into + read, m_decoded.data() + from, count);
        read += count;
        offset += count;
    }
    return read;
}

// Moves the cursor past the decoded bytes it holds, to the next ones; false at the text's end.
bool DecodedRereader::decodeNextBlock() {
    if (m_raw.empty()) {
        // Only pages read again need the buffers.
        m_raw.resize(kRawBlock);
        m_decoded.resize(std::max(m_decoder.maxDecoded(kRawBlock), m_decoder.mostFinished()));
    }
    m_decodedAt += m_decodedEnd;
    m_decodedEnd = 0;
    // A block may decode to nothing yet: a lone byte or a high surrogate waits for the next.
    while (m_decodedEnd == 0 && !m_atEnd) {
        const std::size_t got =
            std::min(m_rawReadAt(m_rawAt, m_raw.data(), m_raw.size()), m_raw.size());
        if (got == 0) {
            m_decodedEnd = m_decoder.finish(m_decoded.data(), m_scratch);
            m_atEnd = true;
        } else {
            m_decodedEnd =
                m_decoder.decode(std::string_view(m_raw.data(), got), m_decoded.data(), m_scratch);
            m_rawAt += got;
        }
    }
    return m_decodedEnd != 0;
}

}  // namespace catalog
