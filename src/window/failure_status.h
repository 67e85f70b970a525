#pragma once

#include "window/window_texts.h"

namespace catalog::window {

struct RunFailure;

// The status of a run that failed, the same on every system: that nothing was written, what
// happened to which path, and after a colon what to do about it ("the folder C:\lists does not
// exist: make it, or save to another folder"). The path, or the refused name, is marked for
// shortening; the tooltip gives the failure's details whole.
StatusText failureStatus(const RunFailure& failure);

}  // namespace catalog::window
