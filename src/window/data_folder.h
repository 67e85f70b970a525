#pragma once

#include <optional>
#include <string>

#include "window/window_run.h"

namespace catalog::window {

// The data folder as the views open it in the system's file manager.
struct FolderToOpen {
    std::string path;  // the system's own form, for the view to hand to the system
    std::optional<RunFailure> failure;
};

// The data folder beside `programDirectory`, made first when it is missing: the user who asks
// to open it wants a folder to put pages into.
FolderToOpen dataFolderToOpen(const std::string& programDirectory);

}  // namespace catalog::window
