#include "collect/record_reader.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

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
        EXPECT_EQ(reader.appendRows(folder, "page", sink, nullptr).records,
                  recordPieces(text).size());
        EXPECT_TRUE(sink.rows == pageRows(text)) << text.size();
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
    StringSink sink;
    EXPECT_THROW(reader.appendRows(folder, "huge", sink, &stop), RunStopped);
}

}  // namespace
}  // namespace catalog
