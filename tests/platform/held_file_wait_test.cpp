#include "platform/held_file_wait.h"

#include <gtest/gtest.h>

namespace catalog {
namespace {

using namespace std::chrono_literals;
using Clock = HeldFileWait::Clock;

// Each case gives its files' first tries far enough apart that no machine's speed matters.
TEST(HeldFileWaitTest, TriesAFileAgainForItsOwnTimeWithinTheFirstHeldFilesRunTime) {
    const auto now = Clock::now();
    HeldFileWait wait({}, 1h, 1h);
    EXPECT_TRUE(wait.pauseBeforeRetry(now));
    EXPECT_FALSE(wait.pauseBeforeRetry(now - 61min)) << "past its own time";

    // The run's time counts from the first file held, whichever file asks later.
    HeldFileWait run({}, 2h, 1h);
    EXPECT_FALSE(run.pauseBeforeRetry(now - 90min));
    EXPECT_FALSE(run.pauseBeforeRetry(now)) << "past the run's time";

    bool stopped = false;
    HeldFileWait stoppable([&stopped] { return stopped; }, 1h, 1h);
    EXPECT_TRUE(stoppable.pauseBeforeRetry(now));
    stopped = true;
    EXPECT_FALSE(stoppable.pauseBeforeRetry(now));
}

}  // namespace
}  // namespace catalog
