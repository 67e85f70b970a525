#include "window/run_steps.h"

#include <utility>

#include "window/control_texts.h"
#include "window/keeping_rows.h"

namespace catalog::window {

RunStep runStarted() {
    RunStep step;
    step.collectCaption = collectButtonText(true);
    return step;
}

RunStep runEnded(RunOutcome outcome, const Progress& last) {
    RunStep step;
    step.collectCaption = collectButtonText(false);
    step.progress = shownProgress(last);
    step.progress.note.clear();
    step.progressShown = false;
    keepingRows(
        "show the run's end", 0, [&] { step.status = statusAfter(outcome); },
        [&](const StatusText& status) { step.status = status; });
    step.lastListing = std::move(outcome.listingPath);
    step.troublePages = std::move(outcome.troublePages);
    step.rows = std::move(outcome.rows);
    step.announce = true;
    step.failure = std::move(outcome.failure);
    return step;
}

}  // namespace catalog::window
