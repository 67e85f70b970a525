#include "cli/progress_line.h"

#include <sstream>

#include <gtest/gtest.h>

namespace catalog {
namespace {

using namespace std::chrono_literals;
using Clock = ProgressLine::Clock;

TEST(ProgressLineTest, DrawsOnlyOnATerminalAfterASecondAndAtMostTenTimesASecond) {
    const Clock::time_point start{};
    std::ostringstream file;
    ProgressLine quiet(file, "cc", false, start);
    quiet.update(5, 10, start + 5s);
    quiet.clear();
    EXPECT_EQ(file.str(), "");

    std::ostringstream terminal;
    ProgressLine progress(terminal, "cc", true, start);
    progress.update(1, 10, start + 999ms);
    progress.clear();
    EXPECT_EQ(terminal.str(), "");
    progress.update(2, 10, start + 1s);
    progress.update(3, 10, start + 1050ms);
    progress.update(4, 10, start + 1100ms);
    progress.clear();
    EXPECT_EQ(terminal.str(), "\rcc: 2 of 10 files read\rcc: 4 of 10 files read\r\033[K");
}

}  // namespace
}  // namespace catalog
