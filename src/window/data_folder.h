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

// When the system's file manager did not open `folder` (the system's own form): the error, or
// what went wrong in `description` with `errorNumber` 0, and the folder's path, so that the user
// can open it by hand.
RunFailure folderNotOpened(const std::string& folder, int errorNumber,
                           const std::string& description);

// The file:// URL of `path` (the system's own form) that a file manager is given on Linux: the
// path's own bytes, percent-encoded, so that a name that is not UTF-8 leads to its folder.
std::string fileUrlOf(const std::string& path);

}  // namespace catalog::window
