#include "collect/record_reader.h"

#include <cstdint>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/folder.h"
#include "reference/field_rules.h"
#include "reference/streamed_rows.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::productRecord;
using testing::TempDir;
using testing::writeFile;

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Files held whole and files streamed past the reader's buffer, with markers and records across
// the boundaries of its reads, give the rows of the plain cut, or none.
TEST(RecordReader, GivesTheRowsOfTheWholeTextForFilesOfAnySize) {
    TempDir dir;
    const std::string record = productRecord("A1", "Widget", "125", "w.jpg");
    const std::string split = "', 'PRICE' => ";
    const std::string texts[] = {
        record,
        std::string(kMiB - record.size(), ' ') + record,  // fills the buffer exactly
        std::string(kMiB - 3, ' ') + record,              // a marker across its end
        record + std::string(3 * kMiB, '\'') + record,    // two records far apart
        [&record] {  // many records, some across the buffer's reuse
            std::string many;
            while (many.size() < 3 * kMiB) {
                many.append(record).append("\n");
            }
            return many;
        }(),
        std::string(kMiB + 128 * 1024 - 5, 'x') + record + "z",  // across a later read
        std::string(2 * kMiB, 'x') + split.substr(0, 5),         // no record
    };
    const Folder folder = Folder::open((dir.path() / "").string());
    RecordReader reader;
    for (const std::string& text : texts) {
        writeFile(dir / "page", text);
        StringSink sink;
        EXPECT_EQ(reader.appendRows(folder, "page", sink, nullptr, nullptr).records,
                  recordPieces(text).size());
        EXPECT_TRUE(sink.rows == pageRows(text)) << text.size();
    }
}

// `utf8` as a page saved as "Unicode": the mark, then each character's UTF-16 code units.
std::string utf16Page(std::string_view utf8, bool bigEndian) {
    std::string page = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    const auto unit = [&page, bigEndian](char32_t value) {
        const auto high = static_cast<char>(value >> 8);
        const auto low = static_cast<char>(value & 0xFF);
        page.append(bigEndian ? std::string{high, low} : std::string{low, high});
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            value = (value << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        if (value >= 0x10000) {
            unit(0xD800 + ((value - 0x10000) >> 10));
            unit(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            unit(value);
        }
        i += length;
    }
    return page;
}

// A page saved as UTF-16 gives the rows of its text as UTF-8, read whole or streamed, with
// records across the buffer's reuse; a broken last unit becomes U+FFFD, and any other page,
// UTF-32 among them, stays bytes.
TEST(RecordReader, ReadsUtf16PagesAsTheTextTheyHold) {
    TempDir dir;
    const std::string record =
        productRecord("J\xC3\xBCrgen-1", "\xD0\xB0\xF0\x9F\x94\xA9", "2,50", "\xE2\x82\xAC.jpg");
    std::string many;
    while (many.size() < 2 * kMiB) {
        many.append(record).append("\r\n");
    }
    const Folder folder = Folder::open((dir.path() / "").string());
    RecordReader reader;
    for (const std::string& text : {record, many}) {
        for (const bool bigEndian : {false, true}) {
            const std::string page = utf16Page(text, bigEndian);
            writeFile(dir / "page", page);
            StringSink fromFile;
            reader.appendRows(folder, "page", fromFile, nullptr, nullptr);
            EXPECT_TRUE(fromFile.rows == pageRows(text)) << text.size() << bigEndian;
            StringSink whole;
            reader.appendRows(page, whole, nullptr);
            EXPECT_TRUE(whole.rows == fromFile.rows) << text.size() << bigEndian;
        }
    }
    const std::string oddEnd = utf16Page(record + "x", false) + "y";
    StringSink odd;
    reader.appendRows(oddEnd, odd, nullptr);
    EXPECT_EQ(odd.rows, pageRows(record + "x\xEF\xBF\xBD"));
    const std::string utf32 = std::string("\xFF\xFE\0\0", 4) + record;
    StringSink bytes;
    reader.appendRows(utf32, bytes, nullptr);
    EXPECT_EQ(bytes.rows, pageRows(utf32));
}

// Asks for the stop as the first block of the page is told of, once its reading is under way:
// the reading must then end within a block, far from the file's end.
class StopAtFirstBlock final : public PageWatch {
public:
    void opened(const char*, std::uint64_t) override {}
    void blockRead(std::uint64_t read) override {
        lastRead = read;
        stop.request();
    }
    void closed() noexcept override {}

    StopFlag stop;
    std::uint64_t lastRead = 0;
};

TEST(RecordReader, AStopEndsTheReadOfAHugeFileAtOnce) {
    TempDir dir;
    writeFile(dir / "huge", "");
    fs::resize_file(dir / "huge", std::uint64_t{4} << 30);  // sparse: no disk taken
    const Folder folder = Folder::open((dir.path() / "").string());
    StopAtFirstBlock watch;
    RecordReader reader;
    StringSink sink;
    EXPECT_THROW(reader.appendRows(folder, "huge", sink, &watch.stop, &watch), RunStopped);
    EXPECT_LE(watch.lastRead, 2 * kBytesBetweenStopChecks);
}

}  // namespace
}  // namespace catalog
