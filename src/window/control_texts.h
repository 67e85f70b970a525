#pragma once

#include <string_view>

namespace catalog::window {

// The words on the window's button and in the table's menu, alike in both windows.

inline constexpr std::string_view kCollectText = "Collect";
// During a run the button stops it, as Esc does.
inline constexpr std::string_view kStopText = "Stop";

constexpr std::string_view collectButtonText(bool running) {
    return running ? kStopText : kCollectText;
}

inline constexpr std::string_view kCopyItem = "Copy";
inline constexpr std::string_view kCopyWithHeaderItem = "Copy with header";
inline constexpr std::string_view kClearListItem = "Clear list";
// Also the link beside a status that finds the data folder empty or missing.
inline constexpr std::string_view kOpenDataFolderItem = "Open data folder";

}  // namespace catalog::window
