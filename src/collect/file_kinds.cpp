#include "collect/file_kinds.h"

#include <algorithm>
#include <array>

#include "collect/field_extraction.h"

namespace catalog {

namespace {

// A format's magic bytes at the file's start, and for a few the bytes that follow further on.
struct Magic {
    FileKind kind;
    std::string_view first;
    std::size_t laterAt = 0;
    std::string_view later = {};
};

using namespace std::string_view_literals;

constexpr std::array kMagics{
    Magic{FileKind::Png, "\x89PNG\r\n\x1A\n"sv},
    Magic{FileKind::Jpeg, "\xFF\xD8\xFF"sv},
    Magic{FileKind::Gif, "GIF87a"sv},
    Magic{FileKind::Gif, "GIF89a"sv},
    Magic{FileKind::WebP, "RIFF"sv, 8, "WEBP"sv},
    Magic{FileKind::Pdf, "%PDF-"sv},
    Magic{FileKind::Gzip, "\x1F\x8B"sv},
    Magic{FileKind::Zip, "PK\x03\x04"sv},
    Magic{FileKind::Zip, "PK\x05\x06"sv},  // an empty archive
    Magic{FileKind::SevenZip, "7z\xBC\xAF\x27\x1C"sv},
    Magic{FileKind::Xz,
          "\xFD"
          "7zXZ\0"sv},
    // After "BZh" and the block size, the first block's own magic, the digits of pi: "BZh" alone
    // may start a text.
    Magic{FileKind::Bzip2, "BZh"sv, 4, "\x31\x41\x59\x26\x53\x59"sv},
    Magic{FileKind::Zstd, "\x28\xB5\x2F\xFD"sv},
    Magic{FileKind::Rar, "Rar!\x1A\x07"sv},
};

// The names an office program puts first in its zip: Office Open XML's content types, and the
// OpenDocument's (and EPUB's) media type.
constexpr std::array kOfficeFirstEntries{"[Content_Types].xml"sv, "mimetype"sv};

// The first entry's name in a zip's first local file header: its length at offset 26, the name
// at 30.
std::string_view firstEntryName(std::string_view head) {
    constexpr std::size_t kLengthAt = 26;
    constexpr std::size_t kNameAt = 30;
    if (head.size() < kNameAt) {
        return {};
    }
    const std::size_t length =
        static_cast<unsigned char>(head[kLengthAt]) |
        static_cast<std::size_t>(static_cast<unsigned char>(head[kLengthAt + 1])) << 8;
    return head.substr(kNameAt, length);
}

FileKind zipKind(std::string_view head) {
    const std::string_view name = firstEntryName(head);
    return std::ranges::find(kOfficeFirstEntries, name) != kOfficeFirstEntries.end()
               ? FileKind::OfficeDocument
               : FileKind::Zip;
}

bool matches(std::string_view head, const Magic& magic) {
    return head.starts_with(magic.first) &&
           (magic.later.empty() ||
            head.substr(std::min(magic.laterAt, head.size())).starts_with(magic.later));
}

// `text` in UTF-32 of one byte order: each of its bytes, all ASCII, in a code unit of four.
std::string utf32Of(std::string_view text, bool bigEndian) {
    std::string units;
    units.reserve(4 * text.size());
    for (const char c : text) {
        units.append(bigEndian ? std::string_view("\0\0\0", 3) : std::string_view{});
        units.push_back(c);
        units.append(bigEndian ? std::string_view{} : std::string_view("\0\0\0", 3));
    }
    return units;
}

}  // namespace

FileKind kindOfHead(std::string_view head) {
    head = head.substr(0, kKindHeadBytes);
    const auto magic =
        std::ranges::find_if(kMagics, [head](const Magic& known) { return matches(head, known); });
    if (magic != kMagics.end()) {
        return magic->kind == FileKind::Zip ? zipKind(head) : magic->kind;
    }
    return head.find('\0') != std::string_view::npos ? FileKind::NoText : FileKind::Text;
}

bool isBinaryFormat(FileKind kind) {
    return kind != FileKind::Text && kind != FileKind::NoText && kind != FileKind::Utf32 &&
           kind != FileKind::Subfolder && kind != FileKind::MoreSubfolders;
}

Utf32MarkerSearch::Utf32MarkerSearch()
    : m_littleEndian(utf32Of(kRecordMarker, false)), m_bigEndian(utf32Of(kRecordMarker, true)) {}

void Utf32MarkerSearch::feed(std::string_view block) {
    if (m_found) {
        return;
    }
    m_window.append(block);
    searchFor(m_littleEndian);
    searchFor(m_bigEndian);
    // What may begin a marker that the next block ends, kept at its place in a code unit.
    const std::size_t keep = std::min(m_window.size(), m_littleEndian.size() - 1);
    m_windowFrom += m_window.size() - keep;
    m_window.erase(0, m_window.size() - keep);
}

// Only at the start of a code unit: four bytes from the page's start.
void Utf32MarkerSearch::searchFor(const std::string& marker) {
    for (std::size_t at = m_window.find(marker); !m_found && at != std::string::npos;
         at = m_window.find(marker, at + 1)) {
        m_found = (m_windowFrom + at) % 4 == 0;
    }
}

}  // namespace catalog
