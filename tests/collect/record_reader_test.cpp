#include "collect/record_reader.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/folder.h"
#include "reference/field_rules.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::productRecord;
using testing::TempDir;
using testing::writeFile;

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Files held whole and files streamed past the reader's buffer, with markers across the
// boundaries of its reads, give the row of their whole text, or none.
TEST(RecordReader, GivesTheRowOfTheWholeTextForFilesOfAnySize) {
    TempDir dir;
    const std::string record = productRecord("A1", "Widget", "125", "w.jpg");
    const std::string split = "', 'PRICE' => ";
    const std::string texts[] = {
        record,
        std::string(kMiB - record.size(), ' ') + record,         // fills the buffer exactly
        std::string(kMiB - 3, ' ') + record,                     // a marker across its end
        record + std::string(3 * kMiB, '\'') + record,           // two records far apart
        std::string(kMiB + 128 * 1024 - 5, 'x') + record + "z",  // across a later read
        std::string(2 * kMiB, 'x') + split.substr(0, 5),         // no record
    };
    const Folder folder = Folder::open((dir.path() / "").string());
    RecordReader reader;
    for (const std::string& text : texts) {
        writeFile(dir / "page", text);
        std::string expected = "earlier";
        const bool holds = holdsRecord(text);
        if (holds) {
            appendRecordRow(text, expected);
        }
        std::string row = "earlier";
        EXPECT_EQ(reader.appendRow(folder, "page", row, nullptr).finding.holdsRecord(), holds);
        EXPECT_TRUE(row == expected) << text.size();
    }
}

TEST(RecordReader, AStopEndsTheReadOfAHugeFileAtOnce) {
    TempDir dir;
    writeFile(dir / "huge", "");
    fs::resize_file(dir / "huge", std::uint64_t{4} << 30);  // sparse: no disk taken
    const Folder folder = Folder::open((dir.path() / "").string());
    StopFlag stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop.request();
    });
    RecordReader reader;
    std::string row;
    EXPECT_THROW(reader.appendRow(folder, "huge", row, &stop), RunStopped);
}

}  // namespace
}  // namespace catalog
