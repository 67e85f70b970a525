#include "collect/file_kinds.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "collect/collection_run.h"
#include "collect/page_finding.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::productRecord;
using testing::TempDir;
using testing::writeFile;

// Past the bytes a whole small file is read with, and past the reader's buffer.
const std::string kFarOn(std::size_t{2} << 20, ' ');
const std::string kRecord = productRecord("A1", "Anchor", "1.25", "a.jpg");

// The explanation lines of a run on `folder`, by the name each starts with.
std::map<std::string, std::string> explained(const fs::path& folder, bool unwrap = true) {
    CollectionClient client;
    const Collected collected =
        runCollection((folder / "").string(), client, RunOptions{.unwrap = unwrap});
    std::map<std::string, std::string> lines;
    for (const PageNote& note : collected.notes) {
        for (std::size_t line = 0; line < explanationLineCount(note); ++line) {
            const std::string text = explanationLine(note, line);
            lines[text.substr(0, text.find(": "))] = text;
        }
    }
    return lines;
}

// A zip whose first entry is `name`, as its local file header starts it.
std::string zipWithFirst(std::string_view name) {
    std::string zip = "PK\x03\x04"s + std::string(22, '\x01');
    zip.append({static_cast<char>(name.size()), '\0', '\0', '\0'}).append(name);
    return zip + "\x01\x02"s;
}

std::string utf32Of(std::string_view text, bool bigEndian) {
    std::string units;
    for (const char c : text) {
        units += bigEndian ? "\0\0\0"s + c : c + "\0\0\0"s;
    }
    return units;
}

TEST(FileKinds, APageWithoutARowIsNamedForWhatItsFirstBytesSayItIs) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    };
    const Case cases[] = {
        {"photo.png", "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"s, "holds no text (a PNG image)"},
        {"large.png", "\x89PNG\r\n\x1A\n"s + kFarOn, "holds no text (a PNG image)"},
        {"photo.jpg", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, "holds no text (a JPEG image)"},
        {"anim.gif", "GIF89a\x01\0"s, "holds no text (a GIF image)"},
        {"pic.webp", "RIFF\x24\0\0\0WEBPVP8 "s, "holds no text (a WebP image)"},
        {"sheet.pdf", "%PDF-1.7\n%\xE2\xE3"s, "holds no text (a PDF document)"},
        {"a.gz", "\x1F\x8B\x08\0"s, "compressed (gzip): unpack it into the data folder"},
        {"a.zip", zipWithFirst("page.html"), "compressed (zip): unpack it into the data folder"},
        {"a.7z", "7z\xBC\xAF\x27\x1C\0\x04"s, "compressed (7z): unpack it into the data folder"},
        {"a.xz",
         "\xFD"
         "7zXZ\0\0"s,
         "compressed (xz): unpack it into the data folder"},
        {"a.bz2", "BZh91AY&SY"s, "compressed (bzip2): unpack it into the data folder"},
        {"a.zst", "\x28\xB5\x2F\xFD\x24"s, "compressed (zstd): unpack it into the data folder"},
        {"a.rar", "Rar!\x1A\x07\x01\0"s, "compressed (RAR): unpack it into the data folder"},
        {"offer.docx", zipWithFirst("[Content_Types].xml"),
         "an office document (zip): save it as text or HTML"},
        {"offer.odt", zipWithFirst("mimetype"),
         "an office document (zip): save it as text or HTML"},
        {"blob.bin", "abc\0def"s, "holds no text"},
        // Only what the magic bytes say, or a zero byte early on, names a page.
        {"bzh.txt", "BZh9 is no archive", "no record: no `', 'PRICE' => ` in the page"},
        {"late.txt", kFarOn + "\0"s, "no record: no `', 'PRICE' => ` in the page"},
        // UTF-16 holds zero bytes as text.
        {"unicode.txt", "\xFF\xFEh\0i\0"s, "no record: no `', 'PRICE' => ` in the page"},
    };
    TempDir dir;
    for (const Case& page : cases) {
        writeFile(dir.path() / page.name, page.bytes);
    }
    writeFile(dir.path() / "rows.html", kRecord);
    const std::map<std::string, std::string> lines = explained(dir.path());
    EXPECT_EQ(lines.size(), std::size(cases));
    for (const Case& page : cases) {
        EXPECT_EQ(lines.at(page.name), page.name + ": "s + page.says);
    }
}

// Only a page that holds the record marker as UTF-32, at the place of a code unit, is named as
// such, whatever its size; read as it stands only, a page is not read again for it.
TEST(FileKinds, APageThatHoldsItsRecordAsUtf32IsNamedSo) {
    const std::string utf32 = "UTF-32 text, which is not read: save it as UTF-8 or UTF-16";
    struct Case {
        const char* name;
        std::string bytes;
        std::string says;
    };
    const Case cases[] = {
        {"le.txt", "\xFF\xFE\0\0"s + utf32Of(kRecord, false), utf32},
        {"be.txt", "\0\0\xFE\xFF"s + utf32Of(kRecord, true), utf32},
        {"le-nomark.txt", utf32Of(kRecord, false), utf32},
        {"be-far.txt", utf32Of(kFarOn.substr(0, 300'000) + kRecord, true), utf32},
        {"shifted.txt", "x" + utf32Of(kRecord, false), "holds no text"},
    };
    TempDir dir;
    for (const Case& page : cases) {
        writeFile(dir.path() / page.name, page.bytes);
    }
    const std::map<std::string, std::string> lines = explained(dir.path());
    const std::map<std::string, std::string> asTheyStand = explained(dir.path(), false);
    for (const Case& page : cases) {
        EXPECT_EQ(lines.at(page.name), page.name + ": "s + page.says);
        EXPECT_EQ(asTheyStand.at(page.name), page.name + ": holds no text"s);
    }
}

}  // namespace
}  // namespace catalog
