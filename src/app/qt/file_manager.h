#pragma once

#include <functional>
#include <string>

#include "window/data_folder.h"

class QObject;

namespace catalog::qt_window {

// Asks the desktop's file manager to show `path` (the system's own form) selected in its folder,
// through the session bus (org.freedesktop.FileManager1 ShowItems), without opening or running
// the file itself: a page may be named x.desktop. When there is no session bus, no file manager
// on it, or it fails, `otherwise` is called, on `owner`'s thread, once the answer is in.
void showInFolder(QObject* owner, const std::string& path, std::function<void()> otherwise);

// Opens `folder` (the system's own form) in the file manager through xdg-open, given the folder's
// own bytes, so that a name that is not UTF-8 opens too. When xdg-open is missing, cannot start,
// fails or crashes, `failed` is called with why, on `owner`'s thread.
void openInFileManager(QObject* owner, const std::string& folder,
                       std::function<void(const window::FileManagerFailure&)> failed);

// Lets the file managers opened for `owner` run on without it; call as `owner` goes, before its
// children do.
void letFileManagersRunOn(QObject* owner);

}  // namespace catalog::qt_window
