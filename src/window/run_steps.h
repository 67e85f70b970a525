#pragma once

#include <optional>
#include <string>

#include "window/shown_progress.h"
#include "window/trouble_pages.h"
#include "window/window_run.h"
#include "window/window_texts.h"

namespace catalog::window {

// What the window shows as a run starts or ends, the same in every toolkit: the view applies
// the parts in the order of the fields. While the run goes, only the bar moves (shownProgress).
struct RunStep {
    std::string collectCaption;
    // The bar's figures and the line under it, which is empty but for a slow page. They stand in
    // the status's place while the run goes.
    ShownProgress progress;
    bool progressShown = true;
    TroublePages troublePages;               // the page list's, and so its link's
    std::optional<std::string> lastListing;  // the listing the run wrote, once it has ended
    StatusText status;
    std::optional<RunRows> rows;  // to add to the table
    bool announce = false;        // screen readers are told the status: the run has ended
    // Last: the box waits for the user, and the window may be closed meanwhile.
    std::optional<RunFailure> failure;
};

// The run has started: the button stops it, the last run's status and page list go, and until
// the folder is listed the bar only shows that work goes on.
RunStep runStarted();
// It has ended: the bar gives way to the status, which is made before the rows leave the
// outcome as it counts them; without the memory for it, the status says so (or stays empty)
// and the rows are still added.
RunStep runEnded(RunOutcome outcome, const Progress& last);

}  // namespace catalog::window
