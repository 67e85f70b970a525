// What a file that gave no row is, where that tells the user why: an image, an archive, an office
// document, bytes that are no text, or text in UTF-32, which is not read. Decided only for pages
// without a row, from their first bytes, so that pages that give rows pay nothing for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace catalog {

enum class FileKind : std::uint8_t {
    Text,    // nothing more to tell than what its text lacks
    NoText,  // a zero byte among its first bytes, and no UTF-16 reading
    Png,
    Jpeg,
    Gif,
    WebP,
    Pdf,
    Gzip,
    Zip,
    SevenZip,
    Xz,
    Bzip2,
    Zstd,
    Rar,
    OfficeDocument,  // a zip that an office program wrote
    Utf32,           // holds the record marker as UTF-32 text
    // Told of beside the pages, not a page: a subfolder whose pages give rows, and how many
    // more of them were not named.
    Subfolder,
    MoreSubfolders,
};

// A page's first bytes are looked at this far for what it is.
inline constexpr std::size_t kKindHeadBytes = std::size_t{64} * 1024;

// What a page's first bytes (`head`, at most kKindHeadBytes are looked at) say it is: a format
// known by its magic bytes, else NoText where they hold a zero byte, else Text. UTF-32 is
// found by Utf32MarkerSearch, and whether a UTF-16 reading was chosen is the caller's to weigh.
FileKind kindOfHead(std::string_view head);

// A format that no reading of its bytes may give a record from: an image, a document or an archive.
bool isBinaryFormat(FileKind kind);

// Looks for the record marker as UTF-32 of either byte order, in a page given block after block
// from its start (a UTF-32 mark keeps the code units where they are), blocks cut anywhere.
class Utf32MarkerSearch {
public:
    Utf32MarkerSearch();

    void feed(std::string_view block);
    bool found() const { return m_found; }

private:
    void searchFor(const std::string& marker);

    std::string m_littleEndian;
    std::string m_bigEndian;
    std::string m_window;  // the bytes to search: those kept from before, then the new block
    std::uint64_t m_windowFrom = 0;  // where the window starts in the page
    bool m_found = false;
};

}  // namespace catalog
