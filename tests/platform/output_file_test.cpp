#include "platform/output_file.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::entriesOf;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// A stop the writer sees at its Nth question, for each N it asks: between the parts, before the
// flush, before the move. Counted, not timed, so nothing depends on how fast the disk is.
TEST(writeOutputFile, AStopAtAnyQuestionLeavesTheEarlierFileWhole) {
    TempDir dir;
    const std::string out = dir / "out.txt";
    // A value longer than a part, as a page's huge field gives, among many short lines.
    const std::string value(kOutputPartBytes + kOutputPartBytes / 2, 'v');
    const std::string line(1000, 'l');
    std::vector<std::string_view> pieces(kOutputPartBytes / line.size(), line);
    pieces.insert(pieces.begin() + 10, value);
    std::string whole;
    for (const std::string_view piece : pieces) {
        whole.append(piece);
    }
    writeFile(out, "earlier listing");
    int questions = 0;
    writeOutputFile(out, pieces, [&] { return ++questions < 0; });
    EXPECT_TRUE(readFile(out) == whole);
    EXPECT_GE(questions, 5);  // three parts at least, the flush and the move
    for (int stopAt = 1; stopAt <= questions; ++stopAt) {
        writeFile(out, "earlier listing");
        int asked = 0;
        EXPECT_THROW(writeOutputFile(out, pieces, [&] { return ++asked >= stopAt; }), WriteStopped)
            << stopAt;
        EXPECT_EQ(asked, stopAt);
        EXPECT_EQ(readFile(out), "earlier listing") << stopAt;
        EXPECT_EQ(entriesOf(dir.path()).size(), 1u) << stopAt;
    }
}

// What a killed writer left beside the output goes with the next write there; a file merely
// named alike, a folder, and the temporary file of a write still under way stay. The second
// write here runs while the first is under way, and both complete, the later move last.
TEST(writeOutputFile, RemovesOnlyTheTemporaryFilesNoWriterHolds) {
    TempDir dir;
    const std::string out = dir / "out.txt";
    writeFile(dir / ".out.txt.tmp4242-0", "left by a killed writer");
    const std::vector<std::string> alike = {
        ".out.txt.tmp4242-01", ".out.txt.tmp-1",    ".out.txt.tmp4242", "out.txt.tmp4242-1",
        ".out.txt.tmp1-2.bak", ".other.txt.tmp1-2", ".out.txt.tmp+1-2", ".out.txt.tmp4242-1x"};
    for (const std::string& name : alike) {
        writeFile(dir / name, "not a temporary file");
    }
    fs::create_directory(dir / ".out.txt.tmp1-3");
    const std::string_view first = "first";
    const std::string_view second = "second";
    bool secondWritten = false;
    writeOutputFile(out, {&first, 1}, [&] {
        if (!std::exchange(secondWritten, true)) {
            writeOutputFile(out, {&second, 1});
            EXPECT_EQ(readFile(out), "second");
        }
        return false;
    });
    EXPECT_TRUE(secondWritten);
    EXPECT_EQ(readFile(out), "first");
    std::vector<std::string> expected = alike;
    expected.insert(expected.end(), {".out.txt.tmp1-3", "out.txt"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entriesOf(dir.path()), expected);
}

}  // namespace
}  // namespace catalog
