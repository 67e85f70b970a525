#include "window/shown_progress.h"

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

// Pages counted until one is slow, then its bytes, halved together while its size passes what
// a bar takes, and its name as display text.
TEST(ShownProgress, CountsPagesOrASlowPagesBytesAndNamesIt) {
    const struct {
        Progress progress;
        ShownProgress shown;
    } cases[] = {
        {{0, 0, {}}, {0, 0, ""}},
        {{3, 10, {}}, {3, 10, ""}},
        {{3, 10, SlowPage{"big.html", 1'200'000'000, 60'000'000'000}},
         {37'500'000, 1'875'000'000, "Reading big.html: 1.2 GB of 60 GB"}},
        {{3, 10, SlowPage{"caf\xe9.html", 2'500, 2'147'483'647}},
         {2'500, 2'147'483'647, "Reading caf\xc3\xa9.html: 2.5 KB of 2.1 GB"}},
        {{3, 10, SlowPage{"proc", 999, 0}}, {0, 0, "Reading proc: 999 bytes read"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shownProgress(c.progress), c.shown) << c.shown.note;
    }
}

// A screen reader asked during a run hears the count, changed at most once a second.
TEST(SpokenProgress, GivesAChangedNameAtOnceThenAtMostOnceASecond) {
    using namespace std::chrono_literals;
    const auto read = [](std::size_t done, std::size_t total) {
        Progress progress;
        progress.done = done;
        progress.total = total;
        return progress;
    };
    SpokenProgress spoken;
    const auto start = std::chrono::steady_clock::time_point{} + 1h;
    EXPECT_EQ(spoken.next(read(0, 0), start), "Collecting: looking for pages");
    EXPECT_EQ(spoken.next(read(1, 1200), start + 999ms), std::nullopt);
    EXPECT_EQ(spoken.next(read(2, 1200), start + 1s), "Collecting: 2 of 1,200 pages");
    EXPECT_EQ(spoken.next(read(2, 1200), start + 5s), std::nullopt);
    spoken.reset();
    EXPECT_EQ(spoken.next(read(3, 1200), start + 5s), "Collecting: 3 of 1,200 pages");
}

}  // namespace
}  // namespace catalog::window
