#include "window/run_steps.h"

#include <gtest/gtest.h>

#include "support/test_files.h"
#include "window/control_texts.h"
#include "window/run_rows.h"

namespace catalog::window {
namespace {

// Each view applies every part: the start must undo what the last run's end showed.
TEST(RunSteps, StartAndEndGiveTheViewEverythingItShows) {
    const RunStep started = runStarted();
    EXPECT_EQ(started.collectCaption, collectButtonText(true));
    EXPECT_EQ(started.progress, ShownProgress{});  // the bar moves without figures
    EXPECT_TRUE(started.progressShown);
    EXPECT_EQ(started.troublePages.lineCount(), 0u);
    EXPECT_EQ(started.status.text, "");
    EXPECT_FALSE(started.status.offersPageList || started.status.offersDataFolder || started.rows ||
                 started.failure || started.lastListing || started.announce);

    const Progress going{3, 10, SlowPage{"big.html", 1'000, 60'000}};
    RunOutcome outcome;
    outcome.rows = testing::runOf(
        {{"a.html", catalog::testing::productRecord("A1", "Anchor", "125", "a.jpg")}});
    outcome.counts = {1, 1, {}};
    outcome.outputName = "output.txt";
    outcome.listingPath = "/k/output.txt";
    outcome.failure = RunFailure{"write", "/k/output.txt", 28, "No space left on device"};
    const StatusText status = statusAfter(outcome);
    const RunStep ended = runEnded(std::move(outcome), going);
    EXPECT_EQ(ended.collectCaption, collectButtonText(false));
    EXPECT_FALSE(ended.progressShown);
    EXPECT_EQ(ended.progress, (ShownProgress{1'000, 60'000, ""}));  // the note goes with the bar
    ASSERT_TRUE(ended.rows && ended.failure);
    EXPECT_EQ(ended.status.text, status.text);  // made while the rows were still counted
    EXPECT_EQ(ended.rows->listing.rowCount(), 1u);
    EXPECT_EQ(ended.lastListing, "/k/output.txt");
    EXPECT_EQ(ended.failure->operation, "write");
    EXPECT_TRUE(ended.announce);
}

}  // namespace
}  // namespace catalog::window
