#include "platform/output_file.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

std::size_t entriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

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
        EXPECT_EQ(entriesIn(dir.path()), 1u) << stopAt;
    }
}

}  // namespace
}  // namespace catalog
