#include "collect/text_reading.h"

#include <algorithm>
#include <cstring>

namespace catalog {

std::uint64_t textStart(const TextReading& reading, const std::optional<MhtmlMessage>& message) {
    return reading.marked != PageEncoding::Bytes ? kByteOrderMarkBytes
           : reading.mhtml && message            ? message->bodyFrom
                                                 : 0;
}

PageDecoder::PageDecoder(const TextReading& reading, const std::optional<MhtmlMessage>& message) {
    if (reading.mhtml && message) {
        m_mhtml.emplace(*message);
    }
    const PageEncoding utf16 =
        reading.marked != PageEncoding::Bytes ? reading.marked : reading.unmarked;
    if (utf16 != PageEncoding::Bytes) {
        m_utf16.emplace(utf16);
    }
    if (reading.refs) {
        m_refs.emplace();
    }
}

bool PageDecoder::has(std::size_t stage) const {
    return stage == kMhtml   ? m_mhtml.has_value()
           : stage == kUtf16 ? m_utf16.has_value()
                             : m_refs.has_value();
}

std::size_t PageDecoder::stageBound(std::size_t stage, std::size_t bytes) const {
    return stage == kMhtml   ? MhtmlDecoder::maxDecoded(bytes)
           : stage == kUtf16 ? Utf16Decoder::maxDecoded(bytes)
                             : bytes + HtmlRefDecoder::kMostHeld;
}

std::size_t PageDecoder::stageDecode(std::size_t stage, std::string_view bytes, char* into) {
    return stage == kMhtml   ? m_mhtml->decode(bytes, into)
           : stage == kUtf16 ? m_utf16->decode(bytes, into)
                             : m_refs->decode(bytes, into);
}

std::size_t PageDecoder::stageFinish(std::size_t stage, char* into) {
    return stage == kMhtml   ? m_mhtml->finish(into)
           : stage == kUtf16 ? m_utf16->finish(into)
                             : m_refs->finish(into);
}

std::size_t PageDecoder::maxDecoded(std::size_t bytes) const {
    for (std::size_t stage = 0; stage < kStages; ++stage) {
        bytes = has(stage) ? stageBound(stage, bytes) : bytes;
    }
    return bytes;
}

// Gives `bytes` to the stages from `first` on, each stage's text the next one's bytes; the last
// writes to `into`. The scratch buffers take turns, so that no stage reads what it writes.
std::size_t PageDecoder::pass(std::size_t first, std::string_view bytes, char* into,
                              DecodeScratch& scratch) {
    std::size_t last = kStages;
    for (std::size_t stage = first; stage < kStages; ++stage) {
        last = has(stage) ? stage : last;
    }
    if (last == kStages) {
        std::memcpy(into, bytes.data(), bytes.size());
        return bytes.size();
    }
    std::size_t turn = 0;
    for (std::size_t stage = first; stage < kStages; ++stage) {
        if (!has(stage)) {
            continue;
        }
        char* out = into;
        if (stage != last) {
            std::string& buffer = scratch.buffers[turn++ % 2];
            buffer.resize(stageBound(stage, bytes.size()));
            out = buffer.data();
        }
        bytes = {out, stageDecode(stage, bytes, out)};
    }
    return bytes.size();
}

std::size_t PageDecoder::decode(std::string_view bytes, char* into, DecodeScratch& scratch) {
    return pass(0, bytes, into, scratch);
}

// Each stage's last text passes through the stages after it before they end in turn.
std::size_t PageDecoder::finish(char* into, DecodeScratch& scratch) {
    std::array<char, MhtmlDecoder::maxDecoded(0)> left;
    char* out = into;
    for (std::size_t stage = 0; stage < kStages; ++stage) {
        if (has(stage)) {
            const std::size_t count = stageFinish(stage, left.data());
            out += pass(stage + 1, {left.data(), count}, out, scratch);
        }
    }
    return static_cast<std::size_t>(out - into);
}

}  // namespace catalog
