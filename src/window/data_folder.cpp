#include "window/data_folder.h"

#include <string_view>

#include "collect/program_paths.h"
#include "platform/file_error.h"
#include "platform/folder.h"
#include "window/display_text.h"

namespace catalog::window {

FolderToOpen dataFolderToOpen(const std::string& programDirectory) {
    FolderToOpen folder{dataFolderIn(programDirectory), std::nullopt};
    try {
        makeFolder(folder.path);
    } catch (const FileError& error) {
        folder.failure = failureOf(error);
        folder.failure->folderNotOpened = true;
    }
    return folder;
}

std::string fileManagerSaid(const FileManagerFailure& failure) {
    return displayText(failure.tool + ": " + failure.description);
}

RunFailure folderNotOpened(const std::string& folder, const FileManagerFailure& failure) {
    RunFailure notOpened{"open", displayText(folder), failure.errorNumber,
                         "No file manager could be started (" + fileManagerSaid(failure) +
                             ").\nPlease open the folder yourself."};
    notOpened.folderNotOpened = true;
    return notOpened;
}

std::string fileUrlOf(const std::string& path) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    static constexpr std::string_view kKept = "/-._~";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        // ASCII letters and digits whatever the locale says of other bytes.
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || kKept.find(c) != std::string_view::npos;
        if (plain) {
            url.push_back(c);
        } else {
            url.append({'%', kDigits[byte >> 4], kDigits[byte & 0xF]});
        }
    }
    return url;
}

}  // namespace catalog::window
