#pragma once

#include <functional>
#include <string>

class QObject;

namespace catalog::qt_window {

// Asks the desktop's file manager to show `path` (the system's own form) selected in its folder,
// through the session bus (org.freedesktop.FileManager1 ShowItems), without opening or running
// the file itself: a page may be named x.desktop. When there is no session bus, no file manager
// on it, or it fails, `otherwise` is called, on `owner`'s thread, once the answer is in.
void showInFolder(QObject* owner, const std::string& path, std::function<void()> otherwise);

}  // namespace catalog::qt_window
