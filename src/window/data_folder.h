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

// Why the system's file manager did not open a folder, in the words of what was run: the user
// knows it by that name, and can look it up.
struct FileManagerFailure {
    std::string tool;         // "xdg-open", "Explorer"
    int errorNumber = 0;      // the system's error; 0 when the tool itself told of its failure
    std::string description;  // the error's description, or the tool's: "ended with status 4"
};

// The failure as its tool tells it, UTF-8: "xdg-open: No such file or directory".
std::string fileManagerSaid(const FileManagerFailure& failure);

// When the file manager did not open `folder` (the system's own form) for "Open data folder":
// why, and the folder's path, so that the user can open it by hand.
RunFailure folderNotOpened(const std::string& folder, const FileManagerFailure& failure);

// The file:// URL of `path` (the system's own form) that a file manager is given on Linux: the
// path's own bytes, percent-encoded, so that a name that is not UTF-8 leads to its folder.
std::string fileUrlOf(const std::string& path);

}  // namespace catalog::window
