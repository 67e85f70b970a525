#include "app/cli/progress_line.h"

#include <cstdint>
#include <sstream>

#include <gtest/gtest.h>

namespace catalog {
namespace {

using namespace std::chrono_literals;
using Clock = ProgressLine::Clock;

std::size_t eightyColumns() {
    return 80;
}

TEST(ProgressLineTest, DrawsOnlyOnATerminalAfterASecondAndAtMostTenTimesASecond) {
    const Clock::time_point start{};
    std::ostringstream file;
    ProgressLine quiet(file, "cc", false, start, eightyColumns, true);
    quiet.update(5, 10, start + 5s);
    quiet.clear();
    EXPECT_EQ(file.str(), "");

    std::ostringstream terminal;
    ProgressLine progress(terminal, "cc", true, start, eightyColumns, true);
    progress.update(1, 10, start + 999ms);
    progress.clear();
    EXPECT_EQ(terminal.str(), "");
    progress.update(2, 10, start + 1s);
    progress.update(3, 10, start + 1050ms);
    progress.update(4, 10, start + 1100ms);
    progress.update(12865, 100000, start + 1200ms);
    progress.clear();
    EXPECT_EQ(terminal.str(),
              "\rcc: 2 of 10 files read\rcc: 4 of 10 files read"
              "\rcc: 12,865 of 100,000 files read\r\033[K");
}

// Cut to a column less than the terminal has, by characters: a line that filled it, or wrapped,
// would be left behind by the carriage return that starts the next.
TEST(ProgressLineTest, IsCutToTheTerminalsWidthByCharacters) {
    const struct {
        const char* program;
        std::size_t columns;
        std::string drawn;
    } cases[] = {
        {"cc", 80, "cc: 2 of 10 files read"},
        {"cc", 23, "cc: 2 of 10 files read"},
        {"cc", 22, "cc: 2 of 10 files rea"},
        {"cc", 2, "c"},
        {"cc", 1, ""},
        {"cc", 0, ""},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x93\x9a", 3, "\xc3\xa9\xe2\x82\xac"},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x93\x9a", 4, "\xc3\xa9\xe2\x82\xac\xf0\x9f\x93\x9a"},
    };
    const Clock::time_point start{};
    for (const auto& c : cases) {
        std::ostringstream terminal;
        ProgressLine progress(
            terminal, c.program, true, start, [&] { return c.columns; }, true);
        progress.update(2, 10, start + 1s);
        progress.clear();
        EXPECT_EQ(terminal.str(), "\r" + c.drawn + "\r\033[K") << c.columns;
    }
}

// In place of the count while a page is slow, drawn at once when what is shown changes; a name
// too long for the terminal gives up its middle before the figures that move.
TEST(ProgressLineTest, ShowsASlowPagesNameWithItsBytesReadAndSizeUntilItIsOver) {
    const Clock::time_point start{};
    std::ostringstream terminal;
    ProgressLine progress(terminal, "cc", true, start, eightyColumns, true);
    progress.update(1, 3, start + 1s);
    progress.slowPage("big.html", 1'200'000'000, 60'000'000'000, start + 1010ms);
    progress.slowPage("big.html", 1'300'000'000, 60'000'000'000, start + 1050ms);
    progress.slowPage("big.html", 2'000'000'000, 60'000'000'000, start + 1200ms);
    progress.slowPageOver();
    progress.update(2, 3, start + 1210ms);
    EXPECT_EQ(terminal.str(),
              "\rcc: 1 of 3 files read\rcc: big.html: 1.2 GB of 60 GB"
              "\rcc: big.html: 2 GB of 60 GB\033[K\rcc: 2 of 3 files read\033[K");

    const struct {
        const char* name;
        std::uint64_t size;
        std::size_t columns;
        std::string drawn;
    } cases[] = {
        {"big.html", 0, 80, "cc: big.html: 1.2 GB read"},
        {"line\nend\x1b[2J.html", 2'000'000'000, 80, "cc: line\\nend\\x1b[2J.html: 1.2 GB of 2 GB"},
        {"catalogue-of-every-product.html", 60'000'000'000, 34,
         "cc: catal...html: 1.2 GB of 60 GB"},
        {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 60'000'000'000, 27,
         "cc: \xc3\xa9...\xc3\xa9: 1.2 GB of 60 GB"},
        {"catalogue.html", 60'000'000'000, 10, "cc: catal"},
    };
    for (const auto& c : cases) {
        std::ostringstream shown;
        ProgressLine line(
            shown, "cc", true, start, [&] { return c.columns; }, true);
        line.slowPage(c.name, 1'200'000'000, c.size, start + 1s);
        EXPECT_EQ(shown.str(), "\r" + c.drawn) << c.columns;
    }
}

// A console that shows escapes as text: blanks rub out what is left of a longer line.
TEST(ProgressLineTest, RubsOutWithBlanksWhereEscapesShowAsText) {
    const Clock::time_point start{};
    std::ostringstream console;
    ProgressLine progress(console, "cc", true, start, eightyColumns, false);
    progress.slowPage("big.html", 1'200'000'000, 0, start + 1s);
    progress.slowPageOver();
    progress.update(2, 3, start + 1s);
    progress.clear();
    EXPECT_EQ(console.str(), "\rcc: big.html: 1.2 GB read\rcc: 2 of 3 files read    \r" +
                                 std::string(21, ' ') + "\r");
}

}  // namespace
}  // namespace catalog
