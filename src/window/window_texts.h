#pragma once

#include <string>

// The views show failures as the batch command does, through the window layer.
#include "collect/failure_text.h"

namespace catalog::window {

struct RunFailure;
struct RunOutcome;

// A status line and the longer text its tooltip gives (full paths), UTF-8.
struct StatusText {
    std::string text;
    std::string details;
};

// After a run: records written and where, how many have a field not found, or that there was no
// data folder; short enough to read whole at the window's first size.
StatusText statusAfter(const RunOutcome& outcome);
StatusText stoppedStatus();
// When the rows chosen for copying are too large for the clipboard.
StatusText copyRefusedStatus();

// The message box of a failed run.
struct FailureText {
    std::string message;  // "The collection run failed."
    std::string details;  // what was attempted on which path, the error number and description
};
FailureText failureTextFor(const RunFailure& failure);

// The one line shown when the window cannot be opened at all (no display): it names the batch
// command, which needs none.
std::string noDisplayMessage(const std::string& reason);

}  // namespace catalog::window
